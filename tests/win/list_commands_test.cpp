// The list menu's commands against the real file list, real files and the real clipboard;
// the boxes are answered by recording dialogs, and the real dialogs are driven once each.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "filelist/list_commands.h"
#include "list_fixtures.h"
#include "pump.h"
#include "win/codepage.h"
#include "win/error.h"
#include "win/handles.h"

namespace {

using namespace tuckbay::test;
using Lines = std::vector<std::wstring>;

class ListCommands : public testing::Test {
protected:
    void Fill(const Lines& paths) {
        for (const std::wstring& path : paths)
            window.List().AppendPath(path);
        window.List().UpdateCountDisplay();
    }

    ScriptedDialogs dialogs;
    ScratchFolder folder;
    ListWindow window;
};

void SetClipboardText(HWND owner, const std::wstring& text) {
    ASSERT_TRUE(::OpenClipboard(owner));
    ::EmptyClipboard();
    if (!text.empty()) {
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        std::memcpy(::GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        ::GlobalUnlock(memory);
        ::SetClipboardData(CF_UNICODETEXT, memory);
    }
    ::CloseClipboard();
}

std::optional<std::string> ClipboardBytes(UINT format) {
    if (!::OpenClipboard(nullptr))
        return std::nullopt;
    std::optional<std::string> bytes;
    if (HANDLE data = ::GetClipboardData(format)) {
        auto* p = static_cast<const char*>(::GlobalLock(data));
        bytes = std::string(p, ::GlobalSize(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    return bytes;
}

TEST_F(ListCommands, SaveWritesTheListUnderTheChosenName) {
    Fill({L"C:\\a.txt", L"C:\\b.txt"});
    std::wstring file = folder / L"saved.lst";
    dialogs.saveAnswer = file;
    filelist::SaveList(window.Frame(), window.List(), dialogs);

    EXPECT_EQ(ReadBytes(file), "C:\\a.txt\r\nC:\\b.txt\r\n");
    ASSERT_EQ(dialogs.offeredNames.size(), 1u);
    EXPECT_EQ(dialogs.offeredNames[0].rfind(L"tuckbay ", 0), 0u);
    EXPECT_TRUE(dialogs.offeredNames[0].ends_with(L".lst"));
    EXPECT_EQ(dialogs.offeredFilter, L"LSTファイル(*.lst)|*.lst");
}

TEST_F(ListCommands, CancelWritesNothing) {
    Fill({L"C:\\a.txt"});
    wchar_t before[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, before);
    ::SetCurrentDirectoryW(folder.Path().c_str());
    dialogs.saveAnswer.reset();
    filelist::SaveList(window.Frame(), window.List(), dialogs);
    ::SetCurrentDirectoryW(before);

    ASSERT_EQ(dialogs.offeredNames.size(), 1u);
    EXPECT_FALSE(FileExists(folder / dialogs.offeredNames[0]));
    EXPECT_FALSE(FileExists(folder / L"*.lst"));
    int entries = folder.EntryCount();
    EXPECT_EQ(entries, 2) << "the folder holds more than . and ..";
}

TEST_F(ListCommands, SaveReplacesAnExistingFileWithoutAQuestion) {
    Fill({L"C:\\new.txt"});
    std::wstring file = folder.Write(L"old.lst", "C:\\old1\r\nC:\\old2\r\n");
    dialogs.saveAnswer = file;
    filelist::SaveList(window.Frame(), window.List(), dialogs);
    EXPECT_EQ(ReadBytes(file), "C:\\new.txt\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ListCommands, AnEmptyListIsNeitherSavedNorCopied) {
    SetClipboardText(window.Frame(), L"before");
    filelist::SaveList(window.Frame(), window.List(), dialogs);
    filelist::CopyListToClipboard(window.Frame(), window.List(), dialogs);
    EXPECT_EQ(dialogs.messages, (Lines{L"ファイルリストが空です", L"ファイルリストが空です"}));
    EXPECT_TRUE(dialogs.offeredNames.empty());
    EXPECT_EQ(ClipboardBytes(CF_UNICODETEXT).value_or("").substr(0, 4), std::string("b\0e\0", 4));
}

TEST_F(ListCommands, ExportThenImportAppendsEveryExistingPathAgain) {
    std::wstring a = folder.Write(L"a.txt", "a");
    std::wstring b = folder.Write(L"名前.txt", "b");
    Fill({a, b, a});
    filelist::CopyListToClipboard(window.Frame(), window.List(), dialogs);

    std::string wide = ClipboardBytes(CF_UNICODETEXT).value_or("");
    std::wstring expected = a + L"\r\n" + b + L"\r\n" + a + L"\r\n";
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(wide.data())), expected);
    std::string plain = ClipboardBytes(CF_TEXT).value_or("");
    EXPECT_EQ(plain.c_str(), win::ToCodePage(expected));

    filelist::TakePathsFromClipboard(window.Frame(), window.List(), dialogs);
    EXPECT_EQ(window.Paths(), (Lines{a, b, a, a, b, a}));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(window.CountText(), L"6");
}

TEST_F(ListCommands, ImportNamesFoldersAndEmptyLinesAsMissing) {
    std::wstring a = folder.Write(L"a.txt", "a");
    std::wstring c = folder.Write(L"c.txt", "c");
    SetClipboardText(window.Frame(),
                     a + L"\r\n\r\n" + c + L"\r\n" + folder.Path() + L"\n" + folder / L"gone.txt");
    filelist::TakePathsFromClipboard(window.Frame(), window.List(), dialogs);

    EXPECT_EQ(window.Paths(), (Lines{a, c}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              L"\r\n" + folder.Path() + L"\r\n" + folder / L"gone.txt" + L"\r\nが見つかりません");
    EXPECT_EQ(window.CountText(), L"2");
}

TEST_F(ListCommands, ImportOfCodePageTextKeepsEveryLineBreak) {
    // Text another program put as bytes only, with a lead byte that has no second byte
    // right before a line break: the break must still end the line.
    std::wstring real = folder.Write(L"real.txt", "r");
    std::string bytes = "C:\\missing\x82\n" + *win::ToCodePageExact(real) + "\r\n";
    ASSERT_TRUE(::OpenClipboard(window.Frame()));
    ::EmptyClipboard();
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    std::memcpy(::GlobalLock(memory), bytes.c_str(), bytes.size() + 1);
    ::GlobalUnlock(memory);
    ::SetClipboardData(CF_TEXT, memory);
    ::CloseClipboard();

    filelist::TakePathsFromClipboard(window.Frame(), window.List(), dialogs);
    EXPECT_EQ(window.Paths(), (Lines{real}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].find(real), std::wstring::npos);
    EXPECT_EQ(window.CountText(), L"1");
}

TEST_F(ListCommands, ImportWithoutTextStillWritesTheCount) {
    SetClipboardText(window.Frame(), L"");
    ASSERT_EQ(window.CountText(), L"");
    filelist::TakePathsFromClipboard(window.Frame(), window.List(), dialogs);
    EXPECT_TRUE(window.Paths().empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(window.CountText(), L"0");
}

TEST_F(ListCommands, AClipboardHeldElsewhereIsReported) {
    Fill({L"C:\\a.txt"});
    // Another thread holds the clipboard open with a window of its own.
    std::atomic<bool> holding = false;
    win::KernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::jthread holder([&] {
        HWND owner = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       nullptr, nullptr);
        bool opened = ::OpenClipboard(owner) != FALSE;
        holding = opened;
        if (opened) {
            ::WaitForSingleObject(release.get(), 10000);
            ::CloseClipboard();
        }
        ::DestroyWindow(owner);
    });
    ASSERT_TRUE(PumpUntil([&] { return holding.load(); }, std::chrono::seconds(5)))
        << "the other thread could not open the clipboard";
    try {
        filelist::TakePathsFromClipboard(window.Frame(), window.List(), dialogs);
        ADD_FAILURE() << "import went on without the clipboard";
    } catch (const win::Error& error) {
        EXPECT_EQ(error.Text(), L"クリップボードを開くことができません");
    }
    EXPECT_THROW(filelist::CopyListToClipboard(window.Frame(), window.List(), dialogs), win::Error);
    ::SetEvent(release.get());
    holder.join();
    EXPECT_EQ(window.Paths(), (Lines{L"C:\\a.txt"}));
}

// Answers the first dialog box with the given title (any title when null) that this thread
// shows, from a thread timer that runs inside the box's own modal loop. A box that does not
// come is given up after ten seconds; one still open then is closed so the test cannot hang.
class ModalAnswerer {
public:
    ModalAnswerer(const wchar_t* title, std::function<void(HWND)> answer)
        : title_(title), answer_(std::move(answer)) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 20, &Tick);
    }
    ~ModalAnswerer() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Answered() const { return answered_; }

private:
    static BOOL CALLBACK FindBox(HWND hwnd, LPARAM found) {
        wchar_t className[16] = {}, text[256] = {};
        ::GetClassNameW(hwnd, className, 16);
        ::GetWindowTextW(hwnd, text, 256);
        if (std::wstring(className) == L"#32770" &&
            (current_->title_ == nullptr || current_->title_ == std::wstring(text))) {
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        ModalAnswerer* self = current_;
        if (self == nullptr || self->answered_)
            return;
        HWND box = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
        if (box != nullptr) {
            self->answered_ = true;
            self->answer_(box);
        } else if (++self->ticks_ > 500) {
            self->answered_ = true; // nothing to answer: let the test fail on Answered()
        }
    }

    static inline ModalAnswerer* current_ = nullptr;
    const wchar_t* title_;
    std::function<void(HWND)> answer_;
    UINT_PTR timer_ = 0;
    int ticks_ = 0;
    bool answered_ = false;
};

TEST_F(ListCommands, TheRealSaveDialogOffersTheNameAndReturnsTheChoice) {
    std::wstring chosen = folder / L"chosen.lst";
    std::wstring offered;
    LONG_PTR style = 0;
    std::optional<std::wstring> answer;
    {
        ModalAnswerer answerer(nullptr, [&](HWND box) {
            wchar_t text[512] = {};
            ::GetDlgItemTextW(box, 1148, text, 512);
            offered = text;
            style = ::GetWindowLongPtrW(box, GWL_STYLE);
            ::SetDlgItemTextW(box, 1148, chosen.c_str());
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        win::SystemDialogs real;
        answer = real.AskSaveFileName(window.Frame(), L"tuckbay 2009 03 05-14 07 09.lst",
                                      L"LSTファイル(*.lst)|*.lst");
        EXPECT_TRUE(answerer.Answered());
    }
    EXPECT_EQ(offered, L"tuckbay 2009 03 05-14 07 09.lst");
    EXPECT_EQ(answer, chosen);
    EXPECT_TRUE(style & WS_THICKFRAME) << "the dialog cannot be resized";
}

TEST_F(ListCommands, TheRealWarningBoxStandsWhereItIsAsked) {
    RECT placed{};
    std::wstring text;
    {
        ModalAnswerer answerer(L"注意", [&](HWND box) {
            ::GetWindowRect(box, &placed);
            wchar_t buffer[256] = {};
            ::GetDlgItemTextW(box, 0xFFFF, buffer, 256);
            text = buffer;
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
        win::SystemDialogs real;
        real.ShowWarningAt(window.Frame(), L"注意", L"拡張子が.lstに限ります。", POINT{216, 84});
        EXPECT_TRUE(answerer.Answered());
    }
    EXPECT_EQ(placed.left, 216);
    EXPECT_EQ(placed.top, 84);
    EXPECT_EQ(text, L"拡張子が.lstに限ります。");
}

} // namespace
