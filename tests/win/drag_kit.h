// What the drag-out tests share: real files to list, a drop target that records what it is
// offered, and synthesised mouse and keyboard input from a driver thread.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

namespace testing {
class TestEventListener;
}

namespace tuckbay::test {

// A folder of its own under the temporary folder (or another), removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(
        const std::filesystem::path& parent = std::filesystem::temp_directory_path());
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Creates the file (and the folders on its way) and returns its full path.
    std::wstring File(const std::wstring& relative);
    std::wstring Path(const std::wstring& relative) const;

private:
    std::filesystem::path root_;
};

// The files a data object stands for, read through its "Shell IDList Array".
std::vector<std::wstring> ShellIdListPaths(IDataObject* data);
// The same, read through its CF_HDROP.
std::vector<std::wstring> HdropPaths(IDataObject* data);

// The popup menu of this process that is open on the screen, if any.
HWND OpenPopupMenu();

// A point on the label of a report list view's item, in screen coordinates: where a user
// clicks or presses to take the item.
POINT ListItemPoint(HWND listView, int index);
// The list view's selected rows, in order.
std::vector<int> SelectedListRows(HWND listView);

// Registers a window class of the test process, once.
void RegisterTestWindowClass(const wchar_t* name, WNDPROC proc, UINT style = 0);

// A drop target window at a fixed place on the screen that accepts whatever one effect it is
// offered and records it. Its counters are read from the driver thread.
class RecordingDropTarget : public IDropTarget {
public:
    explicit RecordingDropTarget(RECT screenRect);
    ~RecordingDropTarget();
    RecordingDropTarget(const RecordingDropTarget&) = delete;
    RecordingDropTarget& operator=(const RecordingDropTarget&) = delete;

    POINT Centre() const;

    // The pointer is over the target and the drag loop has asked about it a few times since
    // it came in. Under Wine an echo of an earlier pointer position can reach the drag loop
    // shortly after a move and take the drag out of the target for a moment; a release
    // before that has passed would drop on nothing.
    bool Settled() const { return inside && oversSinceEnter >= 2; }

    std::atomic<bool> inside{false};
    std::atomic<int> enters{0}, leaves{0}, drops{0}, oversSinceEnter{0};
    std::atomic<DWORD> enterEffect{0}, dropEffect{0};
    std::vector<std::wstring> DroppedPaths() const;
    // When set, a drop moves the dropped files into this folder, as a folder window would.
    std::wstring moveInto;
    // What Drop answers, and how long it keeps the drag loop waiting first: a target that
    // fails, or one that hangs for a while.
    HRESULT dropResult = S_OK;
    // When set, a drop answers "none" and reports a move it did itself through the data
    // object ("Performed DropEffect" and "Paste Succeeded"), as the shell does when it moves
    // files within a drive.
    bool movesItself = false;
    DWORD dropStallMs = 0;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keys, POINTL pt, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override;

private:
    RECT rect_;
    HWND hwnd_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::wstring> dropped_;
};

class InputDriver;

// Watches the pointer messages of a window from outside, through a subclass, so that the
// driver thread can wait until the window has handled a move to the end (a drag included).
class IconWatch {
public:
    explicit IconWatch(HWND icon);
    ~IconWatch();
    IconWatch(const IconWatch&) = delete;
    IconWatch& operator=(const IconWatch&) = delete;

    // The last move the window handled was to (x, y), in its coordinates, and it is done.
    bool Handled(int x, int y) const;
    // The point (x, y) of the window, on the screen.
    POINT At(int x, int y) const;
    // A press on the window at (16, 16) and a move 5 pixels right, past the drag threshold (the
    // gesture's own release of the window comes just before the drag loop); with over, carried
    // there once the drag loop runs, until settled() holds.
    bool PressAndStart(InputDriver& d);
    bool DragTo(InputDriver& d, POINT over, const std::function<bool()>& settled);

    std::atomic<int> presses{0};  // left presses handled
    std::atomic<int> releases{0}; // left releases handled, synthesised ones too

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR self);
    HWND icon_;
    std::atomic<int> x_{-100000}, y_{-100000}, busy_{0};
};

// Synthesised input, sent from a thread of its own while the test's thread pumps messages
// (and runs the drag loop). Every step waits for its effect rather than for time to pass.
class InputDriver {
public:
    // Made on the thread that pumps messages: it watches which pointer messages the system hands
    // that thread, so that input the system lost is told from input the program missed.
    InputDriver();
    ~InputDriver();
    InputDriver(const InputDriver&) = delete;
    InputDriver& operator=(const InputDriver&) = delete;

    // Moves the pointer and waits until arrived() holds. Wine may fold the move into an
    // echo of an earlier pointer position that reaches its queue later, or drop it on a
    // loaded machine; the move is made again only while the system has the pointer elsewhere.
    // A program that does not show a move the system has is a failure, not a reason to retry.
    bool MoveTo(POINT screen, const char* what, const std::function<bool()>& arrived);
    // The same, until the system has the pointer at screen.
    bool MoveTo(POINT screen, const char* what);
    void LeftDown();
    void LeftUp();
    // Presses or releases the left button and waits until seen() holds; a press or release
    // the system lost (its button state is not as sent) is made again, a press after a release
    // so that it is a new press. Every input made again is printed and written down for the
    // run's summary.
    bool LeftDownUntil(const char* what, const std::function<bool()>& seen);
    bool LeftUpUntil(const char* what, const std::function<bool()>& seen);
    void RightDown();
    void RightUp();
    void MiddleDown();
    void MiddleUp();
    void Key(WORD vk);
    // A key held down (and let go) around other input: Shift or Ctrl for a click.
    void KeyDown(WORD vk) { KeyEvent(vk, 0); }
    void KeyUp(WORD vk) { KeyEvent(vk, KEYEVENTF_KEYUP); }
    // A key pressed while a modifier (VK_SHIFT, VK_MENU, VK_CONTROL) is held down.
    void Chord(WORD modifier, WORD vk);
    void Chord(std::initializer_list<WORD> modifiers, WORD vk);
    // Types text as characters, whatever the keyboard layout.
    void Type(const std::wstring& text);
    // Whether this driver has made pointer input (a move or a button).
    bool DrovePointer() const { return drovePointer_; }

    // Waits until the pumping thread's drag loop runs (it holds the pointer's capture in a
    // window of its own): a move made before it would be taken by the gesture, and the loop
    // would not look at the pointer until the next one.
    bool WaitForDragLoop();

    // Waits until done() holds; on timeout records what was awaited and returns false.
    bool WaitFor(const char* what, const std::function<bool()>& done,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // Whether done() holds within timeout; nothing is recorded when it does not.
    bool Poll(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    std::string failure;
    std::string lost;

private:
    void Mouse(DWORD flags, POINT screen = {});
    void KeyEvent(WORD vk, DWORD flags);
    bool ButtonUntil(DWORD flags, DWORD before_again, const char* what,
                     const std::function<bool()>& seen);
    // Waits until seen() holds, making the input again by again() whenever lostBecause names
    // how the system lost it (mayStillCome: the system has not yet had time to take it and
    // hand it over, so nothing counts as lost).
    bool Until(const char* what, const std::function<bool()>& seen,
               const std::function<std::string(bool mayStillCome)>& lostBecause,
               const std::function<void()>& again);

    // The thread that made the driver: the one that pumps messages and runs the drag loop.
    DWORD pumpThread_ = GetCurrentThreadId();
    HHOOK hook_ = nullptr;
    POINT last_{};
    bool moved_ = false;
    bool drovePointer_ = false;
};

// A click on a list view's row with Shift or Ctrl held, which must leave the rows expected
// selected. It is made again only when the system handed the click over without the key (Wine
// lets go of a held key now and then), never for what the list made of it.
bool ClickListRowWith(InputDriver& d, HWND listView, int row, WORD modifier,
                      const std::vector<int>& expected);

// For the test program's main: fails a test whose "pointer" label is not what it did.
::testing::TestEventListener* MakePointerLabelCheck();

// Runs script on a driver thread while this thread pumps messages; afterwards a script that
// drove the pointer lets go of its buttons, so that a failed one leaves no drag behind. Returns
// the driver's failure text, empty on success.
// pump runs this thread's messages until its condition holds or its time is up; by default
// a plain loop, a test of the main window passes the program's own.
using Pump = std::function<bool(const std::function<bool()>&, std::chrono::milliseconds)>;
std::string DriveInput(const std::function<void(InputDriver&)>& script, const Pump& pump = nullptr);

} // namespace tuckbay::test
