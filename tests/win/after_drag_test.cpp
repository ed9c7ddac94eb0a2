// What the list does after a drag out of it, as chosen under "ドラッグ後(&A)": real drags from the
// real main window onto a drop target of another program (drop_target.exe), which copies, moves
// (saying so, or answering "none" and saying nothing), claims a move it did not make, or refuses
// (the drag, or the drop). The move a folder window makes itself (an optimized
// move: "none" answered, "move" said through SetData on the data object) is made by a target of
// this program, since Wine carries no SetData to another process.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drag_kit.h"
#include "helpers/drop_target_state.h"
#include "main_window_fixture.h"
#include "process_window.h"
#include "win/codepage.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

using Texts = std::vector<std::wstring>;
using Behaviour = DropTargetState::Behaviour;

// drop_target.exe on the screen beside the main window, with the folder it copies and moves to.
class OtherProgramTarget {
public:
    OtherProgramTarget(RECT at, const std::wstring& folder) : rect_(at) {
        std::wstring command = L"\"" + win::BesideProgram(L"drop_target.exe") + L"\" " +
                               std::to_wstring(at.left) + L" " + std::to_wstring(at.top) + L" " +
                               std::to_wstring(at.right) + L" " + std::to_wstring(at.bottom) +
                               L" \"" + folder + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &process_))
            return;
        const std::wstring name = DropTargetStateName(process_.dwProcessId);
        for (int i = 0; i < 1000 && state_ == nullptr; ++i) {
            if (HANDLE mapping = ::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str())) {
                state_ = static_cast<DropTargetState*>(
                    ::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(DropTargetState)));
                ::CloseHandle(mapping);
            } else {
                ::Sleep(10); // the other program is starting; nothing here to wait on
            }
        }
        for (int i = 0; i < 1000 && state_ != nullptr && !state_->ready; ++i)
            ::Sleep(10);
    }
    ~OtherProgramTarget() {
        if (process_.hProcess == nullptr)
            return;
        if (HWND window = FindProcessWindow(process_.dwProcessId, kDropTargetClass))
            ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0)
            ::TerminateProcess(process_.hProcess, 1);
        if (state_ != nullptr)
            ::UnmapViewOfFile(state_);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    OtherProgramTarget(const OtherProgramTarget&) = delete;
    OtherProgramTarget& operator=(const OtherProgramTarget&) = delete;

    bool Ready() const { return state_ != nullptr && state_->ready; }
    DropTargetState& State() { return *state_; }
    POINT Centre() const {
        return {(rect_.left + rect_.right) / 2, (rect_.top + rect_.bottom) / 2};
    }
    // As RecordingDropTarget::Settled: over the target, and asked about it a few times since.
    bool Settled() const { return state_->inside && state_->overs >= 2; }

private:
    RECT rect_;
    PROCESS_INFORMATION process_{};
    DropTargetState* state_ = nullptr;
};

class AfterDrag : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        const RECT frame = WindowRect();
        target = std::make_unique<OtherProgramTarget>(
            RECT{frame.right + 40, frame.top, frame.right + 290, frame.top + 250},
            temp.Path(L"there"));
        ::CreateDirectoryW(temp.Path(L"there").c_str(), nullptr);
        sameProcess = std::make_unique<RecordingDropTarget>(
            RECT{frame.left, frame.bottom + 40, frame.left + 250, frame.bottom + 290});
        sameProcess->moveInto = temp.Path(L"there");
        sameProcess->movesItself = true;
        // The keys go to the main window, which the new windows may have taken the activation from.
        ::SetForegroundWindow(mainWindow->Hwnd());
        ASSERT_TRUE(Pump([&] { return ::GetForegroundWindow() == mainWindow->Hwnd(); }));
        watch = std::make_unique<IconWatch>(mainWindow->Controls().dragIcon->Hwnd());
        ASSERT_TRUE(target->Ready()) << "drop_target.exe did not start";
    }
    void TearDown() override {
        watch.reset();
        sameProcess.reset();
        target.reset();
        MainWindowTest::TearDown();
    }

    // The program closed, between() run, and the program started again with the same settings.
    void Restart(const std::function<void()>& between) {
        watch.reset();
        mainWindow.reset();
        between();
        MakeWindow();
        watch = std::make_unique<IconWatch>(mainWindow->Controls().dragIcon->Hwnd());
    }

    std::string Drive(const std::function<void(InputDriver&)>& script) {
        return DriveInput(script, AppPump());
    }

    // The icon pressed and dragged onto the other program's window (or this program's own
    // target), then let go there, or the drag given up with Esc once over it.
    std::string DragIcon(bool escape = false, bool ownTarget = false) {
        const POINT over = ownTarget ? sameProcess->Centre() : target->Centre();
        const std::function<bool()> settled = [&] {
            return ownTarget ? sameProcess->Settled() : target->Settled();
        };
        return Drive([&](InputDriver& d) {
            if (!watch->DragTo(d, over, settled))
                return;
            if (escape) {
                d.Key(VK_ESCAPE);
                d.WaitFor("the cancel", [&] { return watch->Handled(21, 16); });
                d.LeftUp();
                return;
            }
            d.LeftUpUntil("the end of the drag", [&] { return watch->Handled(21, 16); });
        });
    }

    // "ドラッグ後(&A)" of the "リスト(&L)" menu opened from the keyboard, and its item chosen by
    // key.
    std::string ChooseAfterDrag(WORD key) {
        return Drive([&](InputDriver& d) {
            d.Chord(VK_MENU, 'L');
            if (!d.WaitFor("the menu to open", [] { return OpenPopupMenu() != nullptr; }))
                return;
            d.Key('A');
            d.Key(key);
            d.WaitFor("the menu to close", [] { return OpenPopupMenu() == nullptr; });
        });
    }

    TempFolder temp;
    std::unique_ptr<OtherProgramTarget> target;
    // A move done by the target itself is said through SetData on the data object, which Wine
    // does not carry from another process (its proxy answers E_NOTIMPL): that target is here.
    std::unique_ptr<RecordingDropTarget> sameProcess;
    std::unique_ptr<IconWatch> watch;
};

// Each choice against each way the other program takes a drag of every listed file from the
// icon: what stays listed and what the status bar says.
TEST_F(AfterDrag, EachChoiceAgainstEachWayATargetTakesTheIconsDrag) {
    const std::wstring copied = L"2 件をコピーしました", moved = L"2 件を移動しました";
    const std::wstring movedThere = L"ドロップ先が移動を処理しました";
    const std::wstring refused = L"ドラッグを取り消しました";
    const std::wstring both = L"（2 件をリストから外しました）";
    const struct {
        WORD key; // the item of "ドラッグ後(&A)"
        Behaviour behaviour;
        std::wstring report;
        bool takenOff;
    } cases[] = {
        {'K', Behaviour::Copy, copied, false},
        {'K', Behaviour::Move, moved, false},
        {'K', Behaviour::OptimizedMove, movedThere, false},
        {'K', Behaviour::ClaimMove, moved, false},
        {'K', Behaviour::Refuse, refused, false},
        {'M', Behaviour::Copy, copied, false},
        {'M', Behaviour::Move, moved + both, true},
        {'M', Behaviour::OptimizedMove, movedThere + both, true},
        {'M', Behaviour::ClaimMove, moved + L"（0 件をリストから外しました）", false},
        {'M', Behaviour::Refuse, refused, false},
        {'M', Behaviour::SilentMove, movedThere + both, true},
        {'M', Behaviour::RefuseAtDrop, refused, false},
        {'R', Behaviour::Copy, copied + both, true},
        {'R', Behaviour::Move, moved + both, true},
        {'R', Behaviour::OptimizedMove, movedThere + both, true},
        {'R', Behaviour::ClaimMove, moved + both, true},
        {'R', Behaviour::Refuse, refused, false},
        {'R', Behaviour::SilentMove, movedThere + both, true},
        {'R', Behaviour::RefuseAtDrop, refused, false},
    };
    WORD chosen = 0;
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, static_cast<char>(c.key)) + " against behaviour " +
                     std::to_string(static_cast<int>(c.behaviour)));
        if (c.key != chosen) {
            ASSERT_EQ(ChooseAfterDrag(c.key), "");
            chosen = c.key;
        }
        const bool copy = c.behaviour == Behaviour::Copy || c.behaviour == Behaviour::RefuseAtDrop;
        (copy ? mainWindow->Controls().copyModeButton : mainWindow->Controls().moveModeButton)
            ->SetDown(true);
        target->State().behaviour = static_cast<LONG>(c.behaviour);
        // Files of their own each round, so that a move never meets one moved before.
        const std::wstring n = std::to_wstring(++round);
        const Texts paths = {temp.File(L"a" + n + L".txt"), temp.File(L"b" + n + L".txt")};
        List().Clear();
        Append(paths);

        const bool own = c.behaviour == Behaviour::OptimizedMove;
        const int drops = own ? sameProcess->drops.load() : target->State().drops;
        ASSERT_EQ(DragIcon(false, own), "");
        EXPECT_TRUE(Pump([&] { return Report() == c.report; }))
            << win::ToUtf8(Report()) << " instead of " << win::ToUtf8(c.report);
        EXPECT_EQ(own ? sameProcess->drops.load() : target->State().drops,
                  drops + (c.behaviour == Behaviour::Refuse ? 0 : 1));
        EXPECT_EQ(List().AllPaths(), c.takenOff ? Texts{} : paths);
        EXPECT_EQ(CountText(), c.takenOff ? L"0" : L"2");
    }
}

// Two selected rows dragged out and moved are taken off, the row between them stays; Esc takes
// nothing off; one undo brings both back in place; the choice comes back after a restart, and is
// written only once it was changed.
TEST_F(AfterDrag, SelectedRowsEscapeOneUndoAndARestart) {
    const auto keyInFile = [&] {
        wchar_t text[16] = {};
        ::GetPrivateProfileStringW(L"setting", L"afterdrag", L"none", text, 16,
                                   settingsPath.c_str());
        return std::wstring(text);
    };
    const auto ticked = [&](int id) {
        return (::GetMenuState(mainWindow->Controls().afterDragMenu, id, MF_BYCOMMAND) &
                MF_CHECKED) != 0;
    };
    EXPECT_TRUE(ticked(app::kIdAfterDragKeep));
    Restart([&] { EXPECT_EQ(keyInFile(), L"none") << "the first choice is not written"; });

    const Texts paths = {temp.File(L"a.txt"), temp.File(L"b.txt"), temp.File(L"c.txt")};
    Append(paths);
    ASSERT_EQ(ChooseAfterDrag('M'), "");
    EXPECT_TRUE(ticked(app::kIdAfterDragTakeOffMoved));
    EXPECT_FALSE(ticked(app::kIdAfterDragKeep));
    mainWindow->Controls().moveModeButton->SetDown(true);
    target->State().behaviour = static_cast<LONG>(Behaviour::Move);

    ASSERT_EQ(DragIcon(true), "");
    EXPECT_EQ(Report(), L"ドラッグを取り消しました");
    EXPECT_EQ(target->State().drops, 0);
    EXPECT_EQ(List().AllPaths(), paths);

    HWND listView = mainWindow->Controls().listView;
    ASSERT_EQ(
        Drive([&](InputDriver& d) {
            const POINT first = ListItemPoint(listView, 0);
            if (!d.MoveTo(first, "the pointer on the first row"))
                return;
            d.LeftDown();
            d.LeftUp();
            if (!d.WaitFor("the first row selected",
                           [&] { return SelectedListRows(listView) == std::vector{0}; }) ||
                !ClickListRowWith(d, listView, 2, VK_CONTROL, {0, 2}))
                return;
            // The third row pressed and dragged onto the other program.
            const POINT from = ListItemPoint(listView, 2), beyond{from.x + 20, from.y};
            if (!d.MoveTo(from, "the pointer on the third row"))
                return;
            d.LeftDown();
            if (d.MoveTo(beyond, "the row's drag") && d.WaitForDragLoop() &&
                d.MoveTo(target->Centre(), "the target entered", [&] { return target->Settled(); }))
                d.LeftUp();
        }),
        "");
    EXPECT_TRUE(Pump([&] {
        return Report() == L"2 件を移動しました（2 件をリストから外しました）";
    })) << win::ToUtf8(Report());
    EXPECT_EQ(List().AllPaths(), Texts{paths[1]});
    EXPECT_EQ(CountText(), L"1");

    // Ctrl+Z, once.
    ASSERT_EQ(Drive([](InputDriver& d) { d.Chord(VK_CONTROL, 'Z'); }), "");
    EXPECT_TRUE(Pump([&] { return List().AllPaths() == paths; }));
    EXPECT_EQ(CountText(), L"3");
    EXPECT_FALSE(List().CanUndo());

    // Restarted: the choice is ticked and at work; put back to the first, it is written so.
    Restart([&] { EXPECT_EQ(keyInFile(), L"1"); });
    EXPECT_TRUE(ticked(app::kIdAfterDragTakeOffMoved));
    const Texts more = {temp.File(L"d.txt")};
    Append(more);
    mainWindow->Controls().moveModeButton->SetDown(true);
    ASSERT_EQ(DragIcon(), "");
    EXPECT_TRUE(Pump([&] {
        return Report() == L"1 件を移動しました（1 件をリストから外しました）";
    })) << win::ToUtf8(Report());
    EXPECT_EQ(List().AllPaths(), Texts{});
    ASSERT_EQ(ChooseAfterDrag('K'), "");
    Restart([&] { EXPECT_EQ(keyInFile(), L"0"); });
    EXPECT_TRUE(ticked(app::kIdAfterDragKeep));
}

// Whether the moved files are gone is asked on a worker while the window goes on; an entry
// edited meanwhile has a new stamp and stays, though its file is gone too.
TEST_F(AfterDrag, AnEntryEditedWhileItsFileIsCheckedStays) {
    const Texts paths = {temp.File(L"a.txt"), temp.File(L"b.txt")};
    Append(paths);
    mainWindow->RunCommand(app::kIdAfterDragTakeOffMoved);
    mainWindow->Controls().moveModeButton->SetDown(true);
    target->State().behaviour = static_cast<LONG>(Behaviour::Move);
    win::JobRunner& check = mainWindow->Part<app::DragZonePart>().AfterDragging().Job();
    check.Hold(true);
    ASSERT_EQ(DragIcon(), "");
    EXPECT_TRUE(Pump([&] { return check.WorkDone(); }));
    EXPECT_EQ(Report(), L"2 件を移動しました");
    List().ReplaceAt(0, paths[0]);
    check.Hold(false);
    EXPECT_TRUE(Pump([&] {
        return Report() == L"2 件を移動しました（1 件をリストから外しました）";
    })) << win::ToUtf8(Report());
    EXPECT_EQ(List().AllPaths(), Texts{paths[0]});
}

} // namespace
} // namespace tuckbay::test
