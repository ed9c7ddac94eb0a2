// Receiving a virtual file through the drop zone's real drop target, with the source's data
// object in another process (this program started again as the source), as a real drag's is:
// - one 256 MB file, against CopyFileW of a 256 MB file on the same disk (target: at most 1.5x);
//   the same again with the source on a thread of this process, reached through COM's proxy too,
//   and with the source in the receiving worker's apartment, read without a proxy: the receiver's
//   own cost;
// - the window's longest reply while a slow 48 MB source is read (target: at most 100 ms);
// - the process's private memory while the 256 MB file is received, against its size.
// The receiving's parts are measured alone too: the writing and flushing, and the reading
// through COM's proxy from the other process and from the other thread. Under Wine that reading
// goes through the wineserver's pipes, and from another process alone takes many times the copy.

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "bench_support.h"
#include "intake/drop_receiver.h"
#include "win/program_path.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kMB = 1 << 20;

// Bytes made as they are read: the source holds no copy of the file.
// COM's reference counting for the bench's own objects, deleted with their last reference;
// Answer gives out Interface for IUnknown and for the ids the object knows.
template <typename Interface> class Counted : public Interface {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~Counted() = default;
    HRESULT Answer(REFIID iid, bool known, void** out) {
        if (!known && iid != IID_IUnknown)
            return *out = nullptr, E_NOINTERFACE;
        *out = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }

private:
    ULONG refs_ = 1;
};

class PatternStream final : public Counted<IStream> {
public:
    PatternStream(uint64_t size, DWORD slowMs) : size_(size), slowMs_(slowMs) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return Answer(iid, iid == IID_IStream || iid == IID_ISequentialStream, out);
    }
    STDMETHODIMP Read(void* to, ULONG size, ULONG* read) override {
        if (slowMs_)
            ::Sleep(slowMs_);
        const ULONG n = static_cast<ULONG>(std::min<uint64_t>(size, size_ - at_));
        std::memset(to, static_cast<int>(at_ & 0xFF), n);
        at_ += n;
        if (read)
            *read = n;
        return n < size ? S_FALSE : S_OK;
    }
    STDMETHODIMP Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* now) override {
        at_ = static_cast<uint64_t>((origin == STREAM_SEEK_SET   ? 0
                                     : origin == STREAM_SEEK_CUR ? static_cast<LONGLONG>(at_)
                                                                 : static_cast<LONGLONG>(size_)) +
                                    move.QuadPart);
        if (now)
            now->QuadPart = at_;
        return S_OK;
    }
    STDMETHODIMP Stat(STATSTG* stat, DWORD) override {
        *stat = {};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = size_;
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
    uint64_t size_;
    uint64_t at_ = 0;
    DWORD slowMs_;
};

CLIPFORMAT Format(const wchar_t* name) {
    return static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(name));
}

// One virtual file, offered as a stream.
class OneFile final : public Counted<IDataObject> {
public:
    OneFile(uint64_t size, DWORD slowMs) : size_(size), slowMs_(slowMs) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return Answer(iid, iid == IID_IDataObject, out);
    }
    STDMETHODIMP GetData(FORMATETC* f, STGMEDIUM* m) override {
        *m = {};
        if (f->cfFormat == Format(CFSTR_FILEDESCRIPTORW)) {
            HGLOBAL global =
                ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(FILEGROUPDESCRIPTORW));
            auto* group = static_cast<FILEGROUPDESCRIPTORW*>(::GlobalLock(global));
            group->cItems = 1;
            group->fgd[0].dwFlags = FD_FILESIZE;
            group->fgd[0].nFileSizeLow = static_cast<DWORD>(size_);
            group->fgd[0].nFileSizeHigh = static_cast<DWORD>(size_ >> 32);
            lstrcpyW(group->fgd[0].cFileName, L"bench received.bin");
            ::GlobalUnlock(global);
            m->tymed = TYMED_HGLOBAL;
            m->hGlobal = global;
            return S_OK;
        }
        if (f->cfFormat == Format(CFSTR_FILECONTENTS) && f->lindex == 0 &&
            (f->tymed & TYMED_ISTREAM)) {
            m->tymed = TYMED_ISTREAM;
            m->pstm = new PatternStream(size_, slowMs_);
            return S_OK;
        }
        return DV_E_FORMATETC;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* f) override {
        return f->cfFormat == Format(CFSTR_FILEDESCRIPTORW) ||
                       f->cfFormat == Format(CFSTR_FILECONTENTS)
                   ? S_OK
                   : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    uint64_t size_;
    DWORD slowMs_;
};

// The source's thread: makes the data object in an apartment of its own, hands it over
// marshalled and answers COM's calls until the drop is done. A source of the multithreaded
// apartment shares the receiver's worker's apartment: the worker then reads its stream without
// a proxy, and what the receiving costs is the receiver's alone.
enum class Apartment { Single, Multi };

class SourceThread {
public:
    SourceThread(uint64_t size, DWORD slowMs, Apartment apartment = Apartment::Single) {
        thread_ = std::thread([this, size, slowMs, apartment] {
            if (apartment == Apartment::Single)
                ::OleInitialize(nullptr);
            else
                ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            threadId_ = ::GetCurrentThreadId();
            auto* data = new OneFile(size, slowMs);
            ::CoMarshalInterThreadInterfaceInStream(IID_IDataObject, data, &marshalled_);
            data->Release();
            ready_ = true;
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
                ::DispatchMessageW(&msg);
            if (apartment == Apartment::Single)
                ::OleUninitialize();
            else
                ::CoUninitialize();
        });
        while (!ready_)
            ::Sleep(1);
    }
    ~SourceThread() {
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    IDataObject* Take() {
        IDataObject* data = nullptr;
        ::CoGetInterfaceAndReleaseStream(marshalled_, IID_IDataObject,
                                         reinterpret_cast<void**>(&data));
        return data;
    }

private:
    std::thread thread_;
    std::atomic<bool> ready_{false};
    DWORD threadId_ = 0;
    IStream* marshalled_ = nullptr;
};

constexpr wchar_t kSourceSwitch[] = L"--source";

// This program as the source process: one data object of size bytes, marshalled into the file
// named, answering COM's calls until its thread is told to quit.
int ServeSource(uint64_t size, const std::wstring& marshalFile) {
    ::OleInitialize(nullptr);
    auto* data = new OneFile(size, 0);
    IStream* stream = nullptr;
    HGLOBAL bytes = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
        FAILED(::CoMarshalInterface(stream, IID_IDataObject, data, MSHCTX_LOCAL, nullptr,
                                    MSHLFLAGS_NORMAL)) ||
        FAILED(::GetHGlobalFromStream(stream, &bytes)))
        return 1;
    const std::wstring passing = marshalFile + L".part";
    HANDLE file =
        ::CreateFileW(passing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, ::GlobalLock(bytes), static_cast<DWORD>(::GlobalSize(bytes)), &written,
                nullptr);
    ::GlobalUnlock(bytes);
    ::CloseHandle(file);
    ::MoveFileW(passing.c_str(), marshalFile.c_str()); // whole when it appears
    stream->Release();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    data->Release();
    ::OleUninitialize();
    return 0;
}

// The source in another process: this program started again with kSourceSwitch.
class SourceProcess {
public:
    SourceProcess(win::Application& app, uint64_t size)
        : marshalFile_(win::BesideProgram(L"bench source.marshal")) {
        ::DeleteFileW(marshalFile_.c_str());
        std::wstring command = L"\"" + win::ProgramPath() + L"\" " + kSourceSwitch + L" " +
                               std::to_wstring(size) + L" \"" + marshalFile_ + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_))
            return;
        app.PumpUntil(
            [&] { return ::GetFileAttributesW(marshalFile_.c_str()) != INVALID_FILE_ATTRIBUTES; },
            20000);
    }
    ~SourceProcess() {
        if (process_.hProcess == nullptr)
            return;
        ::PostThreadMessageW(process_.dwThreadId, WM_QUIT, 0, 0);
        if (::WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0)
            ::TerminateProcess(process_.hProcess, 1);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
        ::DeleteFileW(marshalFile_.c_str());
    }
    // The other process's data object, through COM's proxy; null when it never came.
    IDataObject* Take() {
        HANDLE file = ::CreateFileW(marshalFile_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return nullptr;
        std::string bytes(64 * 1024, '\0');
        DWORD read = 0;
        ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        ::CloseHandle(file);
        IStream* stream = nullptr;
        IDataObject* data = nullptr;
        if (SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
            const LARGE_INTEGER start{};
            stream->Write(bytes.data(), read, nullptr);
            stream->Seek(start, STREAM_SEEK_SET, nullptr);
            ::CoUnmarshalInterface(stream, IID_IDataObject, reinterpret_cast<void**>(&data));
            stream->Release();
        }
        return data;
    }

private:
    std::wstring marshalFile_;
    PROCESS_INFORMATION process_{};
};

// The first item's stream read to its end through COM's proxy, on a worker in the
// multithreaded apartment as the receiver reads it: the seconds it took.
double ReadThroughProxy(win::Application& app, IDataObject* data) {
    IStream* marshalled = nullptr;
    ::CoMarshalInterThreadInterfaceInStream(IID_IDataObject, data, &marshalled);
    double seconds = 0;
    std::thread reader([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        IDataObject* proxy = nullptr;
        ::CoGetInterfaceAndReleaseStream(marshalled, IID_IDataObject,
                                         reinterpret_cast<void**>(&proxy));
        FORMATETC f{Format(CFSTR_FILECONTENTS), nullptr, DVASPECT_CONTENT, 0, TYMED_ISTREAM};
        STGMEDIUM m{};
        const auto begin = bench::Clock::now();
        if (proxy && SUCCEEDED(proxy->GetData(&f, &m))) {
            std::vector<char> buffer(kMB);
            ULONG read = 0;
            while (SUCCEEDED(m.pstm->Read(buffer.data(), kMB, &read)) && read > 0) {
            }
            ::ReleaseStgMedium(&m);
        }
        seconds = std::max(bench::Seconds(begin), 1e-9);
        if (proxy)
            proxy->Release();
        ::CoUninitialize();
    });
    app.PumpUntil([&] { return seconds > 0; }, 600000);
    reader.join();
    return seconds;
}

// A drop of the source on the window's drop zone, through the zone's registered target.
double DropOnZone(app::MainWindow& window, IDataObject* data) {
    HWND zone = window.Controls().dropZone->Hwnd();
    auto* target = static_cast<IDropTarget*>(::GetPropW(zone, L"OleDropTargetInterface"));
    const auto start = bench::Clock::now();
    DWORD effect = DROPEFFECT_COPY;
    POINTL at{0, 0};
    if (target) {
        target->DragEnter(data, MK_LBUTTON, at, &effect);
        effect = DROPEFFECT_COPY;
        target->Drop(data, 0, at, &effect);
    } else {
        std::printf("  (no target on the window: the receiver is called directly)\n");
        effect = window.Part<intake::DropZonePart>().Receiver().Take(zone, data);
    }
    const double seconds = bench::Seconds(start);
    if (effect != DROPEFFECT_COPY)
        std::printf("  the drop was not taken (effect %lu)\n", effect);
    return seconds;
}

// Writes size bytes into path and flushes them: the seconds the flush took.
double WriteFileOf(const std::wstring& path, uint64_t size) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string block(kMB, 'x');
    DWORD written = 0;
    for (uint64_t at = 0; at < size; at += kMB)
        ::WriteFile(file, block.data(), static_cast<DWORD>(kMB), &written, nullptr);
    const auto start = bench::Clock::now();
    ::FlushFileBuffers(file);
    const double flushSeconds = bench::Seconds(start);
    ::CloseHandle(file);
    return flushSeconds;
}

// The 256 MB file received from source, with the memory the process takes meanwhile sampled:
// the seconds it took, and the most memory it took beyond what it had before, in bytes.
template <typename Source>
std::pair<double, double> Receive(app::MainWindow& window, Source& source,
                                  const std::wstring& folder) {
    std::error_code none;
    fs::remove_all(folder, none);
    window.FileList().Clear();
    std::atomic<bool> sampling{true};
    std::atomic<size_t> peak{0};
    const size_t before = bench::PrivateBytes();
    std::thread sampler([&] {
        while (sampling) {
            peak = std::max(peak.load(), bench::PrivateBytes());
            ::Sleep(20);
        }
    });
    IDataObject* data = source.Take();
    const double seconds = data ? DropOnZone(window, data) : 0;
    if (data)
        data->Release();
    sampling = false;
    sampler.join();
    const auto received = fs::file_size(folder + L"\\bench received.bin", none);
    if (received != 256 * kMB)
        std::printf("  the file received has %llu bytes\n",
                    static_cast<unsigned long long>(received));
    return {seconds, static_cast<double>(peak) - static_cast<double>(before)};
}

} // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argc == 4 && std::wstring(argv[1]) == kSourceSwitch)
        return ServeSource(std::stoull(argv[2]), argv[3]);
    return bench::Run([](win::Application& app) {
        const std::wstring settings = settings::SettingsPath();
        const std::wstring folder = intake::ReceivedFolder(settings);
        std::error_code none;
        fs::remove_all(folder, none);
        app::MainWindow window(app, settings);
        ::ShowWindow(window.Hwnd(), SW_SHOW);
        app.PumpUntil([] { return false; }, 200);

        // CopyFileW of 256 MB on the same disk, the file written and flushed first; the median of
        // five copies, as one alone scatters by half.
        const std::wstring original = win::BesideProgram(L"bench copy source.bin");
        const std::wstring copy = win::BesideProgram(L"bench copy target.bin");
        WriteFileOf(original, 256 * kMB);
        std::vector<double> copies;
        for (int i = 0; i < 5; ++i) {
            const auto began = bench::Clock::now();
            ::CopyFileW(original.c_str(), copy.c_str(), FALSE);
            copies.push_back(bench::Seconds(began));
            ::DeleteFileW(copy.c_str());
        }
        std::sort(copies.begin(), copies.end());
        const double copySeconds = copies[2];
        ::DeleteFileW(original.c_str());

        // Its parts: 256 MB written through a 1 MB buffer and flushed, as the receiver writes;
        // the source's stream read through COM's proxy on a worker's apartment, as it reads.
        const auto start = bench::Clock::now();
        const double flushSeconds = WriteFileOf(copy, 256 * kMB);
        const double writeSeconds = bench::Seconds(start);
        ::DeleteFileW(copy.c_str());
        double processRead = 0, threadRead = 0;
        {
            SourceProcess source(app, 256 * kMB);
            if (IDataObject* data = source.Take()) {
                processRead = ReadThroughProxy(app, data);
                data->Release();
            }
        }
        {
            SourceThread source(256 * kMB, 0);
            IDataObject* data = source.Take();
            threadRead = ReadThroughProxy(app, data);
            data->Release();
        }
        std::printf("  parts: 256 MB written and flushed %.2f s, of it the flush %.2f s; read "
                    "through the proxy from another process %.2f s, from another thread %.2f s\n",
                    writeSeconds, flushSeconds, processRead, threadRead);

        // The same size received, from another process and from another thread.
        SourceProcess otherProcess(app, 256 * kMB);
        const auto [processSeconds, processMemory] = Receive(window, otherProcess, folder);
        SourceThread otherThread(256 * kMB, 0);
        const auto [threadSeconds, threadMemory] = Receive(window, otherThread, folder);
        // The receiver's own cost, the median of three.
        std::vector<double> shared;
        for (int i = 0; i < 3; ++i) {
            SourceThread sharedApartment(256 * kMB, 0, Apartment::Multi);
            shared.push_back(Receive(window, sharedApartment, folder).first);
        }
        std::sort(shared.begin(), shared.end());
        const double sharedSeconds = shared[1];
        std::printf("256 MB virtual file received from another process: %.2f s; CopyFileW of "
                    "256 MB (median of 5): %.2f s; ratio %.2f (target <= 1.5)\n",
                    processSeconds, copySeconds, processSeconds / copySeconds);
        std::printf("256 MB virtual file received from another thread: %.2f s; ratio %.2f\n",
                    threadSeconds, threadSeconds / copySeconds);
        std::printf("256 MB virtual file received from another thread of the multithreaded "
                    "apartment, no proxy (median of 3): %.2f s; ratio %.2f\n",
                    sharedSeconds, sharedSeconds / copySeconds);
        std::printf("private memory while receiving 256 MB: %.1f MB more at most from another "
                    "process, %.1f MB from another thread (file 256 MB)\n",
                    processMemory / kMB, threadMemory / kMB);

        // A slow source of 48 MB: 1 MB a read, each read 40 ms late.
        window.FileList().Clear();
        double longest = 0, slowSeconds = 0;
        {
            SourceThread source(48 * kMB, 40);
            IDataObject* data = source.Take();
            bench::LongestReply reply(app, window.Hwnd(), 5);
            slowSeconds = DropOnZone(window, data);
            longest = reply.Stop();
            data->Release();
        }
        std::printf("slow 48 MB source read in %.2f s; the window's longest reply %.1f ms "
                    "(target <= 100 ms)\n",
                    slowSeconds, longest);
        fs::remove_all(folder, none);
    });
}
