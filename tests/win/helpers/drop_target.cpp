// A drop target of another program, for the tests of what the basket does after a drag out of
// it: a window that takes dropped files as the test tells it through shared memory.
//
//   drop_target <left> <top> <right> <bottom> <folder>
//
// The window covers the rectangle given, on top. What it does with a drop (DropTargetState's
// behaviour): copies the files into folder, moves them there, moves them there as a folder window
// does an optimized move (answers "none" and says "move" through "Performed DropEffect" and
// "Paste Succeeded" on the data object), answers "move" without moving anything, or refuses the
// drag. Its state is the shared memory "TuckbayDropTarget-<its process id>"; a WM_CLOSE ends it.
// It can also move them and answer "none" without saying anything (as a target that reports
// nothing does), or take the drag and answer "none" at the drop. (Wine 8 does not carry SetData
// on a data object to another process: its proxy answers E_NOTIMPL, so there the optimized move
// reaches the source as a move nobody reported.)
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "drop_target_state.h" // beside this file

namespace {

using tuckbay::test::DropTargetState;
using Behaviour = DropTargetState::Behaviour;

DropTargetState* state = nullptr;
std::wstring folder;

std::vector<std::wstring> DroppedPaths(IDataObject* data) {
    FORMATETC format{static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(CFSTR_SHELLIDLIST)),
                     nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    std::vector<std::wstring> paths;
    if (FAILED(data->GetData(&format, &medium)))
        return paths;
    if (auto* cida = static_cast<CIDA*>(::GlobalLock(medium.hGlobal))) {
        auto at = [cida](UINT i) {
            return reinterpret_cast<PCIDLIST_ABSOLUTE>(reinterpret_cast<const BYTE*>(cida) +
                                                       cida->aoffset[i]);
        };
        for (UINT i = 1; i <= cida->cidl; ++i) {
            PIDLIST_ABSOLUTE full = ::ILCombine(at(0), at(i));
            PWSTR name = nullptr;
            if (full && SUCCEEDED(::SHGetNameFromIDList(full, SIGDN_FILESYSPATH, &name))) {
                paths.emplace_back(name);
                ::CoTaskMemFree(name);
            }
            ::ILFree(full);
        }
        ::GlobalUnlock(medium.hGlobal);
    }
    ::ReleaseStgMedium(&medium);
    return paths;
}

void Report(IDataObject* data, const wchar_t* formatName, DWORD effect) {
    FORMATETC format{static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(formatName)), nullptr,
                     DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    *static_cast<DWORD*>(::GlobalLock(medium.hGlobal)) = effect;
    ::GlobalUnlock(medium.hGlobal);
    if (FAILED(data->SetData(&format, &medium, TRUE)))
        ::ReleaseStgMedium(&medium);
}

class Target : public IDropTarget {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDropTarget) {
            *object = static_cast<IDropTarget*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        state->overs = 0;
        state->inside = 1;
        ::InterlockedIncrement(&state->enters);
        Answer(effect);
        return S_OK;
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override {
        ::InterlockedIncrement(&state->overs);
        Answer(effect);
        return S_OK;
    }
    STDMETHODIMP DragLeave() override {
        state->inside = 0;
        ::InterlockedIncrement(&state->leaves);
        return S_OK;
    }
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        state->inside = 0;
        state->offered = static_cast<LONG>(*effect);
        const auto behaviour = static_cast<Behaviour>(state->behaviour);
        if (behaviour != Behaviour::Refuse && behaviour != Behaviour::ClaimMove &&
            behaviour != Behaviour::RefuseAtDrop) {
            for (const std::wstring& path : DroppedPaths(data)) {
                const std::wstring to = folder + path.substr(path.find_last_of(L'\\'));
                if (behaviour == Behaviour::Copy)
                    ::CopyFileW(path.c_str(), to.c_str(), FALSE);
                else
                    ::MoveFileW(path.c_str(), to.c_str());
            }
        }
        switch (behaviour) {
        case Behaviour::Copy:
            *effect = DROPEFFECT_COPY;
            break;
        case Behaviour::Move:
        case Behaviour::ClaimMove:
            *effect = DROPEFFECT_MOVE;
            break;
        case Behaviour::OptimizedMove:
            Report(data, CFSTR_PERFORMEDDROPEFFECT, DROPEFFECT_MOVE);
            Report(data, CFSTR_PASTESUCCEEDED, DROPEFFECT_MOVE);
            *effect = DROPEFFECT_NONE;
            break;
        case Behaviour::Refuse:
        case Behaviour::SilentMove:
        case Behaviour::RefuseAtDrop:
            *effect = DROPEFFECT_NONE;
            break;
        }
        ::InterlockedIncrement(&state->drops);
        return S_OK;
    }

private:
    static void Answer(DWORD* effect) {
        if (static_cast<Behaviour>(state->behaviour) == Behaviour::Refuse)
            *effect = DROPEFFECT_NONE;
    }
};

LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 6)
        return 2;
    const int left = _wtoi(argv[1]), top = _wtoi(argv[2]);
    const int right = _wtoi(argv[3]), bottom = _wtoi(argv[4]);
    folder = argv[5];
    const std::wstring name = tuckbay::test::DropTargetStateName(::GetCurrentProcessId());
    HANDLE mapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          sizeof(DropTargetState), name.c_str());
    if (mapping == nullptr)
        return 3;
    state = static_cast<DropTargetState*>(
        ::MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(DropTargetState)));
    if (state == nullptr || FAILED(::OleInitialize(nullptr)))
        return 4;

    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = tuckbay::test::kDropTargetClass;
    ::RegisterClassW(&wc);
    HWND hwnd = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, wc.lpszClassName,
                                  L"drop target", WS_POPUP, left, top, right - left, bottom - top,
                                  nullptr, nullptr, instance, nullptr);
    Target target;
    ::RegisterDragDrop(hwnd, &target);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    state->ready = 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    ::RevokeDragDrop(hwnd);
    ::OleUninitialize();
    return 0;
}
