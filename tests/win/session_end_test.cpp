// Windows ending the session (log-off, shut-down): the application window agrees, and what must
// be saved is saved once, without a box, before the process is ended.
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "main_window_fixture.h"
#include "win/application.h"
#include "win/error.h"

namespace tuckbay::test {
namespace {

TEST(SessionEnd, TheApplicationWindowAgreesAndSavesOnceWithoutABox) {
    win::Application app(L"Tuckbay");
    ScriptedDialogs dialogs;
    app.SetDialogs(&dialogs);
    std::atomic<int> saved{0};
    app.SetSessionEndHook([&] {
        ++saved;
        app.ShowError(L"書き込めません");
        throw win::Error(L"書き込めません");
    });

    // As the system sends them, from another thread, one after another.
    const struct {
        UINT message;
        WPARAM wParam;
        LRESULT answer;
        int saved; // times the hook has run afterwards
    } steps[] = {
        {WM_QUERYENDSESSION, 0, TRUE, 0},
        {WM_ENDSESSION, FALSE, 0, 0}, // another program refused: the session goes on
        {WM_QUERYENDSESSION, 0, TRUE, 0},
        {WM_ENDSESSION, TRUE, 0, 1},
        {WM_ENDSESSION, TRUE, 0, 1}, // as another top-level window would pass it on
    };
    std::atomic<size_t> done{0};
    std::vector<LRESULT> answers(std::size(steps), -1);
    std::vector<int> savedAfter(std::size(steps), -1);
    std::thread system([&] {
        for (size_t i = 0; i < std::size(steps); ++i) {
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutW(app.Handle(), steps[i].message, steps[i].wParam,
                                  ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer);
            answers[i] = static_cast<LRESULT>(answer);
            savedAfter[i] = saved;
            ++done;
        }
    });
    app.PumpUntil([&] { return done == std::size(steps); }, 30000);
    system.join();
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(answers[i], steps[i].answer);
        EXPECT_EQ(savedAfter[i], steps[i].saved);
    }
    EXPECT_TRUE(dialogs.errors.empty());
    app.SetDialogs(nullptr);
}

} // namespace
} // namespace tuckbay::test
