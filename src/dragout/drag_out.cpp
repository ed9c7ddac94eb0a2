#include "dragout/drag_out.h"

#include <shlobj.h>
#include <wrl/client.h>

#include "dragout/data_object.h"

namespace dragout {
namespace {

using Microsoft::WRL::ComPtr;

// The shell's data object around which the drag runs, keeping what a drop target reports back
// through SetData ("Performed DropEffect", "Paste Succeeded"): not every shell's object keeps
// formats it did not make, and the drag's report needs them.
class ReportedEffects final : public IDataObject {
public:
    explicit ReportedEffects(ComPtr<IDataObject> inner) : inner_(std::move(inner)) {}

    DWORD Performed() const noexcept { return pasteSucceeded_ ? pasteSucceeded_ : performed_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDataObject) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (DWORD* kept = Kept(format)) {
            HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
            if (memory == nullptr)
                return E_OUTOFMEMORY;
            *static_cast<DWORD*>(::GlobalLock(memory)) = *kept;
            ::GlobalUnlock(memory);
            *medium = {};
            medium->tymed = TYMED_HGLOBAL;
            medium->hGlobal = memory;
            return S_OK;
        }
        return inner_->GetData(format, medium);
    }
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override {
        return inner_->GetDataHere(format, medium);
    }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        return Kept(format) ? S_OK : inner_->QueryGetData(format);
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override {
        return inner_->GetCanonicalFormatEtc(in, out);
    }
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
        DWORD* kept = Kept(format);
        if (kept == nullptr)
            return inner_->SetData(format, medium, release);
        if (medium->tymed != TYMED_HGLOBAL || ::GlobalSize(medium->hGlobal) < sizeof(DWORD))
            return DV_E_TYMED;
        *kept = *static_cast<const DWORD*>(::GlobalLock(medium->hGlobal));
        ::GlobalUnlock(medium->hGlobal);
        if (release)
            ::ReleaseStgMedium(medium);
        return S_OK;
    }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        return inner_->EnumFormatEtc(direction, formats);
    }
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                         DWORD* connection) override {
        return inner_->DAdvise(format, flags, sink, connection);
    }
    STDMETHODIMP DUnadvise(DWORD connection) override { return inner_->DUnadvise(connection); }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advises) override {
        return inner_->EnumDAdvise(advises);
    }

private:
    ~ReportedEffects() = default;

    DWORD* Kept(const FORMATETC* format) {
        static const CLIPFORMAT performed =
            static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(CFSTR_PERFORMEDDROPEFFECT));
        static const CLIPFORMAT pasted =
            static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(CFSTR_PASTESUCCEEDED));
        if (format == nullptr || !(format->tymed & TYMED_HGLOBAL))
            return nullptr;
        if (format->cfFormat == performed)
            return &performed_;
        if (format->cfFormat == pasted)
            return &pasteSucceeded_;
        return nullptr;
    }

    ComPtr<IDataObject> inner_;
    ULONG references_ = 1;
    DWORD performed_ = 0;
    DWORD pasteSucceeded_ = 0;
};

} // namespace

std::wstring ReportText(const DragOutcome& outcome) {
    const std::wstring count = std::to_wstring(outcome.files);
    if (outcome.result == DRAGDROP_S_DROP) {
        if (outcome.effect & DROPEFFECT_MOVE)
            return count + L" 件を移動しました";
        if (outcome.effect & DROPEFFECT_COPY)
            return count + L" 件をコピーしました";
        // A target that moves the files itself (as the shell does within a drive) answers
        // "none" and says what it did through the data object.
        if (outcome.performedEffect & DROPEFFECT_MOVE)
            return L"ドロップ先が移動を処理しました";
    }
    return L"ドラッグを取り消しました";
}

DragOutcome DragFiles(const std::vector<std::wstring>& paths, IDropSource& source,
                      DWORD allowedEffect) {
    ComPtr<IDataObject> shellObject;
    CreateFilesDataObject(std::wstring(), paths, shellObject);
    ComPtr<ReportedEffects> data;
    data.Attach(new ReportedEffects(std::move(shellObject)));
    DragOutcome outcome;
    outcome.files = paths.size();
    outcome.result = ::DoDragDrop(data.Get(), &source, allowedEffect, &outcome.effect);
    outcome.performedEffect = data->Performed();
    return outcome;
}

} // namespace dragout
