// Sends the main window given by handle one WM_COPYDATA shaped as its test asks: a whole
// hand-over or a malformed one. Exit code: the window's answer (0 or 1), 2 when the message
// could not be delivered, 3 for wrong arguments.
//   copydata_sender HWND CASE PROGRAM PATH
// CASE: valid, wrong-id, odd, unterminated, other-program.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "intake/hand_over_format.h"

int main() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (args == nullptr || count != 5)
        return 3;
    HWND target =
        reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::wcstoull(args[1], nullptr, 10)));
    const std::wstring kind = args[2];
    std::wstring program = args[3];
    if (kind == L"other-program")
        program = L"C:\\elsewhere\\tuckbay.exe";
    std::vector<unsigned char> data = intake::EncodeHandOver({program, {args[4]}});
    COPYDATASTRUCT message{intake::kHandOverId, static_cast<DWORD>(data.size()), data.data()};
    if (kind == L"wrong-id") {
        message.dwData = intake::kHandOverId + 1;
    } else if (kind == L"odd") {
        data.push_back(0);
        message = {intake::kHandOverId, static_cast<DWORD>(data.size()), data.data()};
    } else if (kind == L"unterminated") {
        message.cbData -= 2;
    } else if (kind != L"valid" && kind != L"other-program") {
        return 3;
    }
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message),
                               SMTO_NORMAL, 20000, &answer))
        return 2;
    return answer == TRUE ? 1 : 0;
}
