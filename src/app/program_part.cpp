#include "app/program_part.h"

#include "app/send_to.h"
#include "app/system_menu.h"
#include "win/program_path.h"

namespace app {

ProgramPart::ProgramPart(win::Application& application, HWND window, HWND focus,
                         win::ShellRequests& shell, win::StatusBar& statusBar,
                         const settings::Settings& settings)
    : application_(application), window_(window), focus_(focus), shell_(shell) {
    application.SetSystemCommandHandler(
        [window](WPARAM command) { return HandleSystemMenuCommand(command, window); });
    AppendSystemMenuCommands(application.Handle());
    hotkey_ = std::make_unique<GlobalHotkey>(
        window, settings.hotkey, [&statusBar](const std::wstring& text) {
            statusBar.SetText(win::StatusBar::kReportPart, text);
        });
    about_ = std::make_unique<AboutBox>(application, window);
}

ProgramPart::~ProgramPart() { application_.SetSystemCommandHandler(nullptr); }

bool ProgramPart::RunCommand(int id) {
    switch (id) {
    case kIdHelp:
        win::ShellActions(window_, shell_, application_.GetDialogs()).OpenHelp();
        return true;
    case kIdAbout:
        about_->ShowModal();
        return true;
    case kIdRegisterSendTo:
        RegisterInSendTo(window_, application_.GetDialogs(), SendToFolder(), win::ProgramPath());
        return true;
    }
    return false;
}

std::optional<LRESULT> ProgramPart::Message(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_HOTKEY || wParam != GlobalHotkey::kId)
        return std::nullopt;
    CallUpBasket(application_, focus_);
    return 0;
}

void ProgramPart::Closing(bool) { hotkey_.reset(); }

} // namespace app
