#include "intake/drop_receiver.h"

#include <shlobj.h>

#include <chrono>
#include <cstring>
#include <exception>

#include "intake/drop_intake.h"
#include "intake/extension.h"
#include "win/error.h"
#include "win/handles.h"
#include "win/path_parts.h"

namespace intake {

using Microsoft::WRL::ComPtr;

namespace {
// How long the window's or the session's end waits for the reading of a drop to stop: a source
// answers each read in far less, and one that hangs must not hold the program's end up.
constexpr std::chrono::milliseconds kLongestWaitAtEnd{2000};
} // namespace

// One zone's drop target: every call goes to the receiver, inside the exception boundary.
class DropReceiver::Target final : public IDropTarget {
public:
    Target(DropReceiver& receiver, HWND zone) : receiver_(&receiver), zone_(zone) {}
    void Detach() { receiver_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        return Guard(effect, [&] {
            accepted_ = receiver_ ? receiver_->Accepts(data) : DROPEFFECT_NONE;
            *effect = Answer(*effect);
        });
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override {
        return Guard(effect, [&] { *effect = Answer(*effect); });
    }
    STDMETHODIMP DragLeave() override {
        accepted_ = DROPEFFECT_NONE;
        return S_OK;
    }
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        return Guard(effect, [&] {
            const DWORD allowed = *effect;
            *effect = DROPEFFECT_NONE;
            if (receiver_ && (allowed & DROPEFFECT_COPY) &&
                receiver_->Accepts(data) != DROPEFFECT_NONE)
                *effect = receiver_->Take(zone_, data);
        });
    }

private:
    DWORD Answer(DWORD allowed) const {
        return (accepted_ & allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    }
    template <typename Body> HRESULT Guard(DWORD* effect, Body body) {
        if (effect == nullptr)
            return E_INVALIDARG;
        try {
            body();
            return S_OK;
        } catch (...) {
            *effect = DROPEFFECT_NONE;
            // The source waits on this call: the box comes once it has returned.
            if (receiver_)
                receiver_->ReportAfterDrop(std::current_exception());
            else
                win::ReportCurrentException();
            return E_UNEXPECTED;
        }
    }
    DropReceiver* receiver_;
    HWND zone_;
    DWORD accepted_ = DROPEFFECT_NONE;
    ULONG references_ = 1;
};

std::wstring ReceivedFolder(const std::wstring& settingsPath) {
    return win::Beside(settingsPath, L"受け取ったファイル");
}

DropReceiver::DropReceiver(HWND dropZone, HWND listZone, DropIntake& intake, DropHost& host,
                           win::StatusBar& statusBar, win::Returns& returns, std::wstring folder,
                           Pump pump)
    : dropZone_(dropZone), listZone_(listZone), intake_(intake), host_(host), statusBar_(statusBar),
      returns_(returns), folder_(std::move(folder)), pump_(std::move(pump)), job_(returns) {}

DropReceiver::~DropReceiver() {
    *alive_ = false;
    const HWND zones[] = {dropZone_, listZone_};
    for (int i = 0; i < 2; ++i) {
        if (targets_[i] == nullptr)
            continue;
        static_cast<Target*>(targets_[i])->Detach();
        ::RevokeDragDrop(zones[i]);
        targets_[i]->Release();
    }
    StopReading();
}

void DropReceiver::StopReading() {
    if (job_.Running()) {
        // The reading stops and takes away what it wrote; a source waiting to hear how its drop
        // ended is told it failed.
        job_.Cancel();
        job_.WaitForWorker(kLongestWaitAtEnd);
    }
    EndAsync(E_ABORT, DROPEFFECT_NONE);
}

void DropReceiver::Register() {
    const HWND zones[] = {dropZone_, listZone_};
    for (int i = 0; i < 2; ++i) {
        auto* target = new Target(*this, zones[i]);
        if (SUCCEEDED(::RegisterDragDrop(zones[i], target)))
            targets_[i] = target;
        else
            target->Release();
    }
}

DWORD DropReceiver::Accepts(IDataObject* data) const {
    if (data == nullptr || job_.Running() || KindOf(data) == DropKind::Nothing)
        return DROPEFFECT_NONE;
    return DROPEFFECT_COPY;
}

DWORD DropReceiver::Take(HWND zone, IDataObject* data) {
    win::DropHandle drop(CopyDroppedFiles(data));
    if (zone == listZone_ && !host_.ListDropsAllowed() &&
        !(drop && IsListFilePath(ReadDroppedPaths(drop.get()).front()))) {
        // The list takes a list file then, and nothing else: the source hears nothing was taken,
        // and the user why, once the source no longer waits on the drop.
        returns_.Post([intake = &intake_, alive = alive_] {
            if (*alive)
                intake->Refuse();
        });
        return DROPEFFECT_NONE;
    }
    // Files by path go the way of every file drop.
    if (drop) {
        intake_.Drop(zone, drop.release());
        return DROPEFFECT_COPY;
    }
    const DropKind kind = KindOf(data, false);
    if (kind == DropKind::Nothing || job_.Running())
        return DROPEFFECT_NONE;
    // A source that can be read after its drag has ended is: the drop ends at once, and the
    // source learns of the outcome from EndOperation.
    ComPtr<IDataObjectAsyncCapability> async;
    BOOL asyncMode = FALSE;
    if (SUCCEEDED(data->QueryInterface(IID_IDataObjectAsyncCapability,
                                       reinterpret_cast<void**>(async.GetAddressOf()))) &&
        SUCCEEDED(async->GetAsyncMode(&asyncMode)) && asyncMode &&
        SUCCEEDED(async->StartOperation(nullptr))) {
        asyncSource_ = std::move(async);
        try {
            Read(data, kind, [this, zone](Outcome* outcome) {
                if (outcome == nullptr)
                    return EndAsync(E_ABORT, DROPEFFECT_NONE);
                std::exception_ptr failure = outcome->failure;
                if (!failure) {
                    try {
                        TakePaths(zone, outcome->received);
                    } catch (...) {
                        failure = std::current_exception();
                    }
                }
                // The source first: a box would keep it waiting to hear.
                if (failure || outcome->received.paths.empty())
                    EndAsync(E_FAIL, DROPEFFECT_NONE);
                else
                    EndAsync(S_OK, DROPEFFECT_COPY);
                if (failure)
                    win::ReportFailure(failure);
            });
        } catch (...) {
            EndAsync(E_FAIL, DROPEFFECT_NONE);
            throw;
        }
        return DROPEFFECT_COPY;
    }
    // Otherwise the source is read while the drop lasts: the source waits in its drag, and this
    // thread answers the window meanwhile.
    bool ended = false, cancelled = false;
    Outcome outcome;
    Read(data, kind, [&](Outcome* result) {
        ended = true;
        cancelled = result == nullptr;
        if (result)
            outcome = std::move(*result);
    });
    const std::shared_ptr<bool> alive = alive_;
    pump_([&] { return ended || !*alive; });
    if (!*alive || cancelled)
        return DROPEFFECT_NONE;
    if (outcome.failure) {
        ReportAfterDrop(outcome.failure);
        return DROPEFFECT_NONE;
    }
    TakePaths(zone, outcome.received);
    return outcome.received.paths.empty() ? DROPEFFECT_NONE : DROPEFFECT_COPY;
}

void DropReceiver::Read(IDataObject* data, DropKind kind, std::function<void(Outcome*)> ended) {
    // The source is read on a worker, in the multithreaded apartment, through a proxy made for
    // it there.
    IStream* marshalled = nullptr;
    win::ThrowIfFailed(::CoMarshalInterThreadInterfaceInStream(IID_IDataObject, data, &marshalled));
    progress_ = statusBar_.BeginProgress([this] {
        const int percent = job_.Percent();
        if (percent >= 0)
            return L"受け取り中… " + std::to_wstring(percent) + L"%";
        return L"受け取り中… " + std::to_wstring(job_.Done() / 1024) + L" KB";
    });
    job_.Start(
        [marshalled, kind, folder = folder_](win::Progress& progress) {
            Outcome result;
            const HRESULT joined = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            IDataObject* source = nullptr;
            auto leave = [&] {
                if (source)
                    source->Release();
                if (SUCCEEDED(joined))
                    ::CoUninitialize();
            };
            try {
                win::ThrowIfFailed(::CoGetInterfaceAndReleaseStream(
                    marshalled, IID_IDataObject, reinterpret_cast<void**>(&source)));
                result.received = ReceiveData(source, kind, folder, progress);
            } catch (const win::Cancelled&) {
                leave();
                throw;
            } catch (...) {
                result.failure = std::current_exception();
            }
            leave();
            return result;
        },
        [this, ended](Outcome result) {
            progress_.End();
            ended(&result);
        },
        [this, ended] {
            progress_.End(L"受け取りを取り消しました");
            ended(nullptr);
        });
}

void DropReceiver::TakePaths(HWND zone, const Received& received) {
    if (!received.paths.empty()) {
        // As a drop of those files: one block of the paths, which the intake lets go of.
        std::wstring list;
        for (const std::wstring& path : received.paths)
            list += path + L'\0';
        list += L'\0';
        const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
        win::GlobalHandle block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes));
        if (!block)
            win::ThrowLastError();
        {
            win::GlobalLockScope lock(block.get());
            auto* header = static_cast<DROPFILES*>(lock.Data());
            header->pFiles = sizeof(DROPFILES);
            header->fWide = TRUE;
            std::memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
        }
        intake_.Drop(zone, static_cast<HDROP>(block.release()));
    }
    if (!received.failed.empty()) {
        // Told once the drop has ended: a box now would keep the source waiting in its drag.
        std::wstring text = L"受け取れなかったファイルがあります。\r\n" + received.reason;
        for (const std::wstring& name : received.failed)
            text += L"\r\n\"" + name + L"\"";
        ReportAfterDrop(std::make_exception_ptr(win::Error(text)));
    }
}

void DropReceiver::ReportAfterDrop(std::exception_ptr failure) {
    returns_.Post([failure] { win::ReportFailure(failure); });
}

void DropReceiver::Cancel() { job_.Cancel(); }

void DropReceiver::EndAsync(HRESULT result, DWORD effect) {
    if (const ComPtr<IDataObjectAsyncCapability> source = std::move(asyncSource_))
        source->EndOperation(result, nullptr, effect);
}

} // namespace intake
