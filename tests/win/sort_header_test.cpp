#include "filelist/header_geometry.h"
#include "filelist/list_model.h"
#include "filelist/sort_header.h"

#include "drag_kit.h"
#include "file_bytes.h"
#include "main_window_fixture.h"
#include "pump.h"
#include "win/window.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A top-level window holding a report list view with two columns, whose column clicks go to
// the sort header as the main window's do.
class HeaderHost {
public:
    HeaderHost() {
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &HostProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"TuckbaySortHeaderTest";
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            return RegisterClassW(&wc);
        }();
        (void)atom;
        frame_ =
            CreateWindowExW(0, L"TuckbaySortHeaderTest", L"header test", WS_OVERLAPPEDWINDOW, 50,
                            50, 600, 300, nullptr, nullptr, GetModuleHandleW(nullptr), this);
        list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 580,
                                250, frame_, nullptr, GetModuleHandleW(nullptr), nullptr);
        LOGFONTW lf{};
        lf.lfHeight = -12;
        wcscpy(lf.lfFaceName, L"ＭＳ Ｐゴシック");
        font_ = CreateFontIndirectW(&lf);
        SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        AddColumn(0, L"ファイル名", 300);
        AddColumn(1, L"二", 150);
        header_ = std::make_unique<filelist::SortHeader>(list_, [this] {
            return filelist::SortHeader::Sorted{model_.SortedColumn(), model_.SortedAscending()};
        });
        ShowWindow(frame_, SW_SHOWNOACTIVATE);
        UpdateWindow(frame_);
    }
    ~HeaderHost() {
        header_.reset();
        DestroyWindow(frame_);
        DeleteObject(font_);
    }

    filelist::SortHeader& Header() { return *header_; }
    HWND HeaderWindow() const { return header_->HeaderHandle(); }
    HWND List() const { return list_; }
    const std::vector<int>& Clicks() const { return clicks_; }

    int Format(int column) const {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(HeaderWindow(), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
        return item.fmt;
    }
    RECT ItemRect(int column) const {
        RECT r{};
        SendMessageW(HeaderWindow(), HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    // A click in the middle of a header item, as the mouse delivers it.
    void Click(int column) {
        RECT r = ItemRect(column);
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(HeaderWindow(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(HeaderWindow(), WM_LBUTTONUP, 0, at);
        tuckbay::test::PumpPending();
    }

private:
    void AddColumn(int index, const wchar_t* caption, int width) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = const_cast<wchar_t*>(caption);
        col.cx = width;
        SendMessageW(list_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&col));
    }

    static LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        }
        auto* self = reinterpret_cast<HeaderHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == WM_NOTIFY) {
            const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if (nm->hdr.code == LVN_COLUMNCLICK) {
                self->clicks_.push_back(nm->iSubItem);
                // The list sorts, then its header shows what the list says.
                self->model_.TakeSortSign(nm->iSubItem);
                self->header_->SortChanged();
            }
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    // Written by the window's handlers, so declared before the window is.
    std::vector<int> clicks_;
    filelist::ListModel model_;
    HFONT font_ = nullptr;
    HWND frame_ = nullptr;
    HWND list_ = nullptr;
    std::unique_ptr<filelist::SortHeader> header_;
};

// A 32-bit top-down memory bitmap to paint a header item into.
class MemorySurface {
public:
    MemorySurface(int width, int height) : width_(width) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                   nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        // A colour no system colour has, so that nothing left unpainted passes for paint.
        for (int i = 0; i < width * height; ++i)
            bits_[i] = 0x00010203;
    }
    ~MemorySurface() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        DWORD p = bits_[y * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int width_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    DWORD* bits_ = nullptr;
};

// Paints the sorted column's item (0, 0, 300, 18) into a fresh surface.
std::unique_ptr<MemorySurface> Paint(HeaderHost& host, UINT state) {
    auto surface = std::make_unique<MemorySurface>(320, 24);
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_HEADER;
    di.itemState = state;
    di.hwndItem = host.HeaderWindow();
    di.hDC = surface->Dc();
    di.rcItem = {0, 0, 300, 18};
    host.Header().DrawHeaderItem(di);
    return surface;
}

const COLORREF kShadow = GetSysColor(COLOR_BTNSHADOW);

} // namespace

TEST(SortHeader, NothingIsOwnerDrawnBeforeTheFirstSort) {
    HeaderHost host;
    ASSERT_TRUE(host.HeaderWindow());
    EXPECT_EQ(host.Header().SortColumn(), -1);
    // The header losing the capture before any sort changes nothing.
    SendMessageW(host.HeaderWindow(), WM_CAPTURECHANGED, 0, 0);
    EXPECT_FALSE(host.Format(0) & HDF_OWNERDRAW);
    EXPECT_FALSE(host.Format(1) & HDF_OWNERDRAW);
    EXPECT_EQ(host.Header().SortColumn(), -1);
}

TEST(SortHeader, TriangleTurnsWithEveryClickOnTheSameColumn) {
    HeaderHost host;
    host.Click(0);
    ASSERT_EQ(host.Clicks(), std::vector<int>{0});
    EXPECT_EQ(host.Header().SortColumn(), 0);
    EXPECT_FALSE(host.Header().SortArrowUp());
    // The click's end made the item owner-drawn.
    EXPECT_EQ(host.Format(0) & (HDF_OWNERDRAW | HDF_STRING), HDF_OWNERDRAW);

    host.Click(0);
    EXPECT_TRUE(host.Header().SortArrowUp());
    EXPECT_EQ(host.Format(0) & (HDF_OWNERDRAW | HDF_STRING), HDF_OWNERDRAW);

    host.Click(0);
    EXPECT_FALSE(host.Header().SortArrowUp());
    EXPECT_EQ(host.Format(0) & (HDF_OWNERDRAW | HDF_STRING), HDF_OWNERDRAW);
    EXPECT_EQ(host.Clicks().size(), 3u);
}

TEST(SortHeader, AnotherColumnTakesTheTriangleAndStartsDown) {
    HeaderHost host;
    host.Click(0);
    host.Click(0);
    ASSERT_TRUE(host.Header().SortArrowUp());
    host.Click(1);
    EXPECT_EQ(host.Header().SortColumn(), 1);
    EXPECT_FALSE(host.Header().SortArrowUp());
    EXPECT_EQ(host.Format(0) & (HDF_OWNERDRAW | HDF_STRING), HDF_STRING);
    EXPECT_EQ(host.Format(1) & (HDF_OWNERDRAW | HDF_STRING), HDF_OWNERDRAW);
}

TEST(SortHeader, DividerDragKeepsTheItemOwnerDrawn) {
    HeaderHost host;
    host.Click(0);
    ASSERT_TRUE(host.Format(0) & HDF_OWNERDRAW);
    RECT r = host.ItemRect(0);
    const int y = (r.top + r.bottom) / 2;
    HWND h = host.HeaderWindow();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right - 1, y));
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.right + 40, y));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(r.right + 40, y));
    tuckbay::test::PumpPending();
    EXPECT_GT(host.ItemRect(0).right, r.right) << "the divider did not move";
    EXPECT_TRUE(host.Format(0) & HDF_OWNERDRAW);
    EXPECT_EQ(host.Header().SortColumn(), 0);
    EXPECT_EQ(host.Clicks().size(), 1u) << "a divider drag is no click";
}

TEST(SortHeader, PaintsFaceCaptionAndTriangleBothWays) {
    HeaderHost host;
    host.Click(0);
    auto down = Paint(host, 0);
    EXPECT_EQ(down->At(1, 1), GetSysColor(COLOR_BTNFACE)) << "flat face, no edge";
    EXPECT_EQ(down->At(299, 17), GetSysColor(COLOR_BTNFACE));
    // Down: (294, 4), (290, 13), (286, 4). Wide at the top, a point at the bottom.
    EXPECT_EQ(down->At(290, 4), kShadow);
    EXPECT_EQ(down->At(287, 5), kShadow);
    EXPECT_EQ(down->At(290, 12), kShadow);
    EXPECT_NE(down->At(287, 12), kShadow);
    EXPECT_NE(down->At(290, 3), kShadow);
    EXPECT_NE(down->At(290, 14), kShadow);
    // Some of the caption's pixels, in the window text colour, left of the triangle.
    int textPixels = 0;
    for (int x = 6; x < 286; ++x)
        for (int y = 2; y < 17; ++y)
            textPixels += down->At(x, y) == GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_GT(textPixels, 20);

    host.Click(0);
    auto up = Paint(host, 0);
    // Up: (290, 4), (294, 13), (286, 13).
    EXPECT_EQ(up->At(290, 4), kShadow);
    EXPECT_EQ(up->At(287, 12), kShadow);
    EXPECT_NE(up->At(287, 5), kShadow);
    EXPECT_NE(up->At(290, 14), kShadow);
}

TEST(SortHeader, PressedItemIsShiftedOnePixel) {
    HeaderHost host;
    host.Click(0);
    auto still = Paint(host, 0);
    auto pressed = Paint(host, ODS_SELECTED);
    // Only the exact pressed state shifts: focus or other bits along with it do not.
    auto other = Paint(host, ODS_SELECTED | ODS_FOCUS);
    int stillLeft = 400, pressedLeft = 400, otherLeft = 400;
    for (int x = 0; x < 286; ++x) {
        for (int y = 0; y < 24; ++y) {
            if (still->At(x, y) == GetSysColor(COLOR_WINDOWTEXT))
                stillLeft = std::min(stillLeft, x);
            if (pressed->At(x, y) == GetSysColor(COLOR_WINDOWTEXT))
                pressedLeft = std::min(pressedLeft, x);
            if (other->At(x, y) == GetSysColor(COLOR_WINDOWTEXT))
                otherLeft = std::min(otherLeft, x);
        }
    }
    EXPECT_EQ(pressedLeft, stillLeft + 1);
    EXPECT_EQ(otherLeft, stillLeft);
    // The triangle's top edge moves from row 4 to row 5, its right corner from 294 to 295.
    EXPECT_EQ(still->At(290, 4), kShadow);
    EXPECT_NE(pressed->At(290, 4), kShadow);
    EXPECT_EQ(pressed->At(291, 5), kShadow);
    EXPECT_EQ(pressed->At(295, 5), kShadow);
    EXPECT_NE(still->At(295, 5), kShadow);
}

TEST(SortHeader, HeaderPaintsTheItemThroughTheListView) {
    HeaderHost host;
    host.Click(0);
    RECT r = host.ItemRect(0);
    MemorySurface surface(r.right + 20, r.bottom);
    // The header paints itself into the surface, asking the list view for the owner-drawn item.
    SendMessageW(host.HeaderWindow(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.Dc()),
                 PRF_CLIENT);
    // Down triangle: its top edge runs from r.right - 14 to r.right - 6 on row r.top + 4.
    EXPECT_EQ(surface.At(r.right - 10, r.top + 4), kShadow);
    EXPECT_NE(surface.At(r.right - 13, r.bottom - 6), kShadow);
    EXPECT_EQ(surface.At(2, 2), GetSysColor(COLOR_BTNFACE));
}

namespace tuckbay::test {
namespace {

using filelist::DetailColumn;
using Texts = std::vector<std::wstring>;
using SortHeaderWindow = MainWindowTest;

// Clicks on "サイズ" as the user makes them, while whether the files are there and their sizes come
// in under the sort: one click sorts once; a second click right after it, which comes as a double
// click and while the first sort still runs, sorts again the other way. The column's sign turns
// once a click, the order and the triangle are the last sort's way, the missing file stays last
// and no progress is left behind.
TEST_F(SortHeaderWindow, EveryClickSortsOnceWhileTheFilesAnswersComeIn) {
    TempFolder folder;
    const std::wstring small = folder.Path(L"small.txt"), large = folder.Path(L"large.txt"),
                       middle = folder.Path(L"middle.txt"), gone = folder.Path(L"gone.txt");
    WriteBytes(small, std::string(10, 'x'));
    WriteBytes(large, std::string(3000, 'x'));
    WriteBytes(middle, std::string(1500, 'x'));
    int sorts = 0;
    List().onSorted = [&, shown = List().onSorted] {
        ++sorts;
        shown();
    };
    const int size = static_cast<int>(DetailColumn::Size);
    for (const int clicks : {1, 2}) {
        SCOPED_TRACE(clicks);
        List().ShowColumns(filelist::DefaultColumns());
        List().Clear();
        List().ShowColumns({{DetailColumn::Path, 200}, {DetailColumn::Size, 80}});
        filelist::FileFacts& facts = List().Facts();
        facts.Checks().Hold(true);
        facts.Details()->Hold(true);
        Append({small.c_str(), gone.c_str(), large.c_str(), middle.c_str()});
        ::UpdateWindow(mainWindow->Controls().listView); // the rows drawn ask about their files
        sorts = 0;
        const int32_t sign = List().Model().SortSign(size);
        const bool up = (clicks % 2 ? sign : -sign) > 0; // the last sort's way

        HWND header = mainWindow->Part<filelist::ListPart>().Header().HeaderHandle();
        RECT item{};
        ::SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
        POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ::ClientToScreen(header, &at);
        List().SortJob().Hold(true);
        EXPECT_EQ(DriveInput(
                      [&](InputDriver& d) {
                          if (!d.MoveTo(at, "the pointer on サイズ"))
                              return;
                          for (int i = 0; i < clicks; ++i) {
                              d.LeftDown();
                              d.LeftUp();
                          }
                      },
                      AppPump()),
                  "");
        ASSERT_TRUE(Pump([&] { return List().SortJob().WorkDone(); }));
        facts.Checks().Hold(false);
        facts.Details()->Hold(false);
        ASSERT_TRUE(Pump([&] {
            return List().KnownMissing(1) && List().KnownMissing(3) && !ShownText(3, 1).empty();
        })) << "the answers were not taken while the sort waited";
        List().SortJob().Hold(false);
        ASSERT_TRUE(Pump([&] { return !List().Sorting(); }));

        EXPECT_EQ(sorts, clicks);
        const Texts order =
            up ? Texts{small, middle, large, gone} : Texts{large, middle, small, gone};
        EXPECT_EQ(List().AllPaths(), order);
        EXPECT_EQ(List().Model().SortSign(size), clicks % 2 ? -sign : sign);
        EXPECT_EQ(Report(), L"");
        // The triangle as the header paints it, inside the sorted item.
        MemorySurface surface(item.right + 20, item.bottom);
        ::SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.Dc()), PRF_CLIENT);
        const auto corners = filelist::SortArrowPoints(
            filelist::LayoutHeaderItem({item.left, item.top, item.right, item.bottom}, false,
                                       win::Window::WindowDpi(header))
                .triangle,
            up);
        EXPECT_EQ(surface.At((corners[0].x + corners[1].x + corners[2].x) / 3,
                             (corners[0].y + corners[1].y + corners[2].y) / 3),
                  kShadow);
    }
}

} // namespace
} // namespace tuckbay::test
