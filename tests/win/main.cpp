// Entry point of the Windows tests: the process is set up as the program sets itself up
// (OLE for drag and drop and the clipboard, the common controls the windows use).

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "drag_kit.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(tuckbay::test::MakePointerLabelCheck());

    HRESULT hr = OleInitialize(nullptr);
    if (FAILED(hr)) {
        std::fprintf(stderr, "OleInitialize failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                              ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    if (!InitCommonControlsEx(&icc)) {
        std::fprintf(stderr, "InitCommonControlsEx failed\n");
        OleUninitialize();
        return 1;
    }

    int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
