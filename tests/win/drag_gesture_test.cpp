// The drag-out gesture through real drags: an icon window that presses and captures as the
// toolkit's image control does, a drop target in this process, and synthesised input.

#include <windows.h>
#include <windowsx.h>

#include <atomic>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "drag_kit.h"
#include "dragout/drag_gesture.h"
#include "dragout/drop_source.h"
#include "pump.h"
#include "win/error.h"

namespace {

using tuckbay::test::DriveInput;
using tuckbay::test::InputDriver;
using tuckbay::test::RecordingDropTarget;
using tuckbay::test::TempFolder;

// Counts the drag loop's questions, so a test can tell whether a drag ran at all.
class CountingDropSource : public dragout::DropSource {
public:
    STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
        ++questions;
        return DropSource::QueryContinueDrag(escapePressed, keyState);
    }
    std::atomic<int> questions{0};
};

constexpr wchar_t kIconClass[] = L"TuckbayTestDragIcon";
constexpr POINT kIconOrigin = {100, 100}; // screen position of the icon's top-left corner
constexpr RECT kTargetRect = {600, 100, 900, 400};

// The icon and everything its handlers touch; the state is declared before the window.
class Scene : public dragout::DragHost {
public:
    Scene() : gesture(*this, dropSource) {
        tuckbay::test::RegisterTestWindowClass(kIconClass, IconProc, CS_DBLCLKS);
        icon_ = CreateWindowExW(WS_EX_TOPMOST, kIconClass, L"", WS_POPUP | WS_VISIBLE,
                                kIconOrigin.x, kIconOrigin.y, 32, 32, nullptr, nullptr,
                                GetModuleHandleW(nullptr), this);
        watch = std::make_unique<tuckbay::test::IconWatch>(icon_);
        SetForegroundWindow(icon_);
        tuckbay::test::PumpPending();
    }
    ~Scene() override {
        watch.reset();
        DestroyWindow(icon_);
    }

    // In the icon's coordinates.
    static POINT At(int x, int y) { return {kIconOrigin.x + x, kIconOrigin.y + y}; }

    std::vector<std::wstring> ListedPaths() override { return paths; }
    size_t ListedCount() const override { return paths.size(); }
    HWND IconWindow() const override { return icon_; }
    bool IconPressed() const override { return pressed; }
    bool MoveModeDown() const override { return moveMode; }
    void DragEnded(const dragout::DragOutcome& outcome) override {
        reports.push_back(dragout::ReportText(outcome));
    }

    bool Handled(int x, int y) const { return watch->Handled(x, y); }

    // Left releases that reached the icon: where, and how far the drag loop had got by then.
    struct Release {
        int x, y, questions;
    };
    std::vector<Release> releases;
    std::vector<std::wstring> paths;
    std::vector<std::wstring> reports; // of every drag that ended, in order
    bool moveMode = false;
    std::atomic<bool> pressed{false};
    std::optional<win::Error> error;
    CountingDropSource dropSource;
    dragout::DragGesture gesture;
    std::unique_ptr<tuckbay::test::IconWatch> watch;

private:
    static LRESULT CALLBACK IconProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<Scene*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self == nullptr)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            self->pressed = true;
            SetCapture(hwnd);
            self->gesture.MouseDown(true, x, y);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            self->gesture.MouseDown(false, x, y);
            return 0;
        case WM_LBUTTONUP:
            self->releases.push_back({x, y, self->dropSource.questions});
            self->pressed = false;
            if (GetCapture() == hwnd)
                ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd)
                self->pressed = false;
            return 0;
        case WM_MOUSEMOVE:
            try {
                self->gesture.MouseMove(x, y);
            } catch (const win::Error& error) {
                self->error = error;
            }
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    HWND icon_ = nullptr;
};

// Puts the pointer on the icon and presses the left button there.
bool PressLeftAt(InputDriver& d, Scene& scene, int x, int y) {
    if (!d.MoveTo(Scene::At(x, y), "the pointer on the icon", [&] { return scene.Handled(x, y); }))
        return false;
    return d.LeftDownUntil("the press", [&] { return scene.pressed.load(); });
}

// Presses at press, starts the drag with a move to start, and carries it onto the target.
bool DragOntoTarget(InputDriver& d, Scene& scene, RecordingDropTarget& target, POINT press,
                    POINT start) {
    return PressLeftAt(d, scene, press.x, press.y) &&
           d.MoveTo(Scene::At(start.x, start.y), "the drag loop",
                    [&] { return scene.dropSource.questions > 0; }) &&
           d.MoveTo(target.Centre(), "the target entered", [&] { return target.Settled(); });
}

class DragGestureTest : public ::testing::Test {
protected:
    TempFolder temp;
    RecordingDropTarget target{kTargetRect};
    Scene scene;
};

TEST_F(DragGestureTest, CopyModeHandsEveryPathInOrderAfterFivePixelsOutsideTheIcon) {
    scene.paths = {temp.File(L"b\\2.txt"), temp.File(L"a\\1.txt"), temp.File(L"b\\2.txt"),
                   temp.File(L"c\\3.txt")};
    const auto listed = scene.paths;
    bool pressedAfterSmallMove = false;
    int questionsAfterSmallMove = -1, questionsAfterDrop = -1;

    std::string failure = DriveInput([&](InputDriver& d) {
        if (!PressLeftAt(d, scene, 2, 16))
            return;
        // 4 right and 4 down: nothing yet.
        if (!d.MoveTo(Scene::At(6, 20), "the small move", [&] { return scene.Handled(6, 20); }))
            return;
        pressedAfterSmallMove = scene.pressed;
        questionsAfterSmallMove = scene.dropSource.questions;
        // 5 left of the press point, outside the icon.
        if (!d.MoveTo(Scene::At(-3, 16), "the drag loop",
                      [&] { return scene.dropSource.questions > 0; }))
            return;
        if (!d.MoveTo(target.Centre(), "the target entered", [&] { return target.Settled(); }))
            return;
        if (!d.LeftUpUntil("the drop", [&] { return scene.Handled(-3, 16); }))
            return;
        questionsAfterDrop = scene.dropSource.questions;
        // Back over the icon with no button held.
        d.MoveTo(Scene::At(20, 20), "the move after the drop",
                 [&] { return scene.Handled(20, 20); });
    });
    ASSERT_EQ(failure, "");

    EXPECT_TRUE(pressedAfterSmallMove);
    EXPECT_EQ(questionsAfterSmallMove, 0);
    EXPECT_EQ(scene.gesture.DragStartX(), 2);
    EXPECT_EQ(scene.gesture.DragStartY(), 16);
    EXPECT_EQ(target.drops, 1);
    EXPECT_EQ(target.enterEffect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target.dropEffect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target.DroppedPaths(), listed);
    EXPECT_EQ(scene.paths, listed);
    // The gesture sent the icon its release at the point of the move, before the drag loop.
    ASSERT_FALSE(scene.releases.empty());
    EXPECT_EQ(scene.releases[0].x, -3);
    EXPECT_EQ(scene.releases[0].y, 16);
    EXPECT_EQ(scene.releases[0].questions, 0);
    EXPECT_FALSE(scene.pressed);
    EXPECT_EQ(scene.dropSource.questions, questionsAfterDrop);
    EXPECT_FALSE(scene.error);
    EXPECT_EQ(scene.reports, std::vector<std::wstring>{L"4 件をコピーしました"});
}

// A move is reported as the loop answers it, or as the target says it did it itself (the
// shell's own move answers "none" and sets "Performed DropEffect").
TEST_F(DragGestureTest, MoveModeOffersOnlyAMoveAndFiveUpStartsIt) {
    scene.paths = {temp.File(L"moved.txt")};
    scene.moveMode = true;
    for (bool targetMovesItself : {false, true}) {
        SCOPED_TRACE(targetMovesItself);
        target.movesItself = targetMovesItself;
        scene.reports.clear();
        const int dropsBefore = target.drops;
        std::string failure = DriveInput([&](InputDriver& d) {
            if (!DragOntoTarget(d, scene, target, {16, 16}, {16, 11}))
                return;
            d.LeftUpUntil("the drop", [&] { return scene.Handled(16, 11); });
        });
        ASSERT_EQ(failure, "");
        EXPECT_EQ(target.drops, dropsBefore + 1);
        EXPECT_EQ(target.enterEffect, static_cast<DWORD>(DROPEFFECT_MOVE));
        EXPECT_EQ(target.dropEffect, static_cast<DWORD>(DROPEFFECT_MOVE));
        EXPECT_EQ(target.DroppedPaths(), scene.paths);
        EXPECT_EQ(scene.reports,
                  std::vector<std::wstring>{targetMovesItself ? L"ドロップ先が移動を処理しました"
                                                              : L"1 件を移動しました"});
    }
}

TEST_F(DragGestureTest, EscapeCancelsAndNoLaterMoveStartsAnotherDrag) {
    scene.paths = {temp.File(L"kept.txt")};
    int questionsAfterCancel = -1;
    std::string failure = DriveInput([&](InputDriver& d) {
        if (!DragOntoTarget(d, scene, target, {16, 16}, {21, 16}))
            return;
        d.Key(VK_ESCAPE);
        if (!d.WaitFor("the cancel", [&] { return scene.Handled(21, 16); }))
            return;
        questionsAfterCancel = scene.dropSource.questions;
        d.LeftUp();
        d.MoveTo(Scene::At(8, 8), "the move after the cancel", [&] { return scene.Handled(8, 8); });
    });
    ASSERT_EQ(failure, "");
    EXPECT_FALSE(target.inside);
    EXPECT_GE(target.leaves, 1);
    EXPECT_EQ(target.drops, 0);
    EXPECT_EQ(scene.dropSource.questions, questionsAfterCancel);
    EXPECT_EQ(scene.reports, std::vector<std::wstring>{L"ドラッグを取り消しました"});
}

TEST_F(DragGestureTest, TheRightButtonCancels) {
    scene.paths = {temp.File(L"kept.txt")};
    std::string failure = DriveInput([&](InputDriver& d) {
        if (!DragOntoTarget(d, scene, target, {16, 16}, {16, 21}))
            return;
        d.RightDown();
        d.WaitFor("the cancel", [&] { return scene.Handled(16, 21); });
        d.RightUp();
        d.LeftUp();
    });
    ASSERT_EQ(failure, "");
    EXPECT_FALSE(target.inside);
    EXPECT_GE(target.leaves, 1);
    EXPECT_EQ(target.drops, 0);
}

TEST_F(DragGestureTest, OtherButtonsStoreNoStartPointAndAnEmptyListStartsNothing) {
    std::string failure = DriveInput([&](InputDriver& d) {
        if (!PressLeftAt(d, scene, 10, 12))
            return;
        if (!d.MoveTo(Scene::At(60, 12), "the long move", [&] { return scene.Handled(60, 12); }))
            return;
        if (!d.LeftUpUntil("the release", [&] { return !scene.pressed; }))
            return;
        if (!d.MoveTo(Scene::At(25, 25), "the pointer on the icon",
                      [&] { return scene.Handled(25, 25); }))
            return;
        d.RightDown();
        d.RightUp();
        d.MiddleDown();
        d.MiddleUp();
        d.MoveTo(Scene::At(26, 26), "a move after the other presses",
                 [&] { return scene.Handled(26, 26); });
    });
    ASSERT_EQ(failure, "");
    EXPECT_EQ(scene.gesture.DragStartX(), 10);
    EXPECT_EQ(scene.gesture.DragStartY(), 12);
    EXPECT_EQ(scene.dropSource.questions, 0);
    EXPECT_EQ(target.enters, 0);
}

TEST_F(DragGestureTest, APathTheShellCannotFindFailsWithItsCodeAndNothingIsDragged) {
    scene.paths = {temp.File(L"there.txt"), temp.Path(L"gone.txt")};
    std::string failure = DriveInput([&](InputDriver& d) {
        if (!PressLeftAt(d, scene, 16, 16))
            return;
        d.MoveTo(Scene::At(30, 16), "the failed gesture", [&] { return scene.Handled(30, 16); });
    });
    ASSERT_EQ(failure, "");
    ASSERT_TRUE(scene.error);
    EXPECT_EQ(static_cast<HRESULT>(scene.error->Code()), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(scene.error->Text(), win::OleErrorText(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) +
                                       L"\r\n\"" + scene.paths[1] + L"\"");
    EXPECT_FALSE(scene.pressed); // the release came first
    EXPECT_EQ(scene.dropSource.questions, 0);
    EXPECT_EQ(target.enters, 0);
}

} // namespace
