// A program that drags what another program offers: files, virtual files, text, a link or an
// image, for the tests of drops on the basket from another process.
//
//   drag_source SCRIPT X Y
//
// SCRIPT is a UTF-16 file of tab-separated lines, each one thing offered or one way of offering:
//   hdrop PATH                    CF_HDROP with PATH (repeatable)
//   hdrop-fails                   CF_HDROP announced, but asking for it fails
//   virtual MEDIUM NAME CONTENT   a virtual file: MEDIUM stream, hglobal or storage, or folder
//                                 (then no CONTENT); CONTENT is the text (UTF-8), or #N for N
//                                 bytes of a pattern (byte i is i % 251)
//   ansi                          the descriptor in its ANSI form only
//   nosize                        the descriptor gives no sizes
//   slow MS                       every read of a stream waits MS first
//   failat INDEX                  the stream of that virtual file fails after its first read
//   text TEXT                     CF_UNICODETEXT; "\n" in TEXT is a line break
//   url URL TITLE                 UniformResourceLocatorW and text/x-moz-url
//   mozurl URL TITLE              text/x-moz-url only
//   png W H / dib W H             an image of W x H pixels, as PNG bytes or as CF_DIB: the pixel
//                                 x, y (counted from the bottom) is blue 40x, green 40y, red 200
//   dibv5 W H                     the same as CF_DIBV5 only, with bit fields and an alpha of
//                                 255 - 50x
//   async                         offers IDataObjectAsyncCapability
// It shows an 80 x 80 window at X, Y; a left press in it starts the drag. Its title says
// "ready", then "feedback EFFECT COUNT X Y" as the target answers (X, Y: where the drag loop
// last saw the pointer), then "dropped HR EFFECT" (and
// "ended HR EFFECT" when the target ended an asynchronous read, which stays when that came
// before the drag loop returned); it exits a few seconds later.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Virtual {
    std::wstring medium, name;
    std::string bytes;
    bool folder = false;
};

struct Script {
    std::vector<std::wstring> hdrop;
    bool hdropFails = false, ansi = false, noSize = false, async = false, mozOnly = false;
    std::vector<Virtual> files;
    DWORD slowMs = 0;
    int failAt = -1;
    std::wstring text, url, title;
    std::string png;
    std::vector<BYTE> dib, dibV5;
} script;

HWND window = nullptr;
int feedbacks = 0;
bool ended = false; // the target ended an asynchronous read

void Title(const std::wstring& text) { ::SetWindowTextW(window, text.c_str()); }

std::vector<std::wstring> Split(const std::wstring& line) {
    std::vector<std::wstring> parts;
    std::wstringstream in(line);
    std::wstring part;
    while (std::getline(in, part, L'\t'))
        parts.push_back(part);
    return parts;
}

std::string Utf8(const std::wstring& text) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, 0, 0);
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), out.data(), n, 0, 0);
    return out;
}

std::string Pattern(size_t n) {
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

// A bottom-up 32-bit image, each pixel's colour told by its place; with the later header, its
// colours in bit fields and a varying alpha, as browsers offer images.
std::vector<BYTE> Dib(int w, int h, bool v5 = false) {
    const size_t headerSize = v5 ? sizeof(BITMAPV5HEADER) : sizeof(BITMAPINFOHEADER);
    std::vector<BYTE> dib(headerSize + size_t(w) * h * 4);
    auto* header = reinterpret_cast<BITMAPV5HEADER*>(dib.data());
    header->bV5Size = static_cast<DWORD>(headerSize);
    header->bV5Width = w;
    header->bV5Height = h;
    header->bV5Planes = 1;
    header->bV5BitCount = 32;
    header->bV5Compression = v5 ? BI_BITFIELDS : BI_RGB;
    if (v5) {
        header->bV5RedMask = 0x00FF0000, header->bV5GreenMask = 0x0000FF00;
        header->bV5BlueMask = 0x000000FF, header->bV5AlphaMask = 0xFF000000;
        header->bV5CSType = LCS_sRGB;
    }
    BYTE* pixel = dib.data() + headerSize;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, pixel += 4) {
            pixel[0] = BYTE(x * 40), pixel[1] = BYTE(y * 40), pixel[2] = 200;
            pixel[3] = v5 ? BYTE(255 - x * 50) : 255;
        }
    return dib;
}

std::wstring Unescape(std::wstring text) {
    for (size_t at = 0; (at = text.find(L"\\n", at)) != std::wstring::npos; at += 2)
        text.replace(at, 2, L"\r\n");
    return text;
}

bool ReadSpec(const wchar_t* path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (raw.size() < 2)
        return false;
    std::wstring all(reinterpret_cast<const wchar_t*>(raw.data() + 2), (raw.size() - 2) / 2);
    std::wstringstream lines(all);
    std::wstring line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        auto p = Split(line);
        if (p.empty())
            continue;
        if (p[0] == L"hdrop" && p.size() > 1)
            script.hdrop.push_back(p[1]);
        else if (p[0] == L"hdrop-fails")
            script.hdropFails = true;
        else if (p[0] == L"ansi")
            script.ansi = true;
        else if (p[0] == L"nosize")
            script.noSize = true;
        else if (p[0] == L"async")
            script.async = true;
        else if (p[0] == L"slow" && p.size() > 1)
            script.slowMs = std::stoul(p[1]);
        else if (p[0] == L"failat" && p.size() > 1)
            script.failAt = std::stoi(p[1]);
        else if (p[0] == L"text" && p.size() > 1)
            script.text = Unescape(p[1]);
        else if ((p[0] == L"url" || p[0] == L"mozurl") && p.size() > 2)
            script.url = p[1], script.title = p[2], script.mozOnly = p[0] == L"mozurl";
        else if (p[0] == L"dibv5" && p.size() > 2)
            script.dibV5 = Dib(std::stoi(p[1]), std::stoi(p[2]), true);
        else if ((p[0] == L"png" || p[0] == L"dib") && p.size() > 2) {
            auto dib = Dib(std::stoi(p[1]), std::stoi(p[2]));
            if (p[0] == L"dib")
                script.dib = dib;
            else // not a real PNG: the receiver must keep the bytes as they came
                script.png = "\x89PNG\r\n\x1a\n" + std::string(dib.begin(), dib.end());
        } else if (p[0] == L"virtual" && p.size() > 2) {
            Virtual v{p[1], p[2], {}, p[1] == L"folder"};
            if (!v.folder && p.size() > 3)
                v.bytes = p[3][0] == L'#' ? Pattern(std::stoull(p[3].substr(1))) : Utf8(p[3]);
            script.files.push_back(std::move(v));
        }
    }
    return true;
}

HGLOBAL Global(const void* data, size_t size) {
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size ? size : 1);
    if (size)
        std::memcpy(::GlobalLock(global), data, size), ::GlobalUnlock(global);
    return global;
}

// A stream over one virtual file's bytes, slow or failing as the script says.
class ContentStream final : public IStream {
public:
    ContentStream(const std::string& bytes, bool fails) : bytes_(bytes), fails_(fails) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IStream || iid == IID_ISequentialStream) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP Read(void* to, ULONG size, ULONG* read) override {
        if (script.slowMs)
            ::Sleep(script.slowMs);
        if (fails_ && reads_++ > 0)
            return STG_E_READFAULT;
        ULONG n = static_cast<ULONG>(std::min<size_t>(size, bytes_.size() - at_));
        if (fails_)
            n = std::min<ULONG>(n, 16);
        std::memcpy(to, bytes_.data() + at_, n);
        at_ += n;
        if (read)
            *read = n;
        return n < size ? S_FALSE : S_OK;
    }
    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* now) override {
        LONGLONG base = origin == STREAM_SEEK_SET   ? 0
                        : origin == STREAM_SEEK_CUR ? at_
                                                    : bytes_.size();
        at_ = static_cast<size_t>(base + move.QuadPart);
        if (now)
            now->QuadPart = at_;
        return S_OK;
    }
    STDMETHODIMP Stat(STATSTG* stat, DWORD) override {
        *stat = {};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = bytes_.size();
        return S_OK;
    }
    STDMETHODIMP Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Commit(DWORD) override { return S_OK; }
    STDMETHODIMP Revert() override { return E_NOTIMPL; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Clone(IStream**) override { return E_NOTIMPL; }

private:
    ULONG refs_ = 1;
    const std::string& bytes_;
    size_t at_ = 0;
    bool fails_;
    int reads_ = 0;
};

// A compound file in memory with one stream "body" holding the bytes.
IStorage* MakeStorage(const std::string& bytes) {
    ILockBytes* lockBytes = nullptr;
    IStorage* storage = nullptr;
    if (FAILED(::CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes)))
        return nullptr;
    if (SUCCEEDED(::StgCreateDocfileOnILockBytes(
            lockBytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage))) {
        IStream* body = nullptr;
        if (SUCCEEDED(storage->CreateStream(
                L"body", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &body))) {
            body->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
            body->Release();
        }
        storage->Commit(STGC_DEFAULT);
    }
    lockBytes->Release();
    return storage;
}

CLIPFORMAT Format(const wchar_t* name) {
    return static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(name));
}

class Data : public IDataObject, public IDataObjectAsyncCapability {
public:
    Data() {
        auto add = [this](CLIPFORMAT cf, DWORD tymed, LONG index = -1) {
            formats_.push_back({cf, nullptr, DVASPECT_CONTENT, index, tymed});
        };
        if (!script.hdrop.empty() || script.hdropFails)
            add(CF_HDROP, TYMED_HGLOBAL);
        if (!script.files.empty()) {
            add(Format(script.ansi ? CFSTR_FILEDESCRIPTORA : CFSTR_FILEDESCRIPTORW), TYMED_HGLOBAL);
            add(Format(CFSTR_FILECONTENTS), TYMED_ISTREAM | TYMED_HGLOBAL | TYMED_ISTORAGE);
        }
        if (!script.url.empty()) {
            if (!script.mozOnly)
                add(Format(L"UniformResourceLocatorW"), TYMED_HGLOBAL);
            add(Format(L"text/x-moz-url"), TYMED_HGLOBAL);
        }
        if (!script.text.empty())
            add(CF_UNICODETEXT, TYMED_HGLOBAL);
        if (!script.png.empty())
            add(Format(L"PNG"), TYMED_HGLOBAL);
        if (!script.dib.empty())
            add(CF_DIB, TYMED_HGLOBAL);
        if (!script.dibV5.empty())
            add(CF_DIBV5, TYMED_HGLOBAL);
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDataObject)
            *out = static_cast<IDataObject*>(this);
        else if (iid == IID_IDataObjectAsyncCapability && script.async)
            *out = static_cast<IDataObjectAsyncCapability*>(this);
        else
            return *out = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP GetData(FORMATETC* f, STGMEDIUM* m) override {
        *m = {};
        if (f->cfFormat == CF_HDROP) {
            if (script.hdropFails)
                return E_FAIL;
            std::wstring list;
            for (auto& path : script.hdrop)
                list += path + L'\0';
            list += L'\0';
            std::string block(sizeof(DROPFILES), '\0');
            reinterpret_cast<DROPFILES*>(block.data())->pFiles = sizeof(DROPFILES);
            reinterpret_cast<DROPFILES*>(block.data())->fWide = TRUE;
            block.append(reinterpret_cast<const char*>(list.data()), list.size() * 2);
            return Give(m, block.data(), block.size());
        }
        if (f->cfFormat == Format(CFSTR_FILEDESCRIPTORW) && !script.ansi)
            return Descriptor<FILEGROUPDESCRIPTORW>(m);
        if (f->cfFormat == Format(CFSTR_FILEDESCRIPTORA) && script.ansi)
            return Descriptor<FILEGROUPDESCRIPTORA>(m);
        if (f->cfFormat == Format(CFSTR_FILECONTENTS))
            return Contents(f, m);
        if (f->cfFormat == Format(L"UniformResourceLocatorW") && !script.url.empty() &&
            !script.mozOnly)
            return Give(m, script.url.c_str(), (script.url.size() + 1) * 2);
        if (f->cfFormat == Format(L"text/x-moz-url") && !script.url.empty()) {
            std::wstring moz = script.url + L"\n" + script.title;
            return Give(m, moz.c_str(), (moz.size() + 1) * 2);
        }
        if (f->cfFormat == CF_UNICODETEXT && !script.text.empty())
            return Give(m, script.text.c_str(), (script.text.size() + 1) * 2);
        if (f->cfFormat == Format(L"PNG") && !script.png.empty())
            return Give(m, script.png.data(), script.png.size());
        if (f->cfFormat == CF_DIB && !script.dib.empty())
            return Give(m, script.dib.data(), script.dib.size());
        if (f->cfFormat == CF_DIBV5 && !script.dibV5.empty())
            return Give(m, script.dibV5.data(), script.dibV5.size());
        return DV_E_FORMATETC;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* f) override {
        for (auto& offered : formats_)
            if (offered.cfFormat == f->cfFormat && (offered.tymed & f->tymed))
                return S_OK;
        return DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM* m, BOOL release) override {
        if (release)
            ::ReleaseStgMedium(m);
        return S_OK; // the shell's drop notes ("Performed DropEffect") are welcome and unread
    }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(formats_.size()), formats_.data(), out);
    }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    STDMETHODIMP SetAsyncMode(BOOL async) override { return asyncMode_ = async, S_OK; }
    STDMETHODIMP GetAsyncMode(BOOL* async) override { return *async = asyncMode_, S_OK; }
    STDMETHODIMP StartOperation(IBindCtx*) override { return inOperation_ = TRUE, S_OK; }
    STDMETHODIMP InOperation(BOOL* in) override { return *in = inOperation_, S_OK; }
    STDMETHODIMP EndOperation(HRESULT hr, IBindCtx*, DWORD effect) override {
        inOperation_ = FALSE;
        ended = true;
        wchar_t text[64];
        std::swprintf(text, 64, L"ended %08lx %lu", static_cast<unsigned long>(hr), effect);
        Title(text);
        ::SetTimer(window, 1, 3000, nullptr);
        return S_OK;
    }

private:
    static HRESULT Give(STGMEDIUM* m, const void* data, size_t size) {
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = Global(data, size);
        return S_OK;
    }
    template <typename Group> HRESULT Descriptor(STGMEDIUM* m) {
        using Item = std::remove_reference_t<decltype(Group{}.fgd[0])>;
        std::string block(sizeof(Group) + sizeof(Item) * script.files.size(), '\0');
        auto* group = reinterpret_cast<Group*>(block.data());
        group->cItems = static_cast<UINT>(script.files.size());
        for (size_t i = 0; i < script.files.size(); ++i) {
            Item& item = group->fgd[i];
            const Virtual& v = script.files[i];
            item.dwFlags = FD_ATTRIBUTES | FD_PROGRESSUI | (script.noSize ? 0 : FD_FILESIZE);
            item.dwFileAttributes = v.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
            item.nFileSizeLow = static_cast<DWORD>(v.bytes.size());
            item.nFileSizeHigh = static_cast<DWORD>(uint64_t(v.bytes.size()) >> 32);
            if constexpr (sizeof(item.cFileName[0]) == 1)
                ::WideCharToMultiByte(CP_ACP, 0, v.name.c_str(), -1, item.cFileName, MAX_PATH,
                                      nullptr, nullptr);
            else
                lstrcpynW(item.cFileName, v.name.c_str(), MAX_PATH);
        }
        return Give(m, block.data(), block.size());
    }
    HRESULT Contents(FORMATETC* f, STGMEDIUM* m) {
        if (f->lindex < 0 || f->lindex >= static_cast<LONG>(script.files.size()))
            return DV_E_LINDEX;
        const Virtual& v = script.files[f->lindex];
        if (v.folder)
            return DV_E_FORMATETC;
        if (v.medium == L"hglobal" && (f->tymed & TYMED_HGLOBAL))
            return Give(m, v.bytes.data(), v.bytes.size());
        if (v.medium == L"storage" && (f->tymed & TYMED_ISTORAGE)) {
            m->tymed = TYMED_ISTORAGE;
            m->pstg = MakeStorage(v.bytes);
            return m->pstg ? S_OK : E_FAIL;
        }
        if (v.medium == L"stream" && (f->tymed & TYMED_ISTREAM)) {
            m->tymed = TYMED_ISTREAM;
            auto* stream = new ContentStream(v.bytes, f->lindex == script.failAt);
            // Handed over read to its end, as some sources do: the reader must seek back.
            LARGE_INTEGER end{};
            stream->Seek(end, STREAM_SEEK_END, nullptr);
            m->pstm = stream;
            return S_OK;
        }
        return DV_E_TYMED;
    }
    std::vector<FORMATETC> formats_;
    BOOL asyncMode_ = TRUE, inOperation_ = FALSE;
} * data;

class Source : public IDropSource {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDropSource)
            return *out = this, S_OK;
        return *out = nullptr, E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape)
            return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    STDMETHODIMP GiveFeedback(DWORD effect) override {
        // Where the drag loop last saw the pointer: the position of the message it took last.
        const DWORD at = ::GetMessagePos();
        wchar_t text[64];
        std::swprintf(text, 64, L"feedback %lu %d %d %d", effect, ++feedbacks,
                      static_cast<int>(static_cast<short>(LOWORD(at))),
                      static_cast<int>(static_cast<short>(HIWORD(at))));
        Title(text);
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
} source;

LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_LBUTTONDOWN) {
        DWORD effect = 0;
        Title(L"feedback - 0");
        const HRESULT hr = ::DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
        wchar_t text[64];
        std::swprintf(text, 64, L"dropped %08lx %lu", static_cast<unsigned long>(hr), effect);
        if (!ended)
            Title(text);
        ::SetTimer(hwnd, 1, script.async ? 60000 : 3000, nullptr);
        return 0;
    }
    if (msg == WM_TIMER || msg == WM_CLOSE) {
        ::DestroyWindow(hwnd);
        return 0;
    }
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
    if (argv == nullptr || argc < 4 || !ReadSpec(argv[1]))
        return 2;
    ::OleInitialize(nullptr);
    data = new Data;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hbrBackground = ::GetSysColorBrush(COLOR_HIGHLIGHT);
    wc.lpszClassName = L"TuckbayDragSource";
    ::RegisterClassW(&wc);
    window =
        ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"starting", WS_POPUP, _wtoi(argv[2]),
                          _wtoi(argv[3]), 80, 80, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::SetTimer(window, 1, 120000, nullptr); // never left behind
    Title(L"ready");
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::OleUninitialize();
    return 0;
}
