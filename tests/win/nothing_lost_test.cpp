// However a run of the real program ends, the next start finds what the user had: the session
// ended by Windows, a kill a second after a change, a kill in the middle of writing a long list.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_bytes.h"
#include "filelist/list_file.h"
#include "program_copy.h"
#include "pump.h"

namespace tuckbay::test {
namespace {

using Texts = std::vector<std::wstring>;

// The size of the file the program writes beside a file it replaces, while there is one.
std::optional<uint64_t> BesideSize(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((folder + L"\\~tuckbay*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return std::nullopt;
    ::FindClose(find);
    return (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
}

// Waits for a moment of another process's write as closely as the machine allows: such a write
// lasts a few tens of milliseconds, shorter than a pump's wait.
bool Watch(const std::function<bool()>& moment, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!moment()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        ::SwitchToThread();
    }
    return true;
}

// Asked without opening the file: a reader that holds it open would keep the program from
// replacing it.
uint64_t SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

class NothingLost : public ProgramCopy {
protected:
    std::wstring File(const wchar_t* name) const { return folder_ + L"\\" + name; }

    // Starts the copy with "終了時にリストを保持" ticked and the kept list given, and waits until
    // it shows it.
    HWND StartKeeping(const Texts& kept) {
        WriteBytes(File(L"tuckbay2.ini"), "[setting]\r\nkeeplist=1\r\n");
        WriteBytes(File(L"tuckbay2.lst"), filelist::EncodeListFile(kept));
        HWND main = Start();
        if (main && !PumpUntil([&] { return CountShown(main) == std::to_wstring(kept.size()); },
                               std::chrono::seconds(60)))
            return nullptr;
        return main;
    }

    // A path handed to the running copy by a second launch, as Send To does.
    void HandOver(const std::wstring& path) {
        ProgramProcess second;
        ASSERT_TRUE(second.Launch(exe_, QuoteArgument(path), folder_));
        ASSERT_EQ(second.ExitCode(), 0u);
    }
};

TEST_F(NothingLost, TheSessionsEndOrAKillASecondAfterAChangeLosesNothing) {
    const struct {
        const char* how;
        std::function<void(ProgramProcess&, HWND main)> end;
    } cases[] = {
        {"the session ended",
         [](ProgramProcess& process, HWND) { EXPECT_TRUE(process.EndSession()); }},
        {"killed a second after the change",
         [](ProgramProcess& process, HWND) {
             PumpUntil([] { return false; }, std::chrono::milliseconds(2000));
             process.End();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        HWND main = StartKeeping({L"C:\\old.txt"});
        ASSERT_TRUE(main);
        HandOver(L"C:\\new.txt");
        ASSERT_TRUE(PumpUntil([&] { return CountShown(main) == L"2"; }));
        // Moved, as the user would: the settings file keeps where it was.
        ::SetWindowPos(main, nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        c.end(process_, main);

        main = Start();
        ASSERT_TRUE(main);
        EXPECT_EQ(ListOfWindow(main), (Texts{L"C:\\old.txt", L"C:\\new.txt"}));
        if (std::string(c.how) == "the session ended") {
            RECT r{};
            ::GetWindowRect(main, &r);
            EXPECT_EQ(r.left, 123);
            EXPECT_EQ(r.top, 45);
        }
        process_.End();
    }
}

// Killed at any moment of writing a long list, the program leaves the kept list whole: the next
// start finds the list before the change or after it, never a part, and nothing beside it.
TEST_F(NothingLost, AKillDuringTheWriteOfALongListLeavesItWhole) {
    Texts before(1000000);
    for (size_t i = 0; i < before.size(); ++i)
        before[i] = L"C:\\kept\\" + std::to_wstring(i) + L".txt";
    Texts after = before;
    after.push_back(L"C:\\new.txt");
    const std::string beforeBytes = filelist::EncodeListFile(before);
    const std::string afterBytes = filelist::EncodeListFile(after);

    enum Found { kBefore = 1, kAfter = 2 };
    const struct {
        const char* when;
        std::function<bool()> moment;
        int found; // which lists the next start may find
    } cases[] = {
        {"as the change is handed over", [] { return true; }, kBefore},
        {"as the file beside appears", [&] { return BesideSize(folder_).has_value(); },
         kBefore | kAfter},
        {"with half the list beside",
         [&] { return BesideSize(folder_).value_or(0) >= afterBytes.size() / 2; },
         kBefore | kAfter},
        {"as the kept list is replaced",
         [&] { return SizeOf(File(L"tuckbay2.lst")) == afterBytes.size(); }, kAfter},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        HWND main = StartKeeping(before);
        ASSERT_TRUE(main);
        HandOver(L"C:\\new.txt");
        EXPECT_TRUE(Watch(c.moment, std::chrono::seconds(30)));
        process_.End();

        const std::string left = ReadBytes(File(L"tuckbay2.lst"));
        const int found = left == beforeBytes ? kBefore : left == afterBytes ? kAfter : 0;
        EXPECT_NE(found & c.found, 0) << left.size() << " bytes";
        main = Start();
        ASSERT_TRUE(main);
        const std::wstring count = left == afterBytes ? L"1000001" : L"1000000";
        EXPECT_TRUE(PumpUntil([&] { return CountShown(main) == count; }, std::chrono::seconds(60)));
        EXPECT_FALSE(BesideSize(folder_));
        process_.End();
    }
}

} // namespace
} // namespace tuckbay::test
