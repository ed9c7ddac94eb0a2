// The one way work comes back (Returns, Job, QuestionQueue) and the list's jobs over it, with the
// window's thread played by the test: what a worker hands back runs only when the test runs it,
// and a held job stays under way while the test changes the list beneath it.
#include "filelist/list_jobs.h"

#include <future>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filelist/file_facts.h"
#include "win/question_queue.h"

namespace filelist {
namespace {

using Texts = std::vector<std::wstring>;
using namespace std::chrono_literals;

// The owner's thread: runs what comes back until a condition holds (looked at whenever something
// came back or a worker woke it, and every millisecond for a held job's WorkDone, which wakes
// nothing).
class OwnerThread {
public:
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds longest = 10s) {
        const auto end = std::chrono::steady_clock::now() + longest;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            {
                std::unique_lock lock(mutex_);
                woken_.wait_for(lock, 1ms, [this] { return wakes_ > 0; });
                wakes_ = 0;
            }
            returns.RunWaiting();
        }
        return true;
    }
    void Wake() {
        std::lock_guard lock(mutex_);
        ++wakes_;
        woken_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable woken_;
    int wakes_ = 0;
    win::Returns returns{[this] { Wake(); }};
};

// For a worker's closure to hold: gone says when its last copy went, and with it the threads and
// the hand-backs that held it, so that nothing more can come back from that work.
std::shared_ptr<void> Watched(OwnerThread& owner, std::atomic<bool>& gone) {
    return std::shared_ptr<void>(nullptr, [&owner, &gone](void*) {
        gone = true;
        owner.Wake();
    });
}

class ContainsMatcher : public NameMatcher {
public:
    std::wstring PrepareWord(std::wstring_view word) override { return std::wstring(word); }
    bool ContainsAll(std::wstring_view text, const std::vector<std::wstring>& words) override {
        return std::all_of(words.begin(), words.end(), [&](const std::wstring& w) {
            return text.find(w) != std::wstring_view::npos;
        });
    }
};

SortedList SortByText(const FrozenList& list, int32_t sign, DetailColumn, win::Progress&) {
    SortedList sorted;
    for (uint32_t i = 0; i < list.Count(); ++i)
        sorted.order.push_back(i);
    std::stable_sort(sorted.order.begin(), sorted.order.end(), [&](uint32_t a, uint32_t b) {
        return sign > 0 ? list.Text(a) < list.Text(b) : list.Text(b) < list.Text(a);
    });
    return sorted;
}

class ListJobsTest : public ::testing::Test {
protected:
    ListJobsTest() {
        filter.onMatched = [this](std::vector<uint32_t> shown) {
            rows.ShowOnly(model, std::move(shown));
            ++matches;
        };
        sort.onSorted = [this](SortedList& sorted) {
            sort.Apply(sorted);
            filter.Reshaped(false);
            ++sorts;
        };
    }
    void Append(const Texts& texts) {
        for (const std::wstring& text : texts) {
            model.Append(text);
            filter.Appended();
        }
    }
    Texts Shown() const {
        Texts shown;
        for (size_t row = 0; row < rows.Count(model); ++row)
            shown.emplace_back(model.Text(rows.Entry(row)));
        return shown;
    }

    OwnerThread owner;
    ListModel model;
    ShownRows rows;
    ListFilter filter{model, rows, [] { return std::make_unique<ContainsMatcher>(); },
                      owner.returns};
    ListSort sort{model, SortByText, owner.returns};
    int matches = 0;
    int sorts = 0;
};

// The filter's races: a newer text while a match is under way wins; what is appended meanwhile
// is matched as it comes; entries removed meanwhile make the match run again over the list as it
// is now, so the rows never show an entry at a place it has left.
TEST_F(ListJobsTest, TheFiltersMatchHoldsAgainstWhatChangesWhileItRuns) {
    Append({L"C:\\apple", L"C:\\banana", L"C:\\cherry", L"C:\\apricot"});
    filter.Job().Hold(true);
    filter.SetText(L"an");
    ASSERT_TRUE(owner.RunUntil([&] { return filter.Job().WorkDone(); }));
    filter.SetText(L"ap"); // the newer text, while the older match waits to come back
    Append({L"C:\\grape", L"C:\\kiwi"});
    filter.Job().Hold(false);
    ASSERT_TRUE(owner.RunUntil([&] { return !filter.Running(); }));
    EXPECT_EQ(matches, 1) << "the older text's result was shown";
    EXPECT_EQ(Shown(), (Texts{L"C:\\apple", L"C:\\apricot", L"C:\\grape"}));

    filter.Job().Hold(true);
    filter.SetText(L"r");
    ASSERT_TRUE(owner.RunUntil([&] { return filter.Job().WorkDone(); }));
    model.RemoveWhere([&](size_t i) { return model.Text(i) == L"C:\\cherry"; });
    filter.Reshaped(false);
    filter.Job().Hold(false);
    ASSERT_TRUE(owner.RunUntil([&] { return !filter.Running(); }));
    EXPECT_EQ(Shown(), (Texts{L"C:\\apricot", L"C:\\grape"}));
    EXPECT_EQ(matches, 2) << "a match over the list's old shape was shown";

    EXPECT_TRUE(filter.SetText(L"")) << "an empty text shows everything at once";
    EXPECT_EQ(Shown().size(), model.Count());
}

// The sort's races: entries removed while it runs make it run again, so no entry is lost or
// doubled; entries appended meanwhile stay after the sorted ones; a sort asked for while one runs
// follows it, the other way; a cancelled sort, and those waiting behind it, change nothing and
// keep the column's sign for the next.
TEST_F(ListJobsTest, TheSortHoldsAgainstWhatChangesWhileItRunsAndCancelLeavesTheList) {
    Append({L"b", L"d", L"a", L"c"});
    bool cancelled = false;
    sort.onCancelled = [&] { cancelled = true; };
    sort.Job().Hold(true);
    ASSERT_TRUE(sort.Start(0));
    EXPECT_FALSE(sort.Start(0)) << "a second sort while one runs started at once";
    ASSERT_TRUE(owner.RunUntil([&] { return sort.Job().WorkDone(); }));
    sort.Cancel();
    sort.Job().Hold(false);
    ASSERT_TRUE(owner.RunUntil([&] { return !sort.Running(); }));
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(sorts, 0);
    EXPECT_EQ(model.Texts(), (Texts{L"b", L"d", L"a", L"c"}));

    const int32_t sign = model.SortSign(0);
    const Texts sorted =
        sign > 0 ? Texts{L"0 appended", L"a", L"b", L"c"} : Texts{L"c", L"b", L"a", L"0 appended"};
    const struct {
        const char* meanwhile;
        std::function<void()> change;
        int sorts;
    } cases[] = {
        {"entries removed and appended: it runs again over what was appended before it began",
         [&] {
             model.RemoveAt(1); // "d"
             Append({L"0 appended"});
         },
         1},
        {"a second sort asked for: it follows the first, the other way",
         [&] { EXPECT_FALSE(sort.Start(0)) << "it started at once"; }, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.meanwhile);
        sorts = 0;
        sort.Job().Hold(true);
        ASSERT_TRUE(sort.Start(0));
        ASSERT_TRUE(owner.RunUntil([&] { return sort.Job().WorkDone(); }));
        c.change();
        sort.Job().Hold(false);
        ASSERT_TRUE(owner.RunUntil([&] { return !sort.Running(); }));
        EXPECT_EQ(sorts, c.sorts);
        EXPECT_EQ(model.Texts(), sorted);
        EXPECT_EQ(model.SortSign(0), -sign);
    }
}

// Whatever a worker hands back once its owner is gone is dropped, never run; a failure of the
// work is thrown on the owner's thread; questions forgotten are never answered.
TEST_F(ListJobsTest, WorkComesBackOnlyToAnOwnerStillThere) {
    int done = 0;
    {
        win::Job<int> job(owner.returns);
        job.Hold(true);
        job.Start([](win::Progress&) { return 1; }, [&](int) { ++done; });
        ASSERT_TRUE(owner.RunUntil([&] { return job.WorkDone(); }));
        job.Hold(false);
        ASSERT_TRUE(job.WaitForWorker(5s));
    }
    win::Job<int> failing(owner.returns);
    failing.Start([](win::Progress&) -> int { throw std::runtime_error("disk gone"); },
                  [&](int) { ++done; });
    EXPECT_THROW(owner.RunUntil([&] { return !failing.Running(); }), std::runtime_error);
    EXPECT_EQ(done, 0);

    std::vector<int> answered;
    std::atomic<bool> queueGone{false};
    {
        win::QuestionQueue<int> queue(
            owner.returns, 2,
            [](std::deque<int>& waiting) {
                std::vector<int> one{waiting.front()};
                waiting.pop_front();
                return one;
            },
            [watched = Watched(owner, queueGone)](std::vector<int>& batch,
                                                  const std::function<bool()>&) { batch[0] *= 10; },
            [&](std::vector<int> answers) {
                answered.insert(answered.end(), answers.begin(), answers.end());
            });
        queue.Ask({1, 2});
        ASSERT_TRUE(owner.RunUntil([&] { return answered.size() == 2; }));
        queue.Hold(true);
        queue.Ask({3});
        queue.Forget();
        queue.Hold(false);
        queue.Ask({4});
        ASSERT_TRUE(owner.RunUntil([&] { return answered.size() == 3; }));
        queue.Ask({5});
    }
    ASSERT_TRUE(owner.RunUntil([&] { return queueGone.load(); }));
    std::sort(answered.begin(), answered.end());
    EXPECT_EQ(answered, (std::vector<int>{10, 20, 40}));
}

// Jobs run on threads kept for them: a job started after others have ended takes a thread one of
// them ran on (a thread made for every job may wait seconds for the last one's end under Wine),
// and jobs held at once still run side by side.
TEST_F(ListJobsTest, JobsRunOnKeptThreadsSideBySide) {
    // A number for each thread, never given twice (the system may give a new thread an old id).
    static std::atomic<int> lastThread{0};
    std::set<int> threads;
    for (int i = 0; i < 10; ++i) {
        win::Job<int> job(owner.returns);
        job.Start(
            [](win::Progress&) {
                thread_local const int thread = ++lastThread;
                return thread;
            },
            [&](int thread) { threads.insert(thread); });
        ASSERT_TRUE(owner.RunUntil([&] { return !job.Running(); }));
    }
    EXPECT_LT(threads.size(), 10u) << "every job had a thread of its own";

    win::Job<int> first(owner.returns), second(owner.returns);
    first.Hold(true);
    second.Hold(true);
    first.Start([](win::Progress&) { return 1; }, [](int) {});
    second.Start([](win::Progress&) { return 2; }, [](int) {});
    EXPECT_TRUE(owner.RunUntil([&] { return first.WorkDone() && second.WorkDone(); }))
        << "a held job kept another from running";
    first.Hold(false);
    second.Hold(false);
    EXPECT_TRUE(owner.RunUntil([&] { return !first.Running() && !second.Running(); }));
}

// What is learnt of a file holds only for the entry it was asked about: an answer that comes
// after its entry was edited is dropped, and the entry is asked again. A details read that hangs
// in the file system does not hold up the end, and nothing it answers later arrives.
TEST_F(ListJobsTest, FileFactsHoldOnlyForTheEntryAskedAndAHangingReadDoesNotHoldUpTheEnd) {
    Append({L"C:\\there.txt", L"C:\\gone.txt", L"C:\\folder"});
    std::promise<void> release, releaseReads;
    auto exists = [released = release.get_future().share()](const std::wstring& path) {
        if (path == L"C:\\slow.txt")
            released.wait();
        return PathState{path != L"C:\\gone.txt", path == L"C:\\folder"};
    };
    int changes = 0, details = 0, detailsAtTheEnd = -1;
    std::atomic<bool> readsHang{false}, hanging{false}, readerGone{false};
    {
        FileFacts facts(model, owner.returns, exists,
                        [hung = releaseReads.get_future().share(), &readsHang, &hanging,
                         wake = &owner, watched = Watched(owner, readerGone)](
                            std::vector<DetailQuestion>&, const std::function<bool()>&) {
                            if (!readsHang)
                                return;
                            hanging = true;
                            wake->Wake();
                            hung.wait(); // deaf to being asked to stop
                        });
        facts.onChanged = [&](size_t, bool) { ++changes; };
        facts.onDetails = [&](const std::vector<size_t>&) { ++details; };
        for (size_t i = 0; i < model.Count(); ++i)
            facts.Drawn(i);
        ASSERT_TRUE(owner.RunUntil([&] { return model.KnownMissing(2).has_value(); }));
        EXPECT_EQ(model.KnownMissing(0), false);
        EXPECT_EQ(model.KnownMissing(1), true);
        EXPECT_TRUE(model.ShownFolder(2));
        EXPECT_EQ(changes, 2) << "only the missing file and the folder are drawn otherwise";

        model.Replace(0, L"C:\\slow.txt");
        facts.Drawn(0);
        model.Replace(0, L"C:\\gone.txt"); // edited while its question hangs
        facts.KeepDetails(true);
        facts.Drawn(1);
        release.set_value();
        // One thread answers the checks in turn: a later question's answer comes after it.
        model.Append(L"C:\\later.txt");
        facts.Drawn(3);
        ASSERT_TRUE(owner.RunUntil([&] { return model.KnownMissing(3).has_value(); }));
        EXPECT_FALSE(model.KnownMissing(0).has_value()) << "the answer about the old text was kept";
        facts.Drawn(0);
        ASSERT_TRUE(owner.RunUntil([&] { return model.KnownMissing(0).has_value(); }));
        EXPECT_EQ(model.KnownMissing(0), true);

        facts.KeepDetails(false);
        facts.KeepDetails(true);
        readsHang = true;
        facts.Drawn(2);
        ASSERT_TRUE(owner.RunUntil([&] { return hanging.load(); }));
        detailsAtTheEnd = details;
    } // the details read still hangs here
    releaseReads.set_value();
    ASSERT_TRUE(owner.RunUntil([&] { return readerGone.load(); }));
    EXPECT_EQ(details, detailsAtTheEnd) << "details came back to an owner that was gone";
}

} // namespace
} // namespace filelist
