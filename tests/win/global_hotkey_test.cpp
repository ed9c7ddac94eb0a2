// The global key: taken as the settings name it, reported when another program holds it, let
// go with its owner; pressed for real while another program is active, it calls the basket up.
// A window of the test's own stands for the main window, with the application object the
// program runs under.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/global_hotkey.h"
#include "drag_kit.h"
#include "process_window.h"
#include "program_copy.h"
#include "pump.h"
#include "win/application.h"
#include "win/controls.h"

namespace tuckbay::test {
namespace {

class GlobalHotkeyTest : public ::testing::Test {
protected:
    GlobalHotkeyTest() {
        RegisterTestWindowClass(kClass, Procedure);
        main = ::CreateWindowExW(0, kClass, L"basket", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                                 400, 300, application.Handle(), nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(main, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        list = win::CreateChild(WC_LISTVIEWW, L"", WS_VISIBLE | WS_TABSTOP | LVS_REPORT, 0,
                                {0, 0, 300, 200}, main, 1, nullptr);
        other = win::CreateChild(L"EDIT", L"", WS_VISIBLE | WS_TABSTOP, 0, {0, 210, 300, 20}, main,
                                 2, nullptr);
        application.SetMainWindow(main);
    }
    ~GlobalHotkeyTest() override {
        application.SetMainWindow(nullptr);
        ::DestroyWindow(main);
    }

    // Another program's window, active; it holds Ctrl+Alt+B itself when asked to.
    void StartOtherProgram(bool holdingTheKey = false) {
        ASSERT_TRUE(otherProgram.Launch(HelperPath(L"activator"),
                                        holdingTheKey ? L"hold-hotkey" : L"", CurrentFolder()));
        ASSERT_TRUE(PumpUntil([&] {
            HWND window = FindProcessWindow(otherProgram.Id(), L"TuckbayActivator");
            return window != nullptr && ::GetForegroundWindow() == window &&
                   win::WindowText(window) == L"activator ready";
        }));
    }

    // Whether nobody holds the combination: this thread can take it (and lets it go again).
    bool Free(UINT modifiers, UINT key) {
        if (!::RegisterHotKey(other, 0x7000, modifiers, key))
            return false;
        ::UnregisterHotKey(other, 0x7000);
        return true;
    }

    win::Application application{L"Tuckbay"};
    HWND main = nullptr;
    HWND list = nullptr;
    HWND other = nullptr;
    ProgramProcess otherProgram;
    std::atomic<int> calls{0};

private:
    static constexpr wchar_t kClass[] = L"TuckbayHotkeyTest";

    // As the main window answers the key.
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<GlobalHotkeyTest*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self != nullptr && msg == WM_HOTKEY && wParam == app::GlobalHotkey::kId) {
            app::CallUpBasket(self->application, self->list);
            ++self->calls;
            return 0;
        }
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
};

TEST_F(GlobalHotkeyTest, TakesTheCombinationTheSettingNamesAndLetsItGoWithItsOwner) {
    const struct {
        const char* what;
        std::optional<std::wstring> setting;
        UINT modifiers, key; // what is held while the object lives; 0: nothing
        std::vector<std::wstring> reported;
    } cases[] = {
        {"no setting", std::nullopt, MOD_CONTROL | MOD_ALT, 'B', {}},
        {"another combination", L"shift+f11", MOD_SHIFT, VK_F11, {}},
        {"turned off", L"", 0, 0, {}},
        {"nonsense",
         L"Ctrl+B+Alt",
         0,
         0,
         {L"ホットキー Ctrl+B+Alt は使えない組み合わせです (例: Ctrl+Alt+B)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::wstring> reported;
        {
            app::GlobalHotkey hotkey(main, c.setting,
                                     [&](const std::wstring& text) { reported.push_back(text); });
            EXPECT_EQ(reported, c.reported);
            if (c.key != 0)
                EXPECT_FALSE(Free(c.modifiers, c.key)) << "not held";
            else
                EXPECT_TRUE(Free(MOD_CONTROL | MOD_ALT, 'B')) << "the default held all the same";
        }
        if (c.key != 0)
            EXPECT_TRUE(Free(c.modifiers, c.key)) << "still held after its owner went";
    }
}

TEST_F(GlobalHotkeyTest, ACombinationAnotherProgramHoldsIsReportedOnce) {
    StartOtherProgram(true);
    std::vector<std::wstring> reported;
    app::GlobalHotkey hotkey(main, std::nullopt,
                             [&](const std::wstring& text) { reported.push_back(text); });
    EXPECT_EQ(reported,
              std::vector<std::wstring>{L"ホットキー Ctrl+Alt+B は他のプログラムが使用中です"});
}

TEST_F(GlobalHotkeyTest, TheKeyPressedInAnotherProgramCallsTheBasketUp) {
    HWND box = nullptr;
    const struct {
        const char* what;
        std::function<void()> before;
        std::function<HWND()> active;
        std::function<HWND()> focus; // null: left where it was
    } cases[] = {
        {"behind another program", [&] { StartOtherProgram(); }, [&] { return main; },
         [&] { return list; }},
        {"minimised",
         [&] {
             application.Minimize();
             StartOtherProgram();
         },
         [&] { return main; }, [&] { return list; }},
        {"already active, the keyboard elsewhere",
         [&] {
             ::SetForegroundWindow(main);
             ::SetFocus(other);
         },
         [&] { return main; }, [&] { return other; }},
        {"a box of ours open",
         [&] {
             box = ::CreateWindowExW(0, L"STATIC", L"box", WS_POPUP | WS_CAPTION | WS_VISIBLE, 350,
                                     350, 200, 100, main, nullptr, nullptr, nullptr);
             ::EnableWindow(main, FALSE);
             StartOtherProgram();
         },
         [&] { return box; }, nullptr},
    };
    app::GlobalHotkey hotkey(main, std::nullopt, [](const std::wstring& text) {
        ADD_FAILURE() << "reported: " << testing::PrintToString(text);
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.before();
        const int before = calls;
        std::string failure = DriveInput([&](InputDriver& d) {
            d.Chord({VK_CONTROL, VK_MENU}, 'B');
            d.WaitFor("the key to reach the basket", [&] { return calls > before; });
        });
        EXPECT_EQ(failure, "");
        PumpUntil([&] { return ::GetForegroundWindow() == c.active(); });
        EXPECT_EQ(::GetForegroundWindow(), c.active());
        EXPECT_TRUE(::IsWindowVisible(main));
        if (c.focus)
            EXPECT_EQ(::GetFocus(), c.focus());
        otherProgram.End();
    }
    ::EnableWindow(main, TRUE);
    ::DestroyWindow(box);
}

// The program itself holds the key: pressed while another program is active, it brings the
// basket to the front with the list taking the keyboard.
TEST_F(ProgramCopy, TheProgramsOwnKeyCallsItUpFromAnotherProgram) {
    HWND main = Start();
    ASSERT_TRUE(main);
    ProgramProcess other;
    ASSERT_TRUE(other.Launch(HelperPath(L"activator"), L"", CurrentFolder()));
    ASSERT_TRUE(PumpUntil([&] {
        HWND window = FindProcessWindow(other.Id(), L"TuckbayActivator");
        return window != nullptr && ::GetForegroundWindow() == window &&
               win::WindowText(window) == L"activator ready";
    }));
    auto listHasTheKeyboard = [main] {
        GUITHREADINFO info{sizeof info};
        wchar_t name[64] = {};
        if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(main, nullptr), &info) ||
            info.hwndFocus == nullptr)
            return false;
        ::GetClassNameW(info.hwndFocus, name, 64);
        return ::GetForegroundWindow() == main && ::lstrcmpiW(name, WC_LISTVIEWW) == 0;
    };
    std::string failure = DriveInput([&](InputDriver& d) {
        d.Chord({VK_CONTROL, VK_MENU}, 'B');
        d.WaitFor("the basket in front with the list focused", listHasTheKeyboard);
    });
    EXPECT_EQ(failure, "");
}

} // namespace
} // namespace tuckbay::test
