// The drag-out from the real main window: real drags from dragIcon onto a drop target in this
// process, with the mode switch, the list and the error box of the program itself.

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "drag_kit.h"
#include "main_window_fixture.h"
#include "win/error.h"

namespace tuckbay::test {
namespace {

class FormDragTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        RECT mainWindow = WindowRect();
        target = std::make_unique<RecordingDropTarget>(RECT{
            mainWindow.right + 40, mainWindow.top, mainWindow.right + 290, mainWindow.top + 250});
        watch = std::make_unique<IconWatch>(form_icon());
    }

    void TearDown() override {
        watch.reset();
        target.reset();
        MainWindowTest::TearDown();
    }

    HWND form_icon() const { return mainWindow->Controls().dragIcon->Hwnd(); }

    bool DragToTarget(InputDriver& d) {
        return watch->DragTo(d, target->Centre(), [&] { return target->Settled(); });
    }
    // The whole gesture, carried onto the target and dropped there.
    std::string DragOntoTarget() {
        return DriveInput([&](InputDriver& d) {
            if (DragToTarget(d))
                d.LeftUpUntil("the end of the drag", [&] { return watch->Handled(21, 16); });
        });
    }

    // A row pressed and dragged 20 pixels to the right, then onto the target and dropped there.
    std::string DragRow(int row, bool ontoTarget) {
        const POINT from = ListItemPoint(mainWindow->Controls().listView, row);
        const POINT beyond{from.x + 20, from.y};
        return DriveInput([&](InputDriver& d) {
            if (!d.MoveTo(from, "the pointer on the row"))
                return;
            d.LeftDown();
            if (!d.MoveTo(beyond, "the row's drag"))
                return;
            if (ontoTarget && d.WaitForDragLoop() &&
                d.MoveTo(target->Centre(), "the target entered", [&] { return target->Settled(); }))
                d.LeftUp();
        });
    }

    // A click on the control or row at p.
    std::string ClickAt(POINT p) {
        return DriveInput([&](InputDriver& d) {
            if (d.MoveTo(p, "the pointer")) {
                d.LeftDown();
                d.LeftUp();
            }
        });
    }
    std::string ClickRow(int row) {
        return ClickAt(ListItemPoint(mainWindow->Controls().listView, row));
    }
    std::string ClickMoveMode() {
        RECT r{};
        ::GetWindowRect(mainWindow->Controls().moveModeButton->Hwnd(), &r);
        return ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }

    TempFolder temp;
    std::unique_ptr<RecordingDropTarget> target;
    std::unique_ptr<IconWatch> watch;
};

TEST_F(FormDragTest, CopyThenMoveHandEveryPathAndTheListStaysEvenAfterTheFilesMoved) {
    const std::vector<std::wstring> paths = {temp.File(L"one\\a.txt"), temp.File(L"two\\b.txt"),
                                             temp.File(L"one\\a.txt")};
    Append(paths);
    ASSERT_TRUE(mainWindow->Controls().copyModeButton->Down());

    ASSERT_EQ(DragOntoTarget(), "");
    EXPECT_EQ(target->drops, 1);
    EXPECT_EQ(target->enterEffect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target->dropEffect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target->DroppedPaths(), paths);
    EXPECT_FALSE(mainWindow->Controls().dragIcon->Pressed());
    EXPECT_EQ(Report(), L"3 件をコピーしました");

    // The rows have been checked and found there; after the move they turn grey.
    auto marked = [&](bool missing) {
        return Pump([&] {
            for (size_t i = 0; i < paths.size(); ++i)
                if (MainWindowTest::List().KnownMissing(i) != missing)
                    return false;
            return true;
        });
    };
    EXPECT_TRUE(marked(false));
    mainWindow->Controls().moveModeButton->SetDown(true);
    ASSERT_FALSE(mainWindow->Controls().copyModeButton->Down());
    const std::wstring movedInto = temp.Path(L"moved");
    CreateDirectoryW(movedInto.c_str(), nullptr);
    target->moveInto = movedInto;
    ASSERT_EQ(DragOntoTarget(), "");
    EXPECT_EQ(target->drops, 2);
    EXPECT_EQ(target->enterEffect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(target->dropEffect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(GetFileAttributesW(paths[0].c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(MainWindowTest::List().AllPaths(), paths);
    EXPECT_EQ(ViewTexts(mainWindow->Controls().listView), paths);
    EXPECT_EQ(CountText(), L"3");
    EXPECT_EQ(Report(), L"3 件を移動しました");
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_TRUE(marked(true)) << "the rows of the moved files were not checked again";

    // The files are gone: the next gesture stops at the data object with the shell's reason.
    const int enters = target->enters;
    std::string failure = DriveInput([&](InputDriver& d) {
        if (watch->PressAndStart(d))
            d.WaitFor("the failed gesture", [&] { return watch->Handled(21, 16); });
    });
    ASSERT_EQ(failure, "");
    const HRESULT notFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    // Every file that is gone is named once, in list order, in the one box; a quotation mark
    // ends the text, so no full stop.
    EXPECT_EQ(dialogs.errors, std::vector<std::wstring>{win::OleErrorText(notFound) + L"\r\n\"" +
                                                        paths[0] + L"\"\r\n\"" + paths[1] + L"\""});
    EXPECT_EQ(target->enters, enters);
    EXPECT_FALSE(mainWindow->Controls().dragIcon->Pressed());
    EXPECT_EQ(MainWindowTest::List().AllPaths(), paths);
}

TEST_F(FormDragTest, ATargetThatFailsOrHangsInDropLeavesTheProgramWhole) {
    const std::vector<std::wstring> paths = {temp.File(L"a.txt"), temp.File(L"b.txt")};
    Append(paths);

    target->dropResult = E_UNEXPECTED;
    ASSERT_EQ(DragOntoTarget(), "");
    EXPECT_EQ(target->drops, 1);
    EXPECT_FALSE(mainWindow->Controls().dragIcon->Pressed());
    EXPECT_EQ(Report(), L"ドラッグを取り消しました");
    EXPECT_EQ(CountText(), L"2") << "the count keeps its own part";

    // A target busy for seconds inside Drop: the program waits for it and then goes on.
    target->dropResult = S_OK;
    target->dropStallMs = 3000;
    ASSERT_EQ(DragOntoTarget(), "");
    EXPECT_EQ(target->drops, 2);
    EXPECT_EQ(target->DroppedPaths(), paths);
    EXPECT_FALSE(mainWindow->Controls().dragIcon->Pressed());
    DWORD_PTR answer = 0;
    EXPECT_TRUE(
        ::SendMessageTimeoutW(mainWindow->Hwnd(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer));

    EXPECT_EQ(MainWindowTest::List().AllPaths(), paths);
    EXPECT_EQ(CountText(), L"2");
    EXPECT_TRUE(dialogs.errors.empty());
    for (const std::wstring& path : paths)
        EXPECT_NE(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FormDragTest, EmptyListStartsNothingEscapeAndRightButtonCancel) {
    int releasesWhileHeld = -1;
    std::string failure = DriveInput([&](InputDriver& d) {
        if (!d.MoveTo(watch->At(16, 16), "the pointer on the icon",
                      [&] { return watch->Handled(16, 16); }))
            return;
        if (!d.LeftDownUntil("the press", [&] { return watch->presses > 0; }))
            return;
        if (d.MoveTo(watch->At(60, 40), "the long move", [&] { return watch->Handled(60, 40); }))
            releasesWhileHeld = watch->releases;
    });
    ASSERT_EQ(failure, "");
    EXPECT_EQ(releasesWhileHeld, 0);
    EXPECT_EQ(target->enters, 0);
    EXPECT_TRUE(dialogs.errors.empty());

    Append({temp.File(L"kept.txt")});
    int entersAfterCancel = -1;
    failure = DriveInput([&](InputDriver& d) {
        if (!DragToTarget(d))
            return;
        d.Key(VK_ESCAPE);
        if (!d.WaitFor("the cancel", [&] { return watch->Handled(21, 16); }))
            return;
        entersAfterCancel = target->enters;
        d.LeftUp();
        // Over the icon again with no button held: nothing starts.
        d.MoveTo(watch->At(8, 8), "the move after the cancel",
                 [&] { return watch->Handled(8, 8); });
    });
    ASSERT_EQ(failure, "");
    EXPECT_FALSE(target->inside);
    EXPECT_GE(target->leaves, 1);
    EXPECT_EQ(target->drops, 0);
    EXPECT_EQ(target->enters, entersAfterCancel);

    failure = DriveInput([&](InputDriver& d) {
        if (!DragToTarget(d))
            return;
        d.RightDown();
        d.WaitFor("the cancel", [&] { return watch->Handled(21, 16); });
        d.RightUp();
    });
    ASSERT_EQ(failure, "");
    EXPECT_FALSE(target->inside);
    EXPECT_EQ(target->drops, 0);
    EXPECT_TRUE(dialogs.errors.empty());
}

// A row dragged out of the list hands that one file, with the mode's effect; a row whose file
// is gone fails with the file named and drags nothing.
TEST_F(FormDragTest, ARowDraggedOutOfTheListHandsThatOneFile) {
    const std::vector<std::wstring> paths = {temp.File(L"a.txt"), temp.File(L"b.txt"),
                                             temp.Path(L"gone.txt")};
    Append(paths);
    ASSERT_EQ(DragRow(1, true), "");
    ASSERT_TRUE(Pump([&] { return target->drops == 1; }));
    EXPECT_EQ(target->dropEffect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target->DroppedPaths(), std::vector<std::wstring>{paths[1]});
    EXPECT_TRUE(Pump([&] { return Report() == L"1 件をコピーしました"; }));

    ASSERT_EQ(DragRow(2, false), "");
    EXPECT_TRUE(Pump([&] { return !dialogs.errors.empty(); }));
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find(L"\"" + paths[2] + L"\""), std::wstring::npos);
    EXPECT_EQ(target->drops, 1);
    EXPECT_EQ(MainWindowTest::List().AllPaths(), paths);

    // In move mode, chosen with a click on "移動": the file goes, the list keeps its entry, and
    // the row turns grey.
    ASSERT_EQ(ClickMoveMode(), "");
    ASSERT_TRUE(Pump([&] { return mainWindow->Controls().moveModeButton->Down(); }));
    target->moveInto = temp.File(L"moved\\x.txt");
    target->moveInto.resize(target->moveInto.size() - 6); // the folder, made with a file in it
    ASSERT_EQ(DragRow(0, true), "");
    ASSERT_TRUE(Pump([&] { return target->drops == 2; }));
    EXPECT_EQ(target->dropEffect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(target->DroppedPaths(), std::vector<std::wstring>{paths[0]});
    EXPECT_TRUE(Pump([&] { return Report() == L"1 件を移動しました"; }));
    EXPECT_EQ(::GetFileAttributesW(paths[0].c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(MainWindowTest::List().AllPaths(), paths);
    EXPECT_TRUE(Pump([&] { return MainWindowTest::List().KnownMissing(0) == true; }));
}

// Rows chosen with Ctrl+click and dragged out from one of them hand every selected file in list
// order, in either mode: copied, then moved with the report and their rows turning grey.
TEST_F(FormDragTest, ASelectionDraggedOutHandsEverySelectedFileInListOrder) {
    const std::vector<std::wstring> paths = {temp.File(L"a.txt"), temp.File(L"b.txt"),
                                             temp.File(L"c.txt"), temp.File(L"d.txt")};
    Append(paths);
    ::SetForegroundWindow(mainWindow->Hwnd());
    const struct {
        int first, second; // the rows clicked, the second with Ctrl
        bool move;
        const wchar_t* report;
    } cases[] = {{2, 0, false, L"2 件をコピーしました"}, {1, 3, true, L"2 件を移動しました"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.move ? "move" : "copy");
        if (c.move) {
            ASSERT_EQ(ClickMoveMode(), "");
            ASSERT_TRUE(Pump([&] { return mainWindow->Controls().moveModeButton->Down(); }));
            target->moveInto = temp.Path(L"moved");
            ::CreateDirectoryW(target->moveInto.c_str(), nullptr);
        }
        const int drops = target->drops;
        ASSERT_EQ(ClickRow(c.first), "");
        const int low = std::min(c.first, c.second), high = std::max(c.first, c.second);
        ASSERT_EQ(DriveInput([&](InputDriver& d) {
                      ClickListRowWith(d, mainWindow->Controls().listView, c.second, VK_CONTROL,
                                       {low, high});
                  }),
                  "");
        ASSERT_EQ(DragRow(c.first, true), "");
        ASSERT_TRUE(Pump([&] { return target->drops == drops + 1; }));
        EXPECT_EQ(target->DroppedPaths(), (std::vector<std::wstring>{paths[low], paths[high]}));
        EXPECT_EQ(target->dropEffect,
                  static_cast<DWORD>(c.move ? DROPEFFECT_MOVE : DROPEFFECT_COPY));
        EXPECT_TRUE(Pump([&] { return Report() == c.report; }));
        EXPECT_EQ(MainWindowTest::List().AllPaths(), paths);
        if (c.move) {
            EXPECT_TRUE(Pump([&] {
                return MainWindowTest::List().KnownMissing(low) == true &&
                       MainWindowTest::List().KnownMissing(high) == true;
            }));
            EXPECT_NE(MainWindowTest::List().KnownMissing(0), true);
        }
    }
}

} // namespace
} // namespace tuckbay::test
