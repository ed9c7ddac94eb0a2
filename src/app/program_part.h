// What belongs to the program as a whole rather than to one part of its window: the help and the
// about box ("ヘルプ(&H)"), the Send To shortcut, the taskbar button's own commands and the key
// that calls the basket up from any program.
#pragma once

#include <windows.h>

#include <memory>

#include "app/about_box.h"
#include "app/global_hotkey.h"
#include "settings/settings_file.h"
#include "win/application.h"
#include "win/part.h"
#include "win/shell_actions.h"
#include "win/status_bar.h"

namespace app {

enum ProgramCommand : int { kIdHelp = 206, kIdAbout = 207, kIdRegisterSendTo = 251 };

class ProgramPart final : public win::Part {
public:
    // focus: what the key that calls the basket up gives the keyboard.
    ProgramPart(win::Application& application, HWND window, HWND focus, win::ShellRequests& shell,
                win::StatusBar& statusBar, const settings::Settings& settings);
    ~ProgramPart() override;

    AboutBox& About() noexcept { return *about_; }

    bool RunCommand(int id) override;
    std::optional<LRESULT> Message(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Closing(bool quietly) override;

private:
    win::Application& application_;
    HWND window_;
    HWND focus_;
    win::ShellRequests& shell_;
    std::unique_ptr<AboutBox> about_;
    std::unique_ptr<GlobalHotkey> hotkey_;
};

} // namespace app
