// What a screen reader reads of the controls, read as one reads it: from another process,
// through AccessibleObjectFromWindow. The default actions and the change notices a reader
// acts on are checked in the process itself.
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "control_strip.h"
#include "program_copy.h"
#include "pump.h"
#include "win/codepage.h"
#include "win/controls.h"

namespace tuckbay::test {
namespace {

struct Read {
    std::wstring name;
    long role = 0;
    long state = 0;
    std::wstring description;
};

// What accessible_reader read of the window and everything in it, by window and item.
std::map<std::pair<HWND, long>, Read> ReadFromAnotherProcess(HWND top) {
    const std::wstring out = CurrentFolder() + L"\\accessible_read.txt";
    const DWORD failures =
        RunHelper(L"accessible_reader",
                  std::to_wstring(reinterpret_cast<ULONG_PTR>(top)) + L" " + QuoteArgument(out));
    EXPECT_EQ(failures, 0u) << "windows without an accessible object";
    std::map<std::pair<HWND, long>, Read> read;
    std::ifstream file{std::filesystem::path(out)};
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string hwnd, item, name, role, state, description;
        std::getline(fields, hwnd, '\t');
        std::getline(fields, item, '\t');
        std::getline(fields, name, '\t');
        std::getline(fields, role, '\t');
        std::getline(fields, state, '\t');
        std::getline(fields, description, '\t');
        read[{reinterpret_cast<HWND>(std::stoull(hwnd)), std::stol(item)}] = {
            win::FromUtf8(name), std::stol(role), static_cast<long>(std::stoul(state, nullptr, 16)),
            win::FromUtf8(description)};
    }
    file.close();
    std::filesystem::remove(std::filesystem::path(out));
    return read;
}

// The states a reader announces; the proxy's others (focusable, for one) are left alone.
constexpr long kAnnounced = STATE_SYSTEM_PRESSED | STATE_SYSTEM_CHECKED | STATE_SYSTEM_FOCUSED |
                            STATE_SYSTEM_SELECTED | STATE_SYSTEM_UNAVAILABLE |
                            STATE_SYSTEM_READONLY;

TEST(Accessible, EveryControlReadFromAnotherProcessByNameRoleAndState) {
    ControlStrip s;
    s.SetRows({L"C:\\basket\\a.txt", L"C:\\basket\\gone.txt", L"C:\\basket\\c.txt"}, {1});
    LVITEMW take{};
    take.stateMask = take.state = LVIS_FOCUSED | LVIS_SELECTED;
    ::SendMessageW(s.list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&take));
    ::SendMessageW(s.statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"3"));
    ::SendMessageW(s.statusBar, SB_SETTEXTW, 1,
                   reinterpret_cast<LPARAM>(L"3 個のファイルをコピーしました"));
    ::SetFocus(s.list);

    const struct {
        HWND hwnd;
        long item;
        Read expected;
    } rows[] = {
        {s.dragZone->Hwnd(), 0, {L"アイコンをドラッグ", ROLE_SYSTEM_GROUPING, 0, L""}},
        {s.dragCaption->Hwnd(),
         0,
         {L"アイコンをドラッグ", ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY, L""}},
        {s.dragIcon->Hwnd(),
         0,
         {L"アイコンをドラッグ", ROLE_SYSTEM_GRAPHIC, 0,
          L"リストのすべてのファイルをドラッグします"}},
        {s.copy->Hwnd(), 0, {L"コピー", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_PRESSED, L""}},
        {s.move->Hwnd(), 0, {L"移動", ROLE_SYSTEM_PUSHBUTTON, 0, L""}},
        {s.dropZone->Hwnd(), 0, {L"ここにドロップ", ROLE_SYSTEM_GROUPING, 0, L""}},
        {s.clear->Hwnd(), 0, {L"リストクリア", ROLE_SYSTEM_PUSHBUTTON, 0, L""}},
        {s.shortcut->Hwnd(),
         0,
         {L"ショート変換", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_PRESSED, L""}},
        {s.allowDrops,
         0,
         {L"ファイルリストへのドロップを許可", ROLE_SYSTEM_CHECKBUTTON, STATE_SYSTEM_CHECKED, L""}},
        {s.watchClipboard, 0, {L"Ctrl+Cを監視する", ROLE_SYSTEM_CHECKBUTTON, 0, L""}},
        {s.addCaptured, 0, {L"ファイルリストへ登録する", ROLE_SYSTEM_PUSHBUTTON, 0, L""}},
        {s.statusBar, 0, {L"", ROLE_SYSTEM_STATUSBAR, 0, L""}},
        {s.statusBar, 1, {L"3", ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY, L""}},
        {s.statusBar,
         2,
         {L"3 個のファイルをコピーしました", ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY, L""}},
        {s.list, 0, {L"ファイルリスト", ROLE_SYSTEM_LIST, STATE_SYSTEM_FOCUSED, L""}},
        {s.list, 1, {L"C:\\basket\\a.txt", ROLE_SYSTEM_LISTITEM, 0, L""}},
        {s.list,
         2,
         {L"C:\\basket\\gone.txt", ROLE_SYSTEM_LISTITEM, STATE_SYSTEM_UNAVAILABLE,
          L"存在しません"}},
        {s.list,
         3,
         {L"C:\\basket\\c.txt", ROLE_SYSTEM_LISTITEM, STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED,
          L""}},
    };
    const auto read = ReadFromAnotherProcess(s.top);
    for (const auto& row : rows) {
        SCOPED_TRACE(win::ToUtf8(row.expected.name) + " item " + std::to_string(row.item));
        auto found = read.find({row.hwnd, row.item});
        ASSERT_NE(found, read.end()) << "not read at all";
        EXPECT_EQ(found->second.name, row.expected.name);
        EXPECT_EQ(found->second.role, row.expected.role);
        EXPECT_EQ(found->second.state & kAnnounced, row.expected.state);
        EXPECT_EQ(found->second.description, row.expected.description);
    }
    EXPECT_EQ(read.count({s.list, 4}), 0u) << "a row the list does not have";
}

// The notices of one kind of change a reader hears of while the test runs.
class Notices {
public:
    explicit Notices(DWORD event)
        : hook_(::SetWinEventHook(event, event, nullptr, Heard, ::GetCurrentProcessId(), 0,
                                  WINEVENT_OUTOFCONTEXT)) {
        current_ = this;
    }
    ~Notices() {
        ::UnhookWinEvent(hook_);
        current_ = nullptr;
    }
    bool Heard(HWND hwnd, long item) const {
        for (const auto& notice : heard_)
            if (notice == std::make_pair(hwnd, item))
                return true;
        return false;
    }

private:
    static void CALLBACK Heard(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG item, DWORD,
                               DWORD) {
        if (current_ != nullptr && object == OBJID_CLIENT)
            current_->heard_.push_back({hwnd, item});
    }
    static inline Notices* current_ = nullptr;
    HWINEVENTHOOK hook_;
    std::vector<std::pair<HWND, long>> heard_;
};

TEST(Accessible, TheDefaultActionPressesAButtonOrTicksABoxAndTheChangeIsAnnounced) {
    ControlStrip s;
    const struct {
        const char* what;
        HWND hwnd;
        const wchar_t* action;
        std::function<bool()> done;
    } rows[] = {
        {"移動", s.move->Hwnd(), L"押す", [&] { return s.move->Down(); }},
        {"ショート変換", s.shortcut->Hwnd(), L"押す", [&] { return !s.shortcut->Down(); }},
        {"Ctrl+Cを監視する", s.watchClipboard, L"チェックする",
         [&] { return ::SendMessageW(s.watchClipboard, BM_GETCHECK, 0, 0) == BST_CHECKED; }},
        {"ファイルリストへ登録する", s.addCaptured, L"押す",
         [&] { return !s.clicks.empty() && s.clicks.back() == ControlStrip::kAddCaptured; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Notices changes(EVENT_OBJECT_STATECHANGE);
        IAccessible* object = nullptr;
        ASSERT_HRESULT_SUCCEEDED(::AccessibleObjectFromWindow(
            row.hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object)));
        VARIANT self;
        ::VariantInit(&self);
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR action = nullptr;
        object->get_accDefaultAction(self, &action);
        EXPECT_STREQ(action, row.action);
        ::SysFreeString(action);
        EXPECT_HRESULT_SUCCEEDED(object->accDoDefaultAction(self));
        object->Release();
        EXPECT_TRUE(PumpUntil(row.done));
        if (row.hwnd == s.move->Hwnd() || row.hwnd == s.shortcut->Hwnd())
            EXPECT_TRUE(PumpUntil([&] { return changes.Heard(row.hwnd, CHILDID_SELF); }));
    }

    Notices names(EVENT_OBJECT_NAMECHANGE);
    ::SendMessageW(s.statusBar, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"移動しました"));
    EXPECT_TRUE(PumpUntil([&] { return names.Heard(s.statusBar, 2); }))
        << "the report's change was not announced";
}

// The same read of the program itself, started as a user starts it with a file that exists and
// one that does not: what is wired into the real window is what a reader hears.
TEST_F(ProgramCopy, AScreenReaderReadsTheProgramsOwnWindow) {
    const std::wstring missing = folder_ + L"\\gone.txt";
    HWND main = Start(QuoteArgument(exe_) + L" " + QuoteArgument(missing));
    ASSERT_TRUE(main);
    auto child = [main](const wchar_t* className, const wchar_t* text) {
        HWND found = nullptr;
        struct Search {
            const wchar_t* className;
            const wchar_t* text;
            HWND* found;
        } search{className, text, &found};
        ::EnumChildWindows(
            main,
            [](HWND hwnd, LPARAM data) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(data);
                wchar_t name[64] = {};
                ::GetClassNameW(hwnd, name, 64);
                if (::lstrcmpiW(name, s.className) != 0 ||
                    (s.text != nullptr && win::WindowText(hwnd) != s.text))
                    return TRUE;
                *s.found = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return found;
    };
    const HWND list = child(WC_LISTVIEWW, nullptr);
    const HWND bar = child(STATUSCLASSNAMEW, nullptr);
    const struct {
        HWND hwnd;
        long item;
        Read expected;
    } rows[] = {
        {child(L"TuckbayPanel", L"アイコンをドラッグ"),
         0,
         {L"アイコンをドラッグ", ROLE_SYSTEM_GROUPING, 0, L""}},
        {child(L"TuckbayImage", nullptr),
         0,
         {L"アイコンをドラッグ", ROLE_SYSTEM_GRAPHIC, 0,
          L"リストのすべてのファイルをドラッグします"}},
        {child(L"TuckbaySpeedButton", L"コピー"),
         0,
         {L"コピー", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_PRESSED, L""}},
        {child(L"TuckbaySpeedButton", L"移動"), 0, {L"移動", ROLE_SYSTEM_PUSHBUTTON, 0, L""}},
        {child(L"TuckbayPanel", L"ここにドロップ"),
         0,
         {L"ここにドロップ", ROLE_SYSTEM_GROUPING, 0, L""}},
        {child(L"Button", L"ファイルリストへのドロップを許可"),
         0,
         {L"ファイルリストへのドロップを許可", ROLE_SYSTEM_CHECKBUTTON, STATE_SYSTEM_CHECKED, L""}},
        {bar, 1, {L"2", ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_READONLY, L""}},
        {list, 1, {exe_, ROLE_SYSTEM_LISTITEM, 0, L""}},
        {list, 2, {missing, ROLE_SYSTEM_LISTITEM, STATE_SYSTEM_UNAVAILABLE, L"存在しません"}},
    };
    // The missing file's row says so once its check has answered.
    std::map<std::pair<HWND, long>, Read> read;
    ASSERT_TRUE(PumpUntil(
        [&] {
            read = ReadFromAnotherProcess(main);
            auto row = read.find({list, 2});
            return row != read.end() && (row->second.state & STATE_SYSTEM_UNAVAILABLE);
        },
        std::chrono::seconds(20)));
    for (const auto& row : rows) {
        SCOPED_TRACE(win::ToUtf8(row.expected.name) + " item " + std::to_string(row.item));
        ASSERT_TRUE(row.hwnd);
        auto found = read.find({row.hwnd, row.item});
        ASSERT_NE(found, read.end()) << "not read at all";
        EXPECT_EQ(found->second.name, row.expected.name);
        EXPECT_EQ(found->second.role, row.expected.role);
        EXPECT_EQ(found->second.state & kAnnounced & ~STATE_SYSTEM_FOCUSED, row.expected.state);
        EXPECT_EQ(found->second.description, row.expected.description);
    }
}

} // namespace
} // namespace tuckbay::test
