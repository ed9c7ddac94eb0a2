// The icon on each row of the file list: the shell's small icon for the kind of file, drawn at
// the window's DPI, greyed when the file is missing, and looked up once per kind of file.
// scripts/test runs these tests again at 144 and 192 DPI, with the Dpi tests.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "list_fixtures.h"
#include "main_window_fixture.h"

namespace tuckbay::test {
namespace {

// The list view's client area as it draws itself, in 32-bit pixels.
class Shot {
public:
    explicit Shot(HWND window) {
        RECT client{};
        ::GetClientRect(window, &client);
        width_ = client.right;
        BITMAPINFO bi{};
        bi.bmiHeader = {
            sizeof(BITMAPINFOHEADER), width_, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc_ = ::CreateCompatibleDC(nullptr);
        bitmap_ = ::CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                     nullptr, 0);
        old_ = ::SelectObject(dc_, bitmap_);
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_),
                       PRF_CLIENT | PRF_ERASEBKGND);
        ::GdiFlush();
    }
    ~Shot() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    COLORREF At(int x, int y) const {
        const DWORD p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // The pixels inside a rectangle, row by row.
    std::vector<COLORREF> In(const RECT& r) const {
        std::vector<COLORREF> pixels;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                pixels.push_back(At(x, y));
        return pixels;
    }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    DWORD* bits_ = nullptr;
    int width_ = 0;
};

int Lightness(const std::vector<COLORREF>& pixels) {
    int sum = 0;
    for (COLORREF c : pixels)
        sum += GetRValue(c) + GetGValue(c) + GetBValue(c);
    return sum;
}

int CountUnlike(const std::vector<COLORREF>& pixels, COLORREF background) {
    int count = 0;
    for (COLORREF c : pixels)
        count += c != background;
    return count;
}

class RowIcons : public MainWindowTest {
protected:
    HWND ListView() { return mainWindow->Controls().listView; }

    void Draw() {
        ::InvalidateRect(ListView(), nullptr, FALSE);
        ::UpdateWindow(ListView());
    }

    RECT ItemRect(int row, int part) {
        RECT r{};
        r.left = part;
        ::SendMessageW(ListView(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        return r;
    }

    int ImageOf(int row) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ::SendMessageW(ListView(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }

    bool KnownMissing(size_t row, bool missing) {
        return Pump([&] { return List().KnownMissing(row) == missing; });
    }
};

TEST_F(RowIcons, EachRowShowsItsKindsIconAtTheDpiGreyedWhileItsFileIsMissing) {
    ScratchFolder folder;
    const std::wstring kept = folder.Write(L"kept.txt", "k");
    const std::wstring gone = folder.Write(L"gone.txt", "g");
    DropOn(mainWindow->Controls().dropZone->Hwnd(), {kept, gone, folder.Path() + L"\\"});
    ASSERT_EQ(List().AllPaths(), (std::vector<std::wstring>{kept, gone, folder.Path() + L"\\"}));
    Draw();
    ASSERT_TRUE(KnownMissing(1, false));
    const int dpi = static_cast<int>(::GetDpiForWindow(mainWindow->Hwnd()));
    if (const char* meant = std::getenv("TUCKBAY_TEST_DPI")) {
        ASSERT_EQ(dpi, std::atoi(meant)) << "the prefix's DPI did not reach the program";
    }
    const int size = ::GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi));
    const COLORREF background =
        static_cast<COLORREF>(::SendMessageW(ListView(), LVM_GETBKCOLOR, 0, 0));
    // The row's icon, as big as the small icon at the DPI; the row's text still drawn beside.
    auto iconOf = [&](const Shot& shot, int row) {
        const RECT cell = ItemRect(row, LVIR_ICON);
        EXPECT_EQ(cell.right - cell.left, size) << "row " << row;
        EXPECT_GE(cell.bottom - cell.top, size) << "row " << row;
        EXPECT_GT(CountUnlike(shot.In(ItemRect(row, LVIR_LABEL)), background), 0)
            << "row " << row << " has lost its text";
        return shot.In(cell);
    };
    std::vector<COLORREF> present;
    {
        const Shot shot(ListView());
        present = iconOf(shot, 0);
        EXPECT_GT(CountUnlike(present, background), size * size / 8) << "no icon drawn";
        EXPECT_EQ(iconOf(shot, 1), present) << "the same kind of file, the same icon";
        EXPECT_NE(iconOf(shot, 2), present) << "a folder has an icon of its own";
    }

    // Deleted behind the program's back and noticed when the window is activated again.
    ASSERT_TRUE(::DeleteFileW(gone.c_str()));
    ::SendMessageW(mainWindow->Hwnd(), WM_ACTIVATEAPP, FALSE, 0);
    ::SendMessageW(mainWindow->Hwnd(), WM_ACTIVATEAPP, TRUE, 0);
    Draw();
    ASSERT_TRUE(KnownMissing(1, true));
    Draw();
    const Shot shot(ListView());
    const std::vector<COLORREF> greyed = iconOf(shot, 1);
    EXPECT_GT(CountUnlike(greyed, background), 0) << "the missing file's icon vanished";
    EXPECT_GT(Lightness(greyed), Lightness(present)) << "the missing file's icon is not greyed";
    EXPECT_EQ(iconOf(shot, 0), present);
}

// A folder dropped as the shell drops it, its path without a trailing backslash and whatever its
// name looks like, gets the folder's icon and type once the check of its row has found a folder;
// once it is gone, a greyed folder's, still of the folder's type. However many folders, the
// folder's icon is looked up once.
TEST_F(RowIcons, ADroppedFolderShowsTheFoldersIconAndTypeGreyedOnceGone) {
    std::map<std::wstring, int> asked;
    List().SetIconLookup([&](const std::wstring& name, DWORD attributes) {
        ++asked[name];
        return filelist::SystemIconIndex(name, attributes);
    });
    using filelist::DetailColumn;
    constexpr int kDate = 1, kType = 2;
    List().ShowColumns(
        {{DetailColumn::Path, 160}, {DetailColumn::Modified, 100}, {DetailColumn::Type, 100}});
    ScratchFolder scratch;
    // 0 a file without an extension, 1 a text file, 2 a folder and 3 a missing one told by their
    // names, then the folders as dropped.
    std::vector<std::wstring> paths{scratch.Write(L"plain", "p"), scratch.Write(L"kept.txt", "k"),
                                    scratch.Path() + L"\\", scratch / L"never-there\\"};
    constexpr int kPlain = 0, kText = 1, kFolder = 2, kGoneFolder = 3, kFirstDropped = 4;
    for (const wchar_t* name :
         {L"sub", L"old.txt", L"pics.zip", L"a", L"b", L"c", L"d", L"e", L"f", L"g", L"h", L"i"}) {
        paths.push_back(scratch / name);
        ASSERT_TRUE(::CreateDirectoryW(paths.back().c_str(), nullptr));
    }
    DropOn(mainWindow->Controls().dropZone->Hwnd(), paths);
    ASSERT_EQ(List().AllPaths(), paths);
    const int rows = static_cast<int>(paths.size());
    // Every row drawn, so every row checked and read.
    auto drawEach = [&] {
        for (int row = rows - 1; row >= 0; --row) {
            ::SendMessageW(ListView(), LVM_ENSUREVISIBLE, row, FALSE);
            Draw();
        }
    };
    drawEach();
    ASSERT_TRUE(Pump([&] {
        for (int row = 0; row < rows; ++row)
            if (List().KnownMissing(row) != (row == kGoneFolder) ||
                (row >= kFirstDropped && ShownText(row, kDate).empty()))
                return false;
        return true;
    })) << "rows were left unchecked";
    Draw();
    const int folderImage = ImageOf(kFolder);
    const std::wstring folderType = ShownText(kFolder, kType);
    ASSERT_GE(folderImage, 0);
    ASSERT_NE(folderImage, ImageOf(kPlain));
    ASSERT_NE(folderImage, ImageOf(kText));
    ASSERT_NE(folderType, ShownText(kPlain, kType));
    ASSERT_NE(folderType, ShownText(kText, kType));
    for (int row = kFirstDropped; row < rows; ++row) {
        EXPECT_EQ(ImageOf(row), folderImage) << win::ToUtf8(paths[row]);
        EXPECT_EQ(ShownText(row, kType), folderType) << win::ToUtf8(paths[row]);
    }
    for (const auto& [name, times] : asked)
        EXPECT_EQ(times, 1) << win::ToUtf8(name);
    EXPECT_EQ(asked.count(L"folder"), 1u);
    // What the view draws: the folder's icon, as a folder told by its name has it.
    {
        const Shot shot(ListView());
        const RECT folderCell = ItemRect(kFolder, LVIR_ICON);
        const RECT droppedCell = ItemRect(kFirstDropped, LVIR_ICON);
        EXPECT_EQ(shot.In(droppedCell), shot.In(folderCell));
        EXPECT_NE(shot.In(droppedCell), shot.In(ItemRect(kPlain, LVIR_ICON)));
    }

    // Removed behind the program's back and noticed when the window is activated again.
    ASSERT_TRUE(::RemoveDirectoryW(paths[kFirstDropped].c_str()));
    ::SendMessageW(mainWindow->Hwnd(), WM_ACTIVATEAPP, FALSE, 0);
    ::SendMessageW(mainWindow->Hwnd(), WM_ACTIVATEAPP, TRUE, 0);
    Draw();
    ASSERT_TRUE(Pump([&] {
        return List().KnownMissing(kFirstDropped) == true &&
               ShownText(kFirstDropped, kDate).empty();
    }));
    Draw();
    const int greyedFolder = ImageOf(kGoneFolder);
    EXPECT_NE(greyedFolder, folderImage);
    EXPECT_EQ(ImageOf(kFirstDropped), greyedFolder);
    EXPECT_EQ(ShownText(kFirstDropped, kType), folderType);
    EXPECT_EQ(ImageOf(kFirstDropped + 1), folderImage);
    const Shot shot(ListView());
    const std::vector<COLORREF> gone = shot.In(ItemRect(kFirstDropped, LVIR_ICON));
    EXPECT_EQ(gone, shot.In(ItemRect(kGoneFolder, LVIR_ICON)));
    EXPECT_GT(Lightness(gone), Lightness(shot.In(ItemRect(kFolder, LVIR_ICON))))
        << "the missing folder's icon is not greyed";

    // A sort by type puts it with the other folders: each type in one run of rows.
    SortAndWait(kType);
    std::set<std::wstring> types;
    for (int row = 0; row < rows; ++row) {
        const std::wstring type = ShownText(row, kType);
        if (row == 0 || type != ShownText(row - 1, kType))
            EXPECT_TRUE(types.insert(type).second) << win::ToUtf8(type) << " is split";
    }
}

TEST_F(RowIcons, EachKindOfFileIsLookedUpOnceHoweverManyRows) {
    std::vector<std::pair<std::wstring, DWORD>> asked;
    List().SetIconLookup([&](const std::wstring& name, DWORD attributes) {
        asked.emplace_back(name, attributes);
        return filelist::SystemIconIndex(name, attributes);
    });
    // Each path and its kind: 0 a text file, 1 a folder, 2 no extension, 3 an unknown one.
    const std::pair<const wchar_t*, int> paths[] = {
        {L"C:\\a\\one.txt", 0},
        {L"D:\\two.TXT", 0},
        {L"C:\\a.b\\three.txt", 0},
        {L"C:\\a\\", 1},
        {L"E:", 1},
        {L"C:\\a.b\\plain", 2},
        {L"", 2},
        {L"C:\\x.zz-unknown", 3},
    };
    constexpr int kRounds = 1000;
    for (int round = 0; round < kRounds; ++round)
        for (const auto& [path, kind] : paths)
            List().AppendPath(path);
    List().UpdateCountDisplay();
    Draw();
    std::map<int, int> imageOfKind;
    for (int row = 0; row < kRounds * static_cast<int>(std::size(paths)); ++row) {
        const int kind = paths[row % std::size(paths)].second;
        const int image = ImageOf(row);
        ASSERT_GE(image, 0) << "row " << row;
        const auto [known, added] = imageOfKind.emplace(kind, image);
        ASSERT_EQ(known->second, image) << "row " << row;
    }
    EXPECT_EQ(asked, (std::vector<std::pair<std::wstring, DWORD>>{
                         {L"file.txt", FILE_ATTRIBUTE_NORMAL},
                         {L"folder", FILE_ATTRIBUTE_DIRECTORY},
                         {L"file", FILE_ATTRIBUTE_NORMAL},
                         {L"file.zz-unknown", FILE_ATTRIBUTE_NORMAL},
                     }));
    EXPECT_NE(imageOfKind[0], imageOfKind[1]);
    EXPECT_EQ(imageOfKind[3], imageOfKind[2]) << "an unknown type has the generic icon";
}

} // namespace
} // namespace tuckbay::test
