#include "filelist/row_icons.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "win/path_parts.h"

namespace filelist {

std::wstring FileKind(std::wstring_view path, bool folder) {
    if (folder || (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) ||
        (path.size() == 2 && path[1] == L':'))
        return kFolderKind;
    std::wstring kind(win::PathExtension(path));
    ::CharLowerBuffW(kind.data(), static_cast<DWORD>(kind.size()));
    return kind;
}
namespace {

// IImageList's interface id; MinGW's uuid library lacks it.
constexpr IID kImageListId = {
    0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};

// The system's image list whose icons are nearest above size, so that scaling only shrinks.
HIMAGELIST SourceList(int size) {
    HIMAGELIST chosen = nullptr;
    for (int which : {SHIL_SMALL, SHIL_LARGE, SHIL_EXTRALARGE}) {
        void* list = nullptr;
        if (FAILED(::SHGetImageList(which, kImageListId, &list)) || list == nullptr)
            continue;
        chosen = static_cast<HIMAGELIST>(list);
        int cx = 0, cy = 0;
        if (::ImageList_GetIconSize(chosen, &cx, &cy) && cx >= size)
            break;
    }
    return chosen;
}

// 32-bit pixels, top row first, blue in the low byte and straight (not premultiplied) alpha in
// the high one.
using Pixels = std::vector<uint32_t>;

// The icon drawn at size on black and on white: where the two differ the background shows
// through, which gives the alpha whether the icon has an alpha channel or only a mask.
Pixels Render(HICON icon, int size) {
    Pixels onBlack, onWhite;
    for (auto [background, out] : {std::pair{BLACK_BRUSH, &onBlack}, {WHITE_BRUSH, &onWhite}}) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        HDC dc = ::CreateCompatibleDC(nullptr);
        uint32_t* bits = nullptr;
        HBITMAP bitmap = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS,
                                            reinterpret_cast<void**>(&bits), nullptr, 0);
        if (bitmap == nullptr) {
            ::DeleteDC(dc);
            return {};
        }
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        RECT all{0, 0, size, size};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(background)));
        ::DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        ::GdiFlush();
        out->assign(bits, bits + size * size);
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    Pixels pixels(onBlack.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        uint32_t alpha = 255 - std::min<uint32_t>(255, (onWhite[i] >> 8 & 0xFF) -
                                                           std::min(onWhite[i] >> 8 & 0xFF,
                                                                    onBlack[i] >> 8 & 0xFF));
        uint32_t pixel = alpha << 24;
        for (int shift : {0, 8, 16}) {
            const uint32_t premultiplied = onBlack[i] >> shift & 0xFF;
            const uint32_t channel =
                alpha == 0 ? 0 : std::min<uint32_t>(255, premultiplied * 255 / alpha);
            pixel |= channel << shift;
        }
        pixels[i] = pixel;
    }
    return pixels;
}

// The look of something that is not there: grey, and half through to what lies behind.
Pixels Greyed(Pixels pixels) {
    for (uint32_t& p : pixels) {
        const uint32_t grey =
            ((p >> 16 & 0xFF) * 30 + (p >> 8 & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
        p = ((p >> 24) / 2) << 24 | grey << 16 | grey << 8 | grey;
    }
    return pixels;
}

// Pixels laid over the list's background, the colour opaque, with a mask (a set bit lets the
// background through) for what is wholly transparent. Not an alpha channel: under Wine a list
// view whose images have one drew none of its texts, nor its header's; a masked image is drawn
// alike everywhere.
struct Masked {
    Pixels colour;
    std::vector<uint8_t> mask; // rows of whole 16-bit words, the leftmost pixel highest
};

Masked OverBackground(const Pixels& pixels, int width, int height, COLORREF background) {
    const uint32_t back[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    const int stride = (width + 15) / 16 * 2;
    Masked out{Pixels(pixels.size()), std::vector<uint8_t>(stride * height, 0)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[y * width + x];
            const uint32_t alpha = p >> 24;
            uint32_t laid = 0;
            for (int c = 0; c < 3; ++c) {
                const uint32_t channel = p >> (8 * c) & 0xFF;
                laid |= (channel * alpha + back[c] * (255 - alpha)) / 255 << (8 * c);
            }
            out.colour[y * width + x] = laid;
            if (alpha == 0)
                out.mask[y * stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
    return out;
}

} // namespace

int SystemIconIndex(const std::wstring& name, DWORD attributes) {
    SHFILEINFOW info{};
    if (!::SHGetFileInfoW(name.c_str(), attributes, &info, sizeof info,
                          SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        return -1;
    return info.iIcon;
}

ImageListHandle RowIcons::SetDpi(int dpi, COLORREF background) {
    size_ = ::GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi));
    background_ = background;
    ImageListHandle old = std::move(list_);
    list_.reset(::ImageList_Create(size_, size_, ILC_COLOR32 | ILC_MASK, 16, 16));
    // The kinds stay known; their images are made again at the new size as rows need them.
    imageOfSystemIndex_.clear();
    return old;
}

void RowIcons::SetLookup(IconLookup lookup) {
    lookup_ = std::move(lookup);
    systemIndexOfKind_.clear();
}

int RowIcons::ImageFor(std::wstring_view path, bool missing, bool folder) {
    const std::wstring kind = FileKind(path, folder);
    auto known = systemIndexOfKind_.find(kind);
    if (known == systemIndexOfKind_.end()) {
        const bool isFolder = kind == kFolderKind;
        const int index = lookup_(isFolder ? L"folder" : L"file" + kind,
                                  isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL);
        known = systemIndexOfKind_.emplace(kind, index).first;
    }
    const int systemIndex = known->second;
    if (systemIndex < 0 || !list_)
        return -1;
    auto image = imageOfSystemIndex_.find(systemIndex);
    if (image == imageOfSystemIndex_.end()) {
        int first = -1;
        win::IconHandle icon(::ImageList_GetIcon(SourceList(size_), systemIndex, ILD_NORMAL));
        const Pixels pixels = icon ? Render(icon.get(), size_) : Pixels{};
        if (!pixels.empty()) {
            // The two images side by side in one strip, added at once.
            Pixels both(pixels.size() * 2);
            const Pixels greyed = Greyed(pixels);
            for (int y = 0; y < size_; ++y) {
                std::copy_n(&pixels[y * size_], size_, &both[y * 2 * size_]);
                std::copy_n(&greyed[y * size_], size_, &both[y * 2 * size_ + size_]);
            }
            const Masked strip = OverBackground(both, 2 * size_, size_, background_);
            BITMAPINFO bi{};
            bi.bmiHeader = {
                sizeof(BITMAPINFOHEADER), 2 * size_, -size_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* bits = nullptr;
            HBITMAP colour = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
            HBITMAP mask = ::CreateBitmap(2 * size_, size_, 1, 1, strip.mask.data());
            if (colour != nullptr && mask != nullptr) {
                std::copy(strip.colour.begin(), strip.colour.end(), static_cast<uint32_t*>(bits));
                ::GdiFlush();
                first = ::ImageList_Add(list_.get(), colour, mask);
            }
            ::DeleteObject(colour);
            ::DeleteObject(mask);
        }
        image = imageOfSystemIndex_.emplace(systemIndex, first).first;
    }
    if (image->second < 0)
        return -1;
    return image->second + (missing ? 1 : 0);
}

} // namespace filelist
