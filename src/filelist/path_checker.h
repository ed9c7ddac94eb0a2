// Asks the file system whether listed paths still exist, on a thread of its own: an unreachable
// network path can take many seconds to fail, and the window must go on answering meanwhile.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace filelist {

// One question and, once answered, its answer. The stamp and index say which entry was meant,
// so that the answer can be dropped when the entry has since changed or moved.
struct PathCheck {
    uint64_t stamp = 0;
    size_t index = 0;
    std::wstring path;
    bool exists = false;
};

// Whether a file or folder is at path. A path the system refuses to look at (access denied)
// counts as there; an empty one, or one that cannot be reached, as missing.
using ExistsFunction = std::function<bool(const std::wstring& path)>;
bool PathExists(const std::wstring& path);

class PathChecker {
public:
    // Posts message to window whenever answers are waiting that were not yet announced.
    PathChecker(HWND window, UINT message, ExistsFunction exists);
    // Stops the thread. A check that hangs in the file system is left behind after a quarter
    // of a second, so that the program's two checkers together never hold up its end by more
    // than half a second.
    ~PathChecker();
    PathChecker(const PathChecker&) = delete;
    PathChecker& operator=(const PathChecker&) = delete;

    // Queues the questions behind those already waiting.
    void Ask(std::vector<PathCheck> checks);
    // Drops the questions not yet taken up and the answers not yet taken.
    void Forget();
    // The answers that came in since the last call, in the order they came.
    std::vector<PathCheck> TakeAnswers();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace filelist
