#include "dragout/drop_source.h"

#include "dragout/drag_rules.h"

namespace dragout {

STDMETHODIMP DropSource::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDropSource) {
        *object = static_cast<IDropSource*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) DropSource::AddRef() { return static_cast<ULONG>(-1); }

STDMETHODIMP_(ULONG) DropSource::Release() { return static_cast<ULONG>(-1); }

STDMETHODIMP DropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
    switch (ContinueVerdict(escapePressed != FALSE, (keyState & MK_LBUTTON) != 0,
                            (keyState & MK_RBUTTON) != 0)) {
    case DragVerdict::Cancel:
        return DRAGDROP_S_CANCEL;
    case DragVerdict::Drop:
        return DRAGDROP_S_DROP;
    case DragVerdict::Continue:
        break;
    }
    return S_OK;
}

STDMETHODIMP DropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

} // namespace dragout
