#include "drag_kit.h"

#include <commctrl.h>
#include <shlobj.h>
#include <windowsx.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "intake/drop_intake.h"
#include "pump.h"
#include "win/codepage.h"

namespace tuckbay::test {

namespace fs = std::filesystem;

TempFolder::TempFolder(const fs::path& parent) {
    static std::atomic<int> serial{0};
    root_ = parent / (L"tuckbay-drag-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                      std::to_wstring(serial++));
    fs::remove_all(root_);
    fs::create_directories(root_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::wstring TempFolder::Path(const std::wstring& relative) const {
    return (root_ / relative).wstring();
}

std::wstring TempFolder::File(const std::wstring& relative) {
    fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "tuckbay";
    return path.wstring();
}

std::vector<std::wstring> ShellIdListPaths(IDataObject* data) {
    FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_SHELLIDLIST)), nullptr,
                     DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    std::vector<std::wstring> paths;
    if (data == nullptr || FAILED(data->GetData(&format, &medium)))
        return paths;
    if (auto* cida = static_cast<CIDA*>(GlobalLock(medium.hGlobal))) {
        auto at = [cida](UINT i) {
            return reinterpret_cast<PCIDLIST_ABSOLUTE>(reinterpret_cast<const BYTE*>(cida) +
                                                       cida->aoffset[i]);
        };
        for (UINT i = 1; i <= cida->cidl; ++i) {
            PIDLIST_ABSOLUTE full = ILCombine(at(0), at(i));
            PWSTR name = nullptr;
            if (full && SUCCEEDED(SHGetNameFromIDList(full, SIGDN_FILESYSPATH, &name))) {
                paths.emplace_back(name);
                CoTaskMemFree(name);
            } else {
                paths.emplace_back(L"<no file-system path>");
            }
            ILFree(full);
        }
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return paths;
}

std::vector<std::wstring> HdropPaths(IDataObject* data) {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (data == nullptr || FAILED(data->GetData(&format, &medium)))
        return {};
    std::vector<std::wstring> paths = intake::ReadDroppedPaths(static_cast<HDROP>(medium.hGlobal));
    ReleaseStgMedium(&medium);
    return paths;
}

namespace {

constexpr wchar_t kTargetClass[] = L"TuckbayTestDropTarget";

} // namespace

POINT ListItemPoint(HWND listView, int index) {
    RECT r{};
    r.left = LVIR_LABEL;
    ::SendMessageW(listView, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    POINT p{r.left + 10, (r.top + r.bottom) / 2};
    ::ClientToScreen(listView, &p);
    return p;
}

std::vector<int> SelectedListRows(HWND listView) {
    std::vector<int> rows;
    for (int row = -1; (row = static_cast<int>(
                            ::SendMessageW(listView, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
        rows.push_back(row);
    return rows;
}

HWND OpenPopupMenu() {
    HWND found = nullptr;
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            wchar_t name[16] = {};
            ::GetClassNameW(hwnd, name, 16);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(hwnd, &pid);
            if (std::wstring(name) == L"#32768" && pid == ::GetCurrentProcessId() &&
                ::IsWindowVisible(hwnd)) {
                *reinterpret_cast<HWND*>(param) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void RegisterTestWindowClass(const wchar_t* name, WNDPROC proc, UINT style) {
    WNDCLASSW wc{};
    if (GetClassInfoW(GetModuleHandleW(nullptr), name, &wc))
        return;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

RecordingDropTarget::RecordingDropTarget(RECT screenRect) : rect_(screenRect) {
    RegisterTestWindowClass(kTargetClass, DefWindowProcW);
    hwnd_ =
        CreateWindowExW(WS_EX_TOPMOST, kTargetClass, L"drop target", WS_POPUP | WS_VISIBLE,
                        rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    RegisterDragDrop(hwnd_, this);
    PumpPending();
}

RecordingDropTarget::~RecordingDropTarget() {
    RevokeDragDrop(hwnd_);
    DestroyWindow(hwnd_);
}

POINT RecordingDropTarget::Centre() const {
    return {(rect_.left + rect_.right) / 2, (rect_.top + rect_.bottom) / 2};
}

std::vector<std::wstring> RecordingDropTarget::DroppedPaths() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

STDMETHODIMP RecordingDropTarget::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
        *object = static_cast<IDropTarget*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP RecordingDropTarget::DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) {
    enterEffect = *effect;
    oversSinceEnter = 0;
    inside = true;
    ++enters;
    return S_OK;
}

STDMETHODIMP RecordingDropTarget::DragOver(DWORD, POINTL, DWORD*) {
    ++oversSinceEnter;
    return S_OK;
}

STDMETHODIMP RecordingDropTarget::DragLeave() {
    inside = false;
    ++leaves;
    return S_OK;
}

STDMETHODIMP RecordingDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    dropEffect = *effect;
    inside = false;
    std::vector<std::wstring> paths = ShellIdListPaths(data);
    if (!moveInto.empty())
        for (const std::wstring& path : paths)
            MoveFileW(path.c_str(), (fs::path(moveInto) / fs::path(path).filename()).c_str());
    {
        std::lock_guard lock(mutex_);
        dropped_ = std::move(paths);
    }
    ++drops;
    if (dropStallMs != 0)
        ::Sleep(dropStallMs); // the hang itself, not a wait for anything
    if (FAILED(dropResult))
        *effect = DROPEFFECT_NONE;
    if (movesItself) {
        for (const wchar_t* name : {CFSTR_PERFORMEDDROPEFFECT, CFSTR_PASTESUCCEEDED}) {
            FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(name)), nullptr,
                             DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
            STGMEDIUM medium{};
            medium.tymed = TYMED_HGLOBAL;
            medium.hGlobal = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
            *static_cast<DWORD*>(GlobalLock(medium.hGlobal)) = DROPEFFECT_MOVE;
            GlobalUnlock(medium.hGlobal);
            if (FAILED(data->SetData(&format, &medium, TRUE)))
                ReleaseStgMedium(&medium);
        }
        *effect = DROPEFFECT_NONE;
    }
    return dropResult;
}

IconWatch::IconWatch(HWND icon) : icon_(icon) {
    SetWindowSubclass(icon_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

IconWatch::~IconWatch() { RemoveWindowSubclass(icon_, Proc, 1); }

bool IconWatch::Handled(int x, int y) const { return busy_ == 0 && x_ == x && y_ == y; }

POINT IconWatch::At(int x, int y) const {
    POINT p{x, y};
    ::ClientToScreen(icon_, &p);
    return p;
}

bool IconWatch::PressAndStart(InputDriver& d) {
    const int pressed = presses, released = releases;
    return d.MoveTo(At(16, 16), "the pointer on the icon", [&] { return Handled(16, 16); }) &&
           d.LeftDownUntil("the press", [&] { return presses > pressed; }) &&
           d.MoveTo(At(21, 16), "the gesture",
                    [&] { return releases > released || Handled(21, 16); });
}

bool IconWatch::DragTo(InputDriver& d, POINT over, const std::function<bool()>& settled) {
    return PressAndStart(d) && d.WaitForDragLoop() && d.MoveTo(over, "the target entered", settled);
}

LRESULT CALLBACK IconWatch::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) {
    auto* self = reinterpret_cast<IconWatch*>(data);
    if (msg == WM_MOUSEMOVE)
        ++self->busy_;
    LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_MOUSEMOVE:
        self->x_ = GET_X_LPARAM(lParam);
        self->y_ = GET_Y_LPARAM(lParam);
        --self->busy_;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        ++self->presses;
        break;
    case WM_LBUTTONUP:
        ++self->releases;
        break;
    }
    return result;
}

namespace {

// How long the program may take to show what it made of input the system has.
constexpr auto kProgramAnswers = std::chrono::seconds(10);
// How long the system may take to take input and hand it to the pumping thread.
constexpr auto kSystemHands = std::chrono::seconds(1);
// How often input the system has lost is made again before the test gives up.
constexpr int kMostAgain = 20;

// What the system handed the pumping thread: the point of its last pointer move, how many left
// presses and releases, and which of Shift and Ctrl its key state held at the last of each. One
// driver runs at a time.
std::atomic<long long> movedTo{-1};
std::atomic<int> leftDowns{0}, leftUps{0};
std::atomic<bool> shiftAtDown{false}, controlAtDown{false}, shiftAtUp{false}, controlAtUp{false};
// Whether the running test has made pointer input: a move or a button of SendInput's.
std::atomic<bool> pointerDriven{false};

long long PointKey(POINT p) { return (static_cast<long long>(p.x) << 32) | (p.y & 0xFFFFFFFFll); }

LRESULT CALLBACK HandedOver(int code, WPARAM message, LPARAM lParam) {
    if (code >= 0) {
        const POINT at = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt;
        if (message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE)
            movedTo = PointKey(at);
        else if (message == WM_LBUTTONDOWN || message == WM_NCLBUTTONDOWN) {
            shiftAtDown = ::GetKeyState(VK_SHIFT) < 0;
            controlAtDown = ::GetKeyState(VK_CONTROL) < 0;
            ++leftDowns;
        } else if (message == WM_LBUTTONUP || message == WM_NCLBUTTONUP) {
            shiftAtUp = ::GetKeyState(VK_SHIFT) < 0;
            controlAtUp = ::GetKeyState(VK_CONTROL) < 0;
            ++leftUps;
        }
    }
    return CallNextHookEx(nullptr, code, message, lParam);
}

std::string PointText(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

POINT SystemPointer() {
    POINT at{};
    GetCursorPos(&at);
    return at;
}

std::string RunningTest() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return test ? std::string(test->test_suite_name()) + "." + test->name() : "(no test)";
}

// Input made again is printed, and when scripts/test names a file for it, written there too, a
// line a time: the run's summary then names every test that needed it, passed or failed.
void MadeAgain(const std::string& what, const std::string& why, int times) {
    std::fprintf(stderr, "%s: %s: made again (%d)\n", what.c_str(), why.c_str(), times);
    if (const char* log = std::getenv("TUCKBAY_INPUT_AGAIN_LOG"))
        std::ofstream(log, std::ios::app) << RunningTest() << '\t' << what << ": " << why << '\n';
}

// Fails a test whose "pointer" label (TUCKBAY_POINTER_TESTS in CMakeLists.txt, passed on by
// ctest) is not what the test did: only tests that drive the pointer are run again.
class PointerLabelCheck : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { pointerDriven = false; }
    void OnTestEnd(const ::testing::TestInfo& test) override {
        const char* label = std::getenv("TUCKBAY_POINTER_LABEL");
        if (label == nullptr || test.result()->Skipped())
            return;
        const bool labelled = std::string(label) == "1";
        if (pointerDriven && !labelled)
            ADD_FAILURE() << "this test drives the pointer: add it to TUCKBAY_POINTER_TESTS";
        else if (!pointerDriven && labelled && test.result()->Passed())
            ADD_FAILURE() << "this test drives no pointer: take it out of TUCKBAY_POINTER_TESTS";
    }
};

} // namespace

::testing::TestEventListener* MakePointerLabelCheck() { return new PointerLabelCheck; }

void InputDriver::Mouse(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        // Rounded up so that the system's scaling back (x * width / 65536) lands on x itself.
        const long long width = GetSystemMetrics(SM_CXSCREEN);
        const long long height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((screen.x * 65536LL + width - 1) / width);
        input.mi.dy = static_cast<LONG>((screen.y * 65536LL + height - 1) / height);
    }
    input.mi.dwFlags = flags;
    pointerDriven = drovePointer_ = true;
    if (SendInput(1, &input, sizeof(input)) != 1)
        lost += " SendInput failed: " + std::to_string(GetLastError());
}

InputDriver::InputDriver()
    : hook_(SetWindowsHookExW(WH_MOUSE, HandedOver, nullptr, GetCurrentThreadId())) {}

InputDriver::~InputDriver() {
    if (hook_ != nullptr)
        UnhookWindowsHookEx(hook_);
}

// Input is made again only when the system shows it lost: the pointer is elsewhere, the button
// not as sent, or nothing of it was handed to the pumping thread. What the program does with
// input the system handed it is never a reason to make it again: that would hide a program that
// misses input.
bool InputDriver::Until(const char* what, const std::function<bool()>& seen,
                        const std::function<std::string(bool mayStillCome)>& lostBecause,
                        const std::function<void()>& again) {
    auto sent = std::chrono::steady_clock::now();
    const auto deadline = sent + kProgramAnswers;
    for (int times = 0;;) {
        if (Poll(seen, std::chrono::milliseconds(250)))
            return true;
        const auto now = std::chrono::steady_clock::now();
        const std::string lostAs = lostBecause(now - sent <= kSystemHands);
        if (lostAs.empty()) {
            if (now < deadline)
                continue;
            failure = std::string("the program did not show ") + what +
                      ", though the system handed it the input" + lost;
            return false;
        }
        if (++times > kMostAgain) {
            failure =
                std::string("the system kept losing the input for ") + what + ": " + lostAs + lost;
            return false;
        }
        MadeAgain(what, "the input " + lostAs, times);
        again();
        sent = std::chrono::steady_clock::now();
    }
}

bool InputDriver::MoveTo(POINT screen, const char* what) {
    return MoveTo(screen, what, [screen] {
        POINT now{};
        ::GetCursorPos(&now);
        return now.x == screen.x && now.y == screen.y;
    });
}

bool InputDriver::MoveTo(POINT screen, const char* what, const std::function<bool()>& arrived) {
    if (!failure.empty())
        return false;
    Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen);
    bool elsewhere = false;
    const bool done = Until(
        what, arrived,
        [&](bool mayStillCome) -> std::string {
            if (mayStillCome)
                return "";
            const POINT at = SystemPointer();
            elsewhere = at.x != screen.x || at.y != screen.y;
            if (elsewhere)
                return "left the pointer at " + PointText(at) + ", not " + PointText(screen);
            if (movedTo != PointKey(screen))
                return "to " + PointText(screen) + " was never handed to the window";
            return "";
        },
        [&] {
            // A move to where the system already has the pointer makes no message: it goes by
            // way of the point it came from, which the window has already seen.
            if (!elsewhere) {
                const bool back = moved_ && (last_.x != screen.x || last_.y != screen.y);
                Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
                      back ? last_ : POINT{screen.x + 1, screen.y + 1});
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen);
        });
    if (done) {
        last_ = screen;
        moved_ = true;
    }
    return done;
}

bool InputDriver::ButtonUntil(DWORD flags, DWORD before_again, const char* what,
                              const std::function<bool()>& seen) {
    if (!failure.empty())
        return false;
    const bool down = flags == MOUSEEVENTF_LEFTDOWN;
    std::atomic<int>& handed = down ? leftDowns : leftUps;
    int handedBefore = handed;
    Mouse(flags);
    return Until(
        what, seen,
        [&](bool mayStillCome) -> std::string {
            // Made again too soon, a press would make a double click of a late one.
            if (mayStillCome)
                return "";
            if (((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0) != down)
                return std::string("left the system's button ") + (down ? "up" : "down");
            if (handed == handedBefore)
                return "was never handed to the window";
            return "";
        },
        [&] {
            if (before_again != 0)
                Mouse(before_again);
            handedBefore = handed;
            Mouse(flags);
        });
}

bool InputDriver::WaitForDragLoop() {
    std::string holder;
    const bool runs = WaitFor("the drag loop", [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        wchar_t name[64] = L"";
        if (GetGUIThreadInfo(pumpThread_, &info) && info.hwndCapture != nullptr)
            GetClassNameW(info.hwndCapture, name, 64);
        holder = win::ToUtf8(name);
        return holder == "WineDragDropTracker32";
    });
    if (!runs)
        failure += " (the capture is with \"" + holder + "\")";
    return runs;
}

bool ClickListRowWith(InputDriver& d, HWND listView, int row, WORD modifier,
                      const std::vector<int>& expected) {
    const POINT at = ListItemPoint(listView, row);
    const std::vector<int> before = SelectedListRows(listView);
    const auto focused =
        ::SendMessageW(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
    const auto anchor = ::SendMessageW(listView, LVM_GETSELECTIONMARK, 0, 0);
    auto setState = [listView](WPARAM item, UINT state, UINT mask) {
        LVITEMW change{};
        change.state = state;
        change.stateMask = mask;
        ::SendMessageW(listView, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&change));
    };
    auto text = [](const std::vector<int>& rows) {
        std::string t;
        for (int r : rows)
            t += " " + std::to_string(r);
        return t;
    };
    const bool shift = modifier == VK_SHIFT;
    const std::string click =
        "the click on row " + std::to_string(row) + " with " + (shift ? "Shift" : "Ctrl") + " held";
    for (int times = 0;;) {
        if (!d.MoveTo(at, "the pointer on the row"))
            return false;
        const int downs = leftDowns, ups = leftUps;
        d.KeyDown(modifier);
        const bool handed = d.LeftDownUntil(click.c_str(), [&] { return leftDowns > downs; }) &&
                            d.LeftUpUntil(click.c_str(), [&] { return leftUps > ups; });
        d.KeyUp(modifier);
        if (!handed)
            return false;
        // Wine lets go of a key SendInput holds whenever the X server reports its own keymap
        // (after an activation, or the pointer entering a window): only a click the system handed
        // over without its key is made again, once the list is put back as it was.
        const bool keyHeld = shift ? shiftAtDown && shiftAtUp : controlAtDown && controlAtUp;
        if (keyHeld)
            break;
        if (++times > kMostAgain) {
            d.failure = "the system kept letting go of the key for " + click;
            return false;
        }
        MadeAgain(click, "the system let go of the key before the list had the click", times);
        setState(static_cast<WPARAM>(-1), 0, LVIS_SELECTED);
        for (int selected : before)
            setState(static_cast<WPARAM>(selected), LVIS_SELECTED, LVIS_SELECTED);
        if (focused >= 0)
            setState(static_cast<WPARAM>(focused), LVIS_FOCUSED, LVIS_FOCUSED);
        ::SendMessageW(listView, LVM_SETSELECTIONMARK, 0, anchor);
    }
    if (d.Poll([&] { return SelectedListRows(listView) == expected; }, kProgramAnswers))
        return true;
    d.failure =
        click + " left rows" + text(SelectedListRows(listView)) + " selected, not" + text(expected);
    return false;
}

bool InputDriver::LeftDownUntil(const char* what, const std::function<bool()>& seen) {
    return ButtonUntil(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, what, seen);
}

bool InputDriver::LeftUpUntil(const char* what, const std::function<bool()>& seen) {
    return ButtonUntil(MOUSEEVENTF_LEFTUP, 0, what, seen);
}

void InputDriver::LeftDown() { Mouse(MOUSEEVENTF_LEFTDOWN); }
void InputDriver::LeftUp() { Mouse(MOUSEEVENTF_LEFTUP); }
void InputDriver::RightDown() { Mouse(MOUSEEVENTF_RIGHTDOWN); }
void InputDriver::RightUp() { Mouse(MOUSEEVENTF_RIGHTUP); }
void InputDriver::MiddleDown() { Mouse(MOUSEEVENTF_MIDDLEDOWN); }
void InputDriver::MiddleUp() { Mouse(MOUSEEVENTF_MIDDLEUP); }

void InputDriver::Key(WORD vk) {
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = vk;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void InputDriver::KeyEvent(WORD vk, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(INPUT));
}

void InputDriver::Chord(WORD modifier, WORD vk) { Chord({modifier}, vk); }

void InputDriver::Chord(std::initializer_list<WORD> modifiers, WORD vk) {
    // Down in order, the key pressed and released, up in reverse order.
    std::vector<INPUT> inputs;
    auto add = [&](WORD key, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    for (WORD modifier : modifiers)
        add(modifier, 0);
    add(vk, 0);
    add(vk, KEYEVENTF_KEYUP);
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m)
        add(*m, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void InputDriver::Type(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = c;
        input.ki.dwFlags = KEYEVENTF_UNICODE;
        inputs.push_back(input);
        input.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool InputDriver::Poll(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        // The other thread changes the condition; look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool InputDriver::WaitFor(const char* what, const std::function<bool()>& done,
                          std::chrono::milliseconds timeout) {
    if (!failure.empty())
        return false;
    if (Poll(done, timeout))
        return true;
    failure = std::string("timed out waiting for ") + what;
    return false;
}

std::string DriveInput(const std::function<void(InputDriver&)>& script, const Pump& pump) {
    InputDriver driver;
    std::atomic<bool> finished{false};
    std::thread thread([&] {
        script(driver);
        if (!driver.failure.empty())
            driver.Key(VK_ESCAPE);
        if (driver.DrovePointer()) {
            if (!driver.failure.empty()) {
                driver.RightUp();
                driver.MiddleUp();
            }
            driver.LeftUp();
        }
        finished = true;
    });
    const auto finishedNow = [&] { return finished.load(); };
    bool done = pump ? pump(finishedNow, std::chrono::seconds(60))
                     : PumpUntil(finishedNow, std::chrono::seconds(60));
    thread.join();
    // What the last input left in the queue goes through the same loop as the rest.
    if (pump)
        pump([] { return false; }, std::chrono::milliseconds(50));
    else
        PumpPending();
    if (!done)
        return "the driver thread did not finish";
    return driver.failure;
}

} // namespace tuckbay::test
