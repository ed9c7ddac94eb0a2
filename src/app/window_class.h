// The main window's class name: another launch, a test or a benchmark finds a running basket by
// it, so it is written here only.
#pragma once

namespace app {

inline constexpr wchar_t kMainWindowClass[] = L"TTuckbayForm1";

} // namespace app
