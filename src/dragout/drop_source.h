// The drop source of the drag-out: the main window answers the system's drag loop with it.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace dragout {

// Lives as long as the main window, longer than any drag, so references count nothing.
class DropSource : public IDropSource {
public:
    DropSource() = default;
    DropSource(const DropSource&) = delete;
    DropSource& operator=(const DropSource&) = delete;
    virtual ~DropSource() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // Escape or the right button cancel; releasing the left button drops.
    STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    // The system's own drag cursors for every effect.
    STDMETHODIMP GiveFeedback(DWORD effect) override;
};

} // namespace dragout
