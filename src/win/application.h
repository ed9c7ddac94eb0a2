// The application object: the hidden application window that stands for the program on the
// taskbar and owns the main window, the message loop with its hook, the activation hooks and
// the standard error handling.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "win/dialogs.h"
#include "win/window.h"

namespace win {

class Application : private Window {
public:
    // The hook sees every message taken from the queue before translation and dispatch;
    // setting handled keeps the message from going further.
    using MessageHook = std::function<void(MSG& msg, bool& handled)>;

    explicit Application(const std::wstring& title);
    ~Application() override;

    // The application of this thread, or null.
    static Application* Current() noexcept;

    HWND Handle() const noexcept { return Hwnd(); }
    std::wstring Title() const;

    void SetMainWindow(HWND main) noexcept { main_ = main; }
    HWND MainWindow() const noexcept { return main_; }

    void SetMessageHook(MessageHook hook) { hook_ = std::move(hook); }
    // Commands of the taskbar button's menu that the program added; the handler returns
    // whether the command was its own. They reach the application window's procedure, so they
    // work in any message loop, a modal box's included.
    void SetSystemCommandHandler(std::function<bool(WPARAM command)> handler) {
        systemCommand_ = std::move(handler);
    }
    // Every character typed into the main window or any of its controls is offered here first.
    void SetKeyPreview(std::function<void(wchar_t)> preview) { keyPreview_ = std::move(preview); }
    void SetActivationHooks(std::function<void()> onActivate, std::function<void()> onDeactivate);
    // Called by the program's top-level windows when they learn of WM_ACTIVATEAPP.
    void NoteActivation(bool active);

    // What must be saved when Windows ends the session (log-off, shut-down), after which the
    // process is ended without WM_CLOSE or WM_DESTROY. It runs once, on the first WM_ENDSESSION
    // that says the session ends, whichever of the program's top-level windows receives it.
    // Nobody is there to answer a box: from then on the program shows none, and what the hook
    // throws is dropped.
    void SetSessionEndHook(std::function<void()> hook) { sessionEnd_ = std::move(hook); }
    // The program's other top-level windows call it on WM_ENDSESSION with wParam TRUE.
    void EndSession() noexcept;

    // The boxes as they are when each is shown: what holds this keeps up with SetDialogs.
    Dialogs& GetDialogs() noexcept { return current_; }
    // Tests script the boxes; null restores the system's.
    void SetDialogs(Dialogs* dialogs) noexcept;

    // The standard error box: the text with its closing full stop, owned by the main window;
    // none once the session ends.
    void ShowError(const std::wstring& text);

    // Shows the application window on the taskbar and the main window, then runs the loop
    // until WM_QUIT; returns its exit code.
    int Run();
    bool IsRunning() const noexcept { return running_; }
    // Handles one queued message the way the main loop does; false when the queue was empty.
    bool ProcessOneMessage();
    // Shows box modally over owner, which takes no input meanwhile, handling messages as the
    // main loop does until done() holds (or the program ends: the quit is left for the main
    // loop); then hides it.
    void RunModal(HWND box, HWND owner, const std::function<bool()>& done);
    // Handles messages until done() holds or the time runs out; true when done() held.
    bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

    // Minimising the main window minimises the program: the main window hides and the
    // application window stands minimised on the taskbar until it is restored.
    void Minimize();
    void Restore();
    // The main window shown, restored if need be, and brought to the front.
    void BringToFront();

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Dispatch(MSG& msg);
    // Tab and Shift+Tab in the main window move the focus round its controls in their order;
    // true when the key was used so.
    bool MoveFocusByTab(MSG& msg);

    HWND main_ = nullptr;
    MessageHook hook_;
    std::function<void(wchar_t)> keyPreview_;
    std::function<bool(WPARAM)> systemCommand_;
    std::function<void()> onActivate_;
    std::function<void()> onDeactivate_;
    std::function<void()> sessionEnd_;
    bool sessionEnded_ = false;
    bool active_ = false;
    bool running_ = false;
    SystemDialogs systemDialogs_;
    Dialogs* dialogs_ = &systemDialogs_;
    // Every box asked of GetDialogs() goes to dialogs_ as it is then.
    class CurrentDialogs : public Dialogs {
    public:
        explicit CurrentDialogs(Dialogs*& to) : to_(to) {}
        void ShowMessage(HWND owner, const std::wstring& text) override {
            to_->ShowMessage(owner, text);
        }
        void ShowError(HWND owner, const std::wstring& text) override { to_->ShowError(owner, text); }
        bool Confirm(HWND owner, const std::wstring& question) override {
            return to_->Confirm(owner, question);
        }
        std::optional<std::wstring> AskSaveFileName(HWND owner, const std::wstring& fileName,
                                                    const std::wstring& filter) override {
            return to_->AskSaveFileName(owner, fileName, filter);
        }
        void ShowWarningAt(HWND owner, const std::wstring& caption, const std::wstring& text,
                           POINT topLeft) override {
            to_->ShowWarningAt(owner, caption, text, topLeft);
        }

    private:
        Dialogs*& to_;
    };
    CurrentDialogs current_{dialogs_};
    Application* previous_ = nullptr;
};

} // namespace win
