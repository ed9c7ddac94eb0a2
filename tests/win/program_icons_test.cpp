// The program's two icons at every size the program asks for at some display scale, read from
// the built executable as Windows reads them.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "win/handles.h"
#include "win/program_path.h"

namespace tuckbay::test {
namespace {

using ModuleHandle = win::Unique<win::NullTraits<HMODULE, ::FreeLibrary>>;

// The header of the image that Windows takes from icon group for size × size pixels; null if
// the group or the image is missing.
const BITMAPINFOHEADER* ChosenImage(HMODULE module, int group, int size) {
    HRSRC directory = ::FindResourceW(module, MAKEINTRESOURCEW(group), RT_GROUP_ICON);
    if (!directory)
        return nullptr;
    auto* entries = static_cast<BYTE*>(::LockResource(::LoadResource(module, directory)));
    const int id = ::LookupIconIdFromDirectoryEx(entries, TRUE, size, size, LR_DEFAULTCOLOR);
    HRSRC image = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON);
    if (!image)
        return nullptr;
    return static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(module, image)));
}

TEST(ProgramIcons, EachSizeLoadsAnImageDrawnForThatSize) {
    ModuleHandle program(
        ::LoadLibraryExW(win::BesideProgram(L"tuckbay.exe").c_str(), nullptr,
                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(program);
    const struct {
        int group;
        const char* file;
    } icons[] = {{IDI_TUCKBAY, "tuckbay.ico"}, {IDI_FILES, "files.ico"}};
    for (const auto& [group, file] : icons) {
        // 16 and 32 pixels at 100 %, 125 %, 150 % and 200 %.
        for (int size : {16, 20, 24, 32, 40, 48, 64}) {
            SCOPED_TRACE(std::string(file) + " at " + std::to_string(size));
            win::IconHandle icon(static_cast<HICON>(
                ::LoadImageW(program.get(), MAKEINTRESOURCEW(group), IMAGE_ICON, size, size, 0)));
            ASSERT_TRUE(icon);
            ICONINFO info{};
            ASSERT_TRUE(::GetIconInfo(icon.get(), &info));
            win::GdiHandle colour(info.hbmColor);
            win::GdiHandle mask(info.hbmMask);
            BITMAP bitmap{};
            ASSERT_TRUE(::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap));
            EXPECT_EQ(bitmap.bmWidth, size);
            EXPECT_EQ(bitmap.bmHeight, size);

            // LoadImageW stretches the nearest image to any size asked for, so only the image
            // it starts from tells whether this size was drawn.
            const BITMAPINFOHEADER* image = ChosenImage(program.get(), group, size);
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->biWidth, size);
            EXPECT_EQ(image->biHeight, 2 * size); // the colour rows, then the mask's
            if (size == 32)
                EXPECT_EQ(image->biBitCount, 4); // the program's original 16-colour drawings
        }
    }
}

} // namespace
} // namespace tuckbay::test
