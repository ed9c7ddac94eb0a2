// The kept list tuckbay2.lst: one that cannot be read is put aside, never written over.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filelist/kept_list.h"
#include "list_fixtures.h"

namespace tuckbay::test {
namespace {

using Lines = std::vector<std::wstring>;

// A kept list that another program holds open so that it cannot be read: it is moved to the first
// free name of tuckbay2.lst.bad, .bad2, ..., whole, and the message says where; one that cannot
// be moved either stays where it is, and the message says it is left alone.
TEST(KeptList, AListThatCannotBeReadIsPutAsideWhole) {
    const struct {
        const char* what;
        DWORD sharing; // what the holder lets others do with the file
        Lines taken;   // names already there
        const wchar_t* aside;
    } cases[] = {
        {"moved", FILE_SHARE_DELETE, {}, L"tuckbay2.lst.bad"},
        {"moved to a free name",
         FILE_SHARE_DELETE,
         {L"tuckbay2.lst.bad", L"tuckbay2.lst.bad2"},
         L"tuckbay2.lst.bad3"},
        {"held too fast to move", 0, {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        const std::wstring kept = folder.Write(L"tuckbay2.lst", "C:\\a\r\nC:\\b\r\n");
        for (const std::wstring& name : c.taken)
            folder.Write(name, "earlier");
        HANDLE holder = ::CreateFileW(kept.c_str(), GENERIC_READ, c.sharing, nullptr, OPEN_EXISTING,
                                      0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        ListWindow window;
        bool thrown = false;
        try {
            filelist::RestoreKeptList(kept, window.List());
        } catch (const filelist::UnreadKeptList& error) {
            thrown = true;
            const std::wstring reason = L"ファイル \"" + kept + L"\" は開けません。" +
                                        win::SystemMessageText(ERROR_SHARING_VIOLATION) + L"\r\n";
            EXPECT_EQ(error.Text(),
                      reason + (c.aside ? L"読み込めなかったリストは \"" + (folder / c.aside) +
                                              L"\" に移しました"
                                        : L"読み込めなかったリストはそのまま残し、上書きしません"));
            EXPECT_EQ(error.MovedAside(), c.aside != nullptr);
        }
        ::CloseHandle(holder);
        EXPECT_TRUE(thrown);
        EXPECT_EQ(window.List().Count(), 0u);
        EXPECT_EQ(ReadBytes(c.aside ? folder / c.aside : kept), "C:\\a\r\nC:\\b\r\n");
        EXPECT_EQ(FileExists(kept), c.aside == nullptr);
        for (const std::wstring& name : c.taken)
            EXPECT_EQ(ReadBytes(folder / name), "earlier");
    }
}

} // namespace
} // namespace tuckbay::test
