// The two drop zones as drop targets of OLE drags: a drag of files is taken as a file drop;
// virtual files, text, links and images are received into the basket's folder, then taken
// the same way. The reading runs as a job while the window keeps answering; Esc cancels it.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shldisp.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string>

#include "intake/receive_data.h"
#include "win/job.h"
#include "win/returns.h"
#include "win/status_bar.h"

namespace intake {

class DropIntake;
class DropHost;

class DropReceiver {
public:
    // Runs the window's messages until done() holds.
    using Pump = std::function<void(const std::function<bool()>& done)>;

    DropReceiver(HWND dropZone, HWND listZone, DropIntake& intake, DropHost& host,
                 win::StatusBar& statusBar, win::Returns& returns, std::wstring folder, Pump pump);
    // Revokes the zones' targets and stops a reading under way.
    ~DropReceiver();
    DropReceiver(const DropReceiver&) = delete;
    DropReceiver& operator=(const DropReceiver&) = delete;

    // Makes both zones OLE drop targets (not for a process running elevated: OLE drags do not
    // reach it, and it keeps the file drops).
    void Register();

    // What a drag over either zone would become: DROPEFFECT_COPY when it can be taken, else
    // none. The list takes it also while list drops are not allowed, so that it can say at the
    // drop why it refuses.
    DWORD Accepts(IDataObject* data) const;
    // The drop itself: the effect it had. Every box it brings (the list's refusal, a failure)
    // shows once the drop has returned: a box now would keep the source waiting in its drag.
    DWORD Take(HWND zone, IDataObject* data);

    bool Running() const noexcept { return job_.Running(); }
    // Esc: the reading under way stops; nothing of it is listed or left on disk.
    void Cancel();
    // The window closes or the session ends: a reading under way is stopped within 2 s, what it
    // wrote taken away, and an asynchronous source is told its drop failed.
    void StopReading();
    // Where received files are kept: a folder beside the settings file.
    const std::wstring& Folder() const noexcept { return folder_; }
    win::JobRunner& Job() noexcept { return job_; }

    class Target;

private:
    struct Outcome {
        Received received;
        std::exception_ptr failure;
    };
    // Starts reading data on a worker; ended gets the outcome on the window's thread, or null
    // when the reading was cancelled.
    void Read(IDataObject* data, DropKind kind, std::function<void(Outcome*)> ended);
    void TakePaths(HWND zone, const Received& received);
    // Told by the standard error handling once the drop has returned.
    void ReportAfterDrop(std::exception_ptr failure);
    // Tells the asynchronous source being read, if any, how its drop ended, and lets it go.
    void EndAsync(HRESULT result, DWORD effect);

    HWND dropZone_;
    HWND listZone_;
    DropIntake& intake_;
    DropHost& host_;
    win::StatusBar& statusBar_;
    win::ProgressText progress_;
    win::Returns& returns_;
    std::wstring folder_;
    Pump pump_;
    IDropTarget* targets_[2] = {};
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    Microsoft::WRL::ComPtr<IDataObjectAsyncCapability> asyncSource_;
    win::Job<Outcome> job_;
};

// The basket's folder for received files, beside the settings file.
std::wstring ReceivedFolder(const std::wstring& settingsPath);

} // namespace intake
