// Drops from another process on the basket by the user's route: the helper drag_source offers
// files, virtual files, text, links or images, and a real drag carries them onto a zone.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "drag_kit.h"
#include "foreign_drag.h"
#include "intake/receive_names.h"
#include "list_fixtures.h"
#include "main_window_fixture.h"
#include "pump.h"
#include "win/codepage.h"

namespace tuckbay::test {
namespace {

namespace fs = std::filesystem;

// Whether a drag from another Wine process reaches a target registered in this one at all.
TEST(ForeignDragTest, ReachesATargetOfThisProcess) {
    RecordingDropTarget target(RECT{300, 300, 400, 400});
    ForeignDrag drag;
    ASSERT_EQ(drag.Start({L"hdrop\tC:\\windows\\win.ini"}), "");
    EXPECT_EQ(drag.DragTo(target.Centre(), nullptr, DROPEFFECT_COPY | DROPEFFECT_LINK), "");
    EXPECT_EQ(target.drops, 1) << win::ToUtf8(drag.Title());
    EXPECT_GE(target.enters, 1);
}

// The main window with its settings, and so its folder of received files, in a scratch folder.
class ReceiveTest : public MainWindowTest {
protected:
    void SetUp() override {
        app = std::make_unique<win::Application>(L"Tuckbay");
        app->SetDialogs(&dialogs);
        settingsPath = scratch / L"tuckbay2.ini";
        MakeWindow();
    }

    std::wstring Received(const std::wstring& relative = L"") const {
        const std::wstring folder = scratch / L"受け取ったファイル";
        return relative.empty() ? folder : folder + L"\\" + relative;
    }
    // Every file and folder in the received folder, relative to it, passing files included.
    std::set<std::wstring> ReceivedTree() const {
        std::set<std::wstring> tree;
        std::error_code none;
        if (fs::exists(Received()))
            for (const auto& entry : fs::recursive_directory_iterator(Received(), none))
                tree.insert(fs::relative(entry.path(), Received()).wstring());
        return tree;
    }
    POINT Centre(HWND zone) const {
        RECT r{};
        ::GetWindowRect(zone, &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    HWND DropZone() const { return mainWindow->Controls().dropZone->Hwnd(); }
    HWND ListZone() {
        if (!mainWindow->Controls().ListAreaShown())
            mainWindow->RunCommand(app::kIdListArea);
        return mainWindow->Controls().listArea->Hwnd();
    }
    // As a click sets it, so that the program's settings follow.
    void AllowListDrops(bool allow) {
        HWND box = mainWindow->Controls().allowListDropsBox;
        if ((::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != allow)
            ::SendMessageW(box, BM_CLICK, 0, 0);
    }

    // Drags what script offers from the helper onto zone; the drag's failure, if any.
    std::string DragOnto(HWND zone, const std::vector<std::wstring>& script,
                         const std::function<void(InputDriver&)>& afterDrop = nullptr,
                         DWORD expectFeedback = DROPEFFECT_COPY) {
        drag.reset(); // the last one's helper ended
        drag = std::make_unique<ForeignDrag>();
        std::string started = drag->Start(script);
        if (!started.empty())
            return started;
        return drag->DragTo(Centre(zone), AppPump(), expectFeedback, false, afterDrop);
    }

    std::vector<std::wstring> Listed() const { return mainWindow->FileList().AllPaths(); }

    // On the driver thread, while a drop is read: waits until the status bar's second part
    // shows progress as shown says, then the user clicks the basket (the source had the
    // keyboard). False when either did not come.
    bool ClickBasketOnceProgressShows(InputDriver& d,
                                      const std::function<bool(const std::wstring&)>& shown) {
        if (!d.WaitFor("the progress in the status bar", [&] { return shown(Report()); }))
            return false;
        const POINT bar = Centre(mainWindow->Controls().statusBar);
        if (!d.MoveTo(bar, "the pointer on the status bar"))
            return false;
        d.LeftDown();
        d.LeftUp();
        return d.WaitFor("the basket to take the keyboard",
                         [&] { return ::GetForegroundWindow() == mainWindow->Hwnd(); });
    }

    ScratchFolder scratch;
    std::unique_ptr<ForeignDrag> drag;
};

// What the helper's drag ended with: DoDragDrop's result and the effect; and what an
// asynchronous source was told at the end: the result and the effect.
constexpr wchar_t kDroppedCopy[] = L"dropped 00040100 1";
constexpr wchar_t kDroppedNothing[] = L"dropped 00040100 0";
constexpr wchar_t kEndedCopy[] = L"ended 00000000 1";
constexpr wchar_t kEndedAborted[] = L"ended 80004004 0";
constexpr wchar_t kEndedFailed[] = L"ended 80004005 0";

// The progress the status bar's second part shows: in per cent; or the kilobytes read so far,
// at least a megabyte of them (a read of the slow source's large file).
bool PercentShown(const std::wstring& text) {
    return text.rfind(L"受け取り中… ", 0) == 0 && text.back() == L'%';
}
bool MegabyteShown(const std::wstring& text) {
    unsigned long kilobytes = 0;
    return std::swscanf(text.c_str(), L"受け取り中… %lu KB", &kilobytes) == 1 && text.size() > 3 &&
           text.substr(text.size() - 3) == L" KB" && kilobytes >= 1024;
}

// The picture the helper offers as a bitmap (see drag_source.cpp), as the pixels of the PNG
// file it should become: BGRA, top row first.
struct Picture {
    UINT width, height;
    bool alpha; // offered as CF_DIBV5, whose alpha falls from left to right
    std::vector<uint32_t> Pixels() const {
        std::vector<uint32_t> pixels;
        for (UINT row = 0; row < height; ++row)
            for (UINT x = 0; x < width; ++x) {
                const uint32_t y = height - 1 - row, a = alpha ? 255 - 50 * x : 255;
                pixels.push_back(40 * x | (40 * y) << 8 | 200u << 16 | a << 24);
            }
        return pixels;
    }
};

// An image file's pixels as the system's decoder reads them, BGRA, top row first; empty when
// it cannot read the file, or the file's size is not width x height.
std::vector<uint32_t> DecodedPixels(const std::wstring& path, UINT width, UINT height) {
    using Microsoft::WRL::ComPtr;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT w = 0, h = 0;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&w, &h)) || w != width ||
        h != height || FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return {};
    std::vector<uint32_t> pixels(size_t(w) * h);
    if (FAILED(converter->CopyPixels(nullptr, w * 4, static_cast<UINT>(pixels.size() * 4),
                                     reinterpret_cast<BYTE*>(pixels.data()))))
        return {};
    return pixels;
}

// A file the system finds at \\host\share\x, as if another computer offered it: under Wine, a
// computer's shares are folders in the prefix's dosdevices\unc.
class NetworkFile {
public:
    NetworkFile() {
        wchar_t prefix[1024] = {};
        if (::GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024) == 0)
            return;
        std::wstring folder = L"Z:" + std::wstring(prefix) + L"/dosdevices/unc";
        std::replace(folder.begin(), folder.end(), L'/', L'\\');
        host_ = folder + L"\\host";
        std::error_code none;
        fs::create_directories(folder + L"\\host\\share", none);
        std::ofstream(fs::path(folder + L"\\host\\share\\x")) << "on another computer";
    }
    ~NetworkFile() {
        std::error_code none;
        fs::remove_all(host_, none);
    }
    static bool Found() {
        return ::GetFileAttributesW(L"\\\\host\\share\\x") != INVALID_FILE_ATTRIBUTES;
    }

private:
    std::wstring host_;
};

std::string Pattern(size_t n) {
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

// Each kind of drop on the drop zone: what the list shows, the feedback the source saw and
// what the received folder holds afterwards (files by their contents).
TEST_F(ReceiveTest, EachKindOfDropIsListedAsFilesInTheBasketsFolder) {
    const std::wstring realA = scratch.Write(L"real a.txt", "a");
    const std::wstring realB = scratch.Write(L"real b.txt", "b");
    const std::wstring paths = realA + L"\\n" + realB;
    struct Case {
        const char* what;
        std::vector<std::wstring> script;
        std::vector<std::wstring> listed; // relative to the received folder unless full
        std::map<std::wstring, std::string> files;
        std::function<void()> before = nullptr;
        bool startsOnly = false;                       // the files begin with the bytes given
        std::optional<Picture> picture = std::nullopt; // the one file listed shows it
    };
    const auto docfile = std::string("\xD0\xCF\x11\xE0", 4);
    const std::wstring deep(120, L'f'), deepFile = std::wstring(116, L'g') + L".txt",
                                        deepStorage = std::wstring(116, L'h') + L".msg";
    ASSERT_GT(Received(deep + L"\\" + deepFile).size(), 260u);
    const NetworkFile networkFile;
    ASSERT_TRUE(NetworkFile::Found());
    const Case cases[] = {
        {"files by path", {L"hdrop\t" + realA, L"hdrop\t" + realB}, {realA, realB}, {}},
        {"a real file with a virtual copy of it",
         {L"hdrop\t" + realA, L"virtual\tstream\treal a.txt\ta"},
         {realA},
         {}},
        {"files announced but not given, virtual ones given",
         {L"hdrop-fails", L"virtual\thglobal\tgiven.txt\tgiven"},
         {L"given.txt"},
         {{L"given.txt", "given"}}},
        {"attachments by stream, by memory block and by storage",
         {L"virtual\tstream\tnote.txt\tstreamed", L"virtual\thglobal\tbig.bin\t#3000000",
          L"virtual\tstorage\tmail.msg\tbody"},
         {L"note.txt", L"big.bin", L"mail.msg"},
         {{L"note.txt", "streamed"}, {L"big.bin", Pattern(3000000)}, {L"mail.msg", docfile}},
         nullptr,
         true},
        {"the same name twice, one there already",
         {L"virtual\tstream\tr.txt\tone", L"virtual\thglobal\tR.TXT\ttwo"},
         {L"r (2).txt", L"R (3).TXT"},
         {{L"r.txt", "there"}, {L"r (2).txt", "one"}, {L"R (3).TXT", "two"}},
         [&] {
             ::CreateDirectoryW(Received().c_str(), nullptr);
             scratch.Write(L"受け取ったファイル\\r.txt", "there");
         }},
        {"hostile names",
         {L"virtual\tstream\t..\\..\\evil.txt\te", L"virtual\tstream\tC:\\x\\con.txt\tc",
          L"virtual\tstream\tq:b?.txt . \tq", L"virtual\tstream\tnul\tn"},
         {L"evil.txt", L"x__con.txt", L"b_.txt", L"_nul"},
         {{L"evil.txt", "e"}, {L"x__con.txt", "c"}, {L"b_.txt", "q"}, {L"_nul", "n"}}},
        {"a file and a storage whose paths pass 260 characters",
         {L"virtual\tfolder\t" + deep, L"virtual\tstream\t" + deep + L"\\" + deepFile + L"\tD",
          L"virtual\tstorage\t" + deep + L"\\" + deepStorage + L"\tbody"},
         {deep},
         {{deep + L"\\" + deepFile, "D"}, {deep + L"\\" + deepStorage, docfile}},
         nullptr,
         true},
        {"an archive's folders, in the ANSI descriptor without sizes",
         {L"ansi", L"nosize", L"virtual\tfolder\tzip", L"virtual\tstream\tzip\\a.txt\tA",
          L"virtual\tfolder\tzip\\sub", L"virtual\thglobal\tzip\\sub\\b.txt\tB"},
         {L"zip"},
         {{L"zip\\a.txt", "A"}, {L"zip\\sub\\b.txt", "B"}}},
        {"text of paths", {L"text\t" + paths + L"\\n"}, {realA, realB}, {}},
        // Found there, but never asked after: text of another computer's paths is text.
        {"text naming a file of another computer",
         {L"text\t" + realA + L"\\n\\\\host\\share\\x"},
         {intake::NameFromText(realA, L".txt")},
         {{intake::NameFromText(realA, L".txt"),
           "\xEF\xBB\xBF" + win::ToUtf8(realA) + "\r\n\\\\host\\share\\x"}}},
        // A folder is no file: such text is text.
        {"text of a file's and a folder's path",
         {L"text\t" + realA + L"\\n" + scratch.Path()},
         {intake::NameFromText(realA, L".txt")},
         {}},
        {"plain text",
         {L"text\tShopping list: milk\\nbread"},
         {L"Shopping list_ milk.txt"},
         {{L"Shopping list_ milk.txt", "\xEF\xBB\xBFShopping list: milk\r\nbread"}}},
        {"a link with a title",
         {L"url\thttps://example.com/ü?q=1\tExample page"},
         {L"Example page.url"},
         {{L"Example page.url", "[InternetShortcut]\r\nURL=https://example.com/%C3%BC?q=1\r\n"}}},
        {"a link only in the Mozilla form",
         {L"mozurl\thttps://example.org/moz\tMozilla: page"},
         {L"Mozilla_ page.url"},
         {{L"Mozilla_ page.url", "[InternetShortcut]\r\nURL=https://example.org/moz\r\n"}}},
        {"an image as PNG, kept as it came",
         {L"png\t2\t2"},
         {L"画像.png"},
         {{L"画像.png", "\x89PNG\r\n\x1a\n" + std::string("\x28\0\0\0", 4)}},
         nullptr,
         true},
        {"an image as a bitmap, written as PNG",
         {L"dib\t3\t2"},
         {L"画像.png"},
         {},
         nullptr,
         false,
         Picture{3, 2, false}},
        {"an image only as CF_DIBV5, with alpha, written as PNG",
         {L"dibv5\t4\t3"},
         {L"画像.png"},
         {},
         nullptr,
         false,
         Picture{4, 3, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        List().Clear();
        std::error_code none;
        fs::remove_all(Received(), none);
        if (c.before)
            c.before();
        ASSERT_EQ(DragOnto(DropZone(), c.script), "");
        EXPECT_EQ(drag->Title(), kDroppedCopy);
        std::vector<std::wstring> expected;
        for (const std::wstring& listed : c.listed)
            expected.push_back(listed.find(L':') == 1 ? listed : Received(listed));
        EXPECT_EQ(Listed(), expected);
        for (const auto& [name, bytes] : c.files) {
            const std::string read = ReadBytes(Received(name)).value_or("<missing>");
            // Compared, not printed: some are megabytes long.
            EXPECT_TRUE((c.startsOnly ? read.substr(0, bytes.size()) : read) == bytes)
                << win::ToUtf8(name) << ": " << read.size() << " bytes, " << bytes.size()
                << " expected";
        }
        if (c.picture && !expected.empty())
            EXPECT_EQ(DecodedPixels(expected[0], c.picture->width, c.picture->height),
                      c.picture->Pixels());
        for (const std::wstring& name : ReceivedTree())
            EXPECT_EQ(name.find(L".tmp"), std::wstring::npos) << win::ToUtf8(name);
    }
    EXPECT_FALSE(fs::exists(scratch / L"evil.txt"));
    EXPECT_EQ(dialogs.errors, std::vector<std::wstring>{});
}

// The list takes what the drop zone takes while "ファイルリストへのドロップを許可" is ticked.
// Unticked, it still takes every drag (the drag shows copy over it), reads a list file dropped
// first, and refuses anything else at the drop: the source hears nothing was taken, nothing is
// listed or received, and once the drag has ended the warning says why.
TEST_F(ReceiveTest, TheUntickedListRefusesAllButAListFileWithItsWarning) {
    const std::wstring plain = scratch.Write(L"plain.txt", "p");
    const std::wstring upper = scratch.Write(L"UP.LST", "C:\\upper\r\n");
    const std::wstring list = scratch.Write(L"saved.lst", "C:\\one\r\nC:\\two\r\n");
    const std::vector<std::wstring> memo = {L"virtual\tstream\tmemo.txt\tm"};
    const struct {
        const char* what;
        bool allowed;
        std::vector<std::wstring> script;
        std::vector<std::wstring> listed; // none: refused
    } cases[] = {
        {"a file", false, {L"hdrop\t" + plain}, {}},
        {"UP.LST", false, {L"hdrop\t" + upper}, {}},
        {"a file before a list file", false, {L"hdrop\t" + plain, L"hdrop\t" + list}, {}},
        {"a virtual file", false, memo, {}},
        {"text", false, {L"text\tsome words"}, {}},
        {"a list file", false, {L"hdrop\t" + list, L"hdrop\t" + plain}, {L"C:\\one", L"C:\\two"}},
        {"a virtual file, ticked", true, memo, {Received(L"memo.txt")}},
    };
    bool endedBeforeTheBox = false;
    dialogs.whileShown = [&] {
        endedBeforeTheBox = drag->WaitForTitle(kDroppedNothing, AppPump(), 5000);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        List().Clear();
        dialogs.warnings.clear();
        endedBeforeTheBox = false;
        AllowListDrops(c.allowed);
        const RECT frame = WindowRect();
        ASSERT_EQ(DragOnto(ListZone(), c.script), "");
        if (c.listed.empty()) {
            EXPECT_EQ(drag->Title(), kDroppedNothing);
            ASSERT_TRUE(Pump([&] { return !dialogs.warnings.empty(); }));
            ASSERT_EQ(dialogs.warnings.size(), 1u);
            ExpectRefusalWarning(dialogs.warnings[0], frame);
            EXPECT_TRUE(endedBeforeTheBox) << "the box showed while the source waited on the drop";
        } else {
            EXPECT_EQ(drag->Title(), kDroppedCopy);
            EXPECT_TRUE(Pump([&] { return Listed().size() == c.listed.size(); }));
            EXPECT_TRUE(dialogs.warnings.empty());
        }
        EXPECT_EQ(Listed(), c.listed);
        if (!c.allowed)
            EXPECT_EQ(ReceivedTree(), std::set<std::wstring>{});
    }
    dialogs.whileShown = nullptr;
}

// A source that fails, read inside the drop or after its drag: what it completed is listed, the
// rest named in one box, and no half-written file stays. A source that offers to be read after
// its drag sees the drag end at once, and is told the drop's outcome once read: failed when
// nothing of it came. A drop that cannot be received at all (a file has the received folder's
// name) is told in a box too. Every box comes once the source has heard how its drop ended.
TEST_F(ReceiveTest, ASourceFailingListsWhatCameAndNamesTheRest) {
    const std::vector<std::wstring> partWay = {L"failat\t1", L"virtual\tstream\tfirst.txt\t1",
                                               L"virtual\tstream\tbroken.bin\t#100000",
                                               L"virtual\thglobal\tthird.txt\t3"};
    const std::vector<std::wstring> wholly = {L"failat\t0",
                                              L"virtual\tstream\tbroken.bin\t#100000"};
    const std::vector<std::wstring> nowhere = {L"text\tno place for it"};
    const struct {
        const char* what;
        bool async;
        const std::vector<std::wstring>& script;
        std::map<std::wstring, std::string> came; // the files, by their contents
        const wchar_t* end; // how the drag ended, or for a source read after it, how it was told
        bool named = true;  // the box names broken.bin; else it gives the reason alone
    } cases[] = {
        {"part-way, read inside the drop",
         false,
         partWay,
         {{L"first.txt", "1"}, {L"third.txt", "3"}},
         kDroppedCopy},
        {"part-way, read after the drag",
         true,
         partWay,
         {{L"first.txt", "1"}, {L"third.txt", "3"}},
         kEndedCopy},
        {"wholly, read inside the drop", false, wholly, {}, kDroppedNothing},
        {"wholly, read after the drag", true, wholly, {}, kEndedFailed},
        {"no folder, read inside the drop", false, nowhere, {}, kDroppedNothing, false},
        {"no folder, read after the drag", true, nowhere, {}, kEndedFailed, false},
    };
    bool endedBeforeTheBox = false;
    const wchar_t* end = nullptr;
    dialogs.whileShown = [&] { endedBeforeTheBox = drag->WaitForTitle(end, AppPump(), 5000); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        List().Clear();
        dialogs.errors.clear();
        endedBeforeTheBox = false;
        end = c.end;
        std::error_code none;
        fs::remove_all(Received(), none);
        if (!c.named)
            scratch.Write(L"受け取ったファイル", "in the folder's place");
        std::vector<std::wstring> script = c.script;
        if (c.async) // slow enough that the reading outlasts the drag
            script.insert(script.begin(), {L"async", L"slow\t300"});
        ASSERT_EQ(DragOnto(DropZone(), script), "");
        if (c.async) {
            // One that fails at once may be told so before its drag's loop has returned.
            if (c.named)
                EXPECT_EQ(drag->Title().rfind(kDroppedCopy, 0), 0u) << win::ToUtf8(drag->Title());
            drag->WaitForTitle(L"ended", AppPump());
        }
        EXPECT_EQ(drag->Title(), c.end);
        std::vector<std::wstring> listed;
        std::set<std::wstring> tree;
        for (const auto& [name, bytes] : c.came) {
            listed.push_back(Received(name));
            tree.insert(name);
            EXPECT_EQ(ReadBytes(Received(name)), bytes) << win::ToUtf8(name);
        }
        EXPECT_EQ(Listed(), listed);
        EXPECT_EQ(ReceivedTree(), tree);
        ASSERT_TRUE(Pump([&] { return !dialogs.errors.empty(); }));
        ASSERT_EQ(dialogs.errors.size(), 1u);
        EXPECT_TRUE(endedBeforeTheBox) << "the box showed before the source heard the end";
        const std::wstring& text = dialogs.errors[0];
        EXPECT_EQ(text.rfind(L"受け取れなかったファイルがあります。\r\n", 0) == 0, c.named)
            << win::ToUtf8(text);
        EXPECT_EQ(text.find(L"\r\n\"broken.bin\"") != std::wstring::npos, c.named)
            << win::ToUtf8(text);
        EXPECT_FALSE(text.empty());
    }
    dialogs.whileShown = nullptr;
}

// A slow source, read inside the drop or after its drag: the window answers and shows how far
// the reading is, in per cent when the sizes are known, else in bytes. The drop is given up by
// Esc pressed in the basket, by the session's end (after which the process is ended without a
// word) or by closing the basket (Alt+F4): nothing of it is listed or left on disk, and a source
// read after its drag is told that its drop was given up.
TEST_F(ReceiveTest, ASlowDropGivenUpLeavesNothingAndTellsTheSource) {
    const struct {
        const char* what;
        std::vector<std::wstring> script; // before the files
        bool (*progress)(const std::wstring&);
        std::function<void(InputDriver&)> giveUp;
        const wchar_t* end; // how the drag ended, or for a source read after it, how it was told
        bool closes;
    } cases[] = {
        {"Esc, read inside the drop, the sizes given",
         {L"slow\t200"},
         PercentShown,
         [](InputDriver& d) { d.Key(VK_ESCAPE); },
         kDroppedNothing,
         false},
        {"Esc, read after the drag, no sizes given",
         {L"async", L"nosize", L"slow\t200"},
         MegabyteShown,
         [](InputDriver& d) { d.Key(VK_ESCAPE); },
         kEndedAborted,
         false},
        {"the session ended",
         {L"async", L"slow\t200"},
         PercentShown,
         [this](InputDriver&) {
             ::SendMessageW(mainWindow->Hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
         },
         kEndedAborted,
         false},
        {"closed by Alt+F4",
         {L"async", L"slow\t200"},
         PercentShown,
         [](InputDriver& d) { d.Chord(VK_MENU, VK_F4); },
         kEndedAborted,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::wstring> script = c.script;
        script.insert(script.end(),
                      {L"virtual\tstream\tdone.txt\td", L"virtual\tstream\tslow.bin\t#20000000"});
        bool progressShown = false;
        ASSERT_EQ(DragOnto(DropZone(), script,
                           [&](InputDriver& d) {
                               progressShown = ClickBasketOnceProgressShows(d, c.progress);
                               if (progressShown)
                                   c.giveUp(d);
                           }),
                  "");
        EXPECT_TRUE(progressShown) << win::ToUtf8(Report());
        if (std::wstring(c.end).rfind(L"ended", 0) == 0) // read after the drag
            drag->WaitForTitle(L"ended", AppPump());
        EXPECT_EQ(drag->Title(), c.end);
        EXPECT_EQ(ReceivedTree(), std::set<std::wstring>{});
        if (c.closes) {
            EXPECT_TRUE(Pump([&] { return mainWindow->Hwnd() == nullptr; }));
            continue;
        }
        EXPECT_TRUE(Pump([&] { return !mainWindow->Part<intake::DropZonePart>().Receiver().Running(); }));
        EXPECT_EQ(Listed(), std::vector<std::wstring>{});
        EXPECT_EQ(Report(), L"受け取りを取り消しました");
    }
}

// A name another program takes while a file is read, after it was found free: that program's
// file keeps its bytes, the received one takes the next free name, and Esc's clean-up takes away
// what the drop made, and nothing else.
TEST_F(ReceiveTest, ANameTakenWhileAFileIsReadIsNeverWrittenOverNorRemoved) {
    const std::wstring taken = L"virtual\tstream\ttaken.bin\t#3000000";
    const struct {
        const char* what;
        std::vector<std::wstring> script;
        bool giveUp; // Esc once the next file is being read
        std::vector<std::wstring> listed;
        std::set<std::wstring> tree;
    } cases[] = {
        {"received",
         {L"slow\t300", taken},
         false,
         {L"taken (2).bin"},
         {L"taken.bin", L"taken (2).bin"}},
        {"given up by Esc",
         {L"slow\t300", taken, L"virtual\tstream\tlater.bin\t#3000000"},
         true,
         {},
         {L"taken.bin"}},
    };
    const auto passingFiles = [this] {
        const std::set<std::wstring> tree = ReceivedTree();
        return std::count_if(tree.begin(), tree.end(),
                             [](const std::wstring& name) { return name.rfind(L"~", 0) == 0; });
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        List().Clear();
        std::error_code none;
        fs::remove_all(Received(), none);
        bool tookTheName = false, gaveUp = false;
        ASSERT_EQ(
            DragOnto(
                DropZone(), c.script,
                [&](InputDriver& d) {
                    if (!d.WaitFor("the file written beside", [&] { return passingFiles() == 1; }))
                        return;
                    // The name was found free; the file is being written beside it.
                    scratch.Write(L"受け取ったファイル\\taken.bin", "another's");
                    tookTheName = true;
                    if (c.giveUp) {
                        gaveUp = ClickBasketOnceProgressShows(d, [](const std::wstring& text) {
                            int percent = 0;
                            return std::swscanf(text.c_str(), L"受け取り中… %d%%", &percent) == 1 &&
                                   percent >= 60;
                        });
                        if (gaveUp)
                            d.Key(VK_ESCAPE);
                    }
                }),
            "");
        EXPECT_TRUE(tookTheName);
        EXPECT_EQ(gaveUp, c.giveUp);
        EXPECT_EQ(drag->Title(), c.giveUp ? kDroppedNothing : kDroppedCopy);
        EXPECT_TRUE(Pump([&] { return !mainWindow->Part<intake::DropZonePart>().Receiver().Running(); }));
        EXPECT_EQ(ReadBytes(Received(L"taken.bin")), "another's");
        std::vector<std::wstring> listed;
        for (const std::wstring& name : c.listed)
            listed.push_back(Received(name));
        EXPECT_EQ(Listed(), listed);
        EXPECT_EQ(ReceivedTree(), c.tree);
        if (!c.giveUp)
            EXPECT_TRUE(ReadBytes(Received(L"taken (2).bin")) == Pattern(3000000));
    }
}

// Received files stay when they leave the list, come back with the kept list after a restart,
// and their folder opens from "リスト(&L)" by a click on "受け取ったファイルのフォルダを開く".
TEST_F(ReceiveTest, ReceivedFilesAreKeptAndTheirFolderOpensFromTheMenu) {
    mainWindow->RunCommand(filelist::kIdKeepList);
    ASSERT_EQ(DragOnto(DropZone(), {L"virtual\tstream\tkept.txt\tk"}), "");
    const std::vector<std::wstring> kept = {Received(L"kept.txt")};
    ASSERT_EQ(Listed(), kept);
    mainWindow.reset();
    MakeWindow();
    EXPECT_EQ(Listed(), kept);
    mainWindow->RunCommand(intake::kIdClearList);
    EXPECT_EQ(ReadBytes(kept[0]), "k") << "never deleted behind the user's back";

    RecordingShell shell;
    mainWindow->SetShellRequests(&shell);
    HMENU list = ::GetSubMenu(::GetMenu(mainWindow->Hwnd()), 0);
    int item = -1;
    for (int i = 0; i < ::GetMenuItemCount(list); ++i)
        if (::GetMenuItemID(list, i) == intake::kIdOpenReceivedFolder)
            item = i;
    ASSERT_GE(item, 0);
    wchar_t text[64] = {};
    ::GetMenuStringW(list, static_cast<UINT>(item), text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"受け取ったファイルのフォルダを開く");
    ::SetForegroundWindow(mainWindow->Hwnd());
    const std::string failure = DriveInput(
        [&](InputDriver& d) {
            d.Chord(VK_MENU, 'L');
            if (!d.WaitFor("the menu to open", [] { return OpenPopupMenu() != nullptr; }))
                return;
            RECT r{};
            ::GetMenuItemRect(mainWindow->Hwnd(), list, static_cast<UINT>(item), &r);
            const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            if (!d.MoveTo(at, "the pointer on the item"))
                return;
            d.LeftDown();
            d.LeftUp();
            d.WaitFor("the folder's request", [&] { return !shell.commands.empty(); });
        },
        AppPump());
    mainWindow->SetShellRequests(nullptr);
    ASSERT_EQ(failure, "");
    ASSERT_EQ(shell.commands.size(), 1u);
    EXPECT_NE(shell.commands[0].find(L" /n, /e,\"" + Received() + L"\""), std::wstring::npos)
        << win::ToUtf8(shell.commands[0]);
}

} // namespace
} // namespace tuckbay::test
