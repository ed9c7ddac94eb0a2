// What the list does after a drag out of it, as chosen under "ドラッグ後(&A)": real drags from the
// real main window onto a drop target of another program (drop_target.exe), which copies, moves,
// moves as a folder window does an optimized move, claims a move it did not make, or refuses.
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
        watch = std::make_unique<IconWatch>(Icon());
        ASSERT_TRUE(target->Ready()) << "drop_target.exe did not start";
    }
    void TearDown() override {
        watch.reset();
        target.reset();
        MainWindowTest::TearDown();
    }

    HWND Icon() const { return mainWindow->Controls().dragIcon->Hwnd(); }
    POINT IconAt(int x, int y) const {
        POINT p{x, y};
        ::ClientToScreen(Icon(), &p);
        return p;
    }
    static std::function<bool()> PointerAt(POINT p) {
        return [p] {
            POINT now{};
            ::GetCursorPos(&now);
            return now.x == p.x && now.y == p.y;
        };
    }
    std::string Drive(const std::function<void(InputDriver&)>& script) {
        return DriveInput(
            script, [this](const std::function<bool()>& done, std::chrono::milliseconds timeout) {
                return app->PumpUntil(done, static_cast<DWORD>(timeout.count()));
            });
    }

    // The icon pressed and dragged onto the other program's window, then let go there (or the
    // drag given up with Esc once over it).
    std::string DragIcon(bool escape = false) {
        return Drive([&](InputDriver& d) {
            const int presses = watch->presses, releases = watch->releases;
            if (!d.MoveTo(IconAt(16, 16), "the pointer on the icon",
                          [&] { return watch->Handled(16, 16); }) ||
                !d.LeftDownUntil("the press", [&] { return watch->presses > presses; }) ||
                !d.MoveTo(IconAt(21, 16), "the gesture",
                          [&] { return watch->releases > releases || watch->Handled(21, 16); }) ||
                !d.MoveTo(target->Centre(), "the target entered",
                          [&] { return target->Settled(); }))
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

    // What the status bar's second part says.
    std::wstring Report() const {
        wchar_t text[256] = {};
        ::SendMessageW(mainWindow->Controls().statusBar, SB_GETTEXTW, 1,
                       reinterpret_cast<LPARAM>(text));
        return text;
    }

    void ListPaths(const Texts& paths) {
        for (const std::wstring& path : paths)
            List().AppendPath(path);
        List().UpdateCountDisplay();
    }

    TempFolder temp;
    std::unique_ptr<OtherProgramTarget> target;
    std::unique_ptr<IconWatch> watch;
};

TEST_F(AfterDrag, AnotherProgramTakesTheIconsDrag) {
    const Texts paths = {temp.File(L"a.txt"), temp.File(L"b.txt")};
    ListPaths(paths);
    const ULONGLONG start = ::GetTickCount64();
    ASSERT_EQ(DragIcon(), "");
    std::printf("drag took %llu ms\n", ::GetTickCount64() - start);
    EXPECT_EQ(target->State().drops, 1);
    EXPECT_EQ(target->State().offered, DROPEFFECT_COPY);
    EXPECT_EQ(Report(), L"2 件をコピーしました");
    EXPECT_NE(::GetFileAttributesW(temp.Path(L"there\\a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
} // namespace tuckbay::test
