// Asks the file system whether listed paths still exist, on a thread of its own: an unreachable
// network path can take many seconds to fail, and the window must go on answering meanwhile.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "win/question_queue.h"

namespace filelist {

// One question and, once answered, its answer. The stamp and index say which entry was meant,
// so that the answer can be dropped when the entry has since changed or moved.
struct PathCheck {
    uint64_t stamp = 0;
    size_t index = 0;
    std::wstring path;
    bool exists = false;
    bool folder = false;
};

// What is at a path: whether anything is, and whether it is a folder.
struct PathState {
    bool exists = false;
    bool folder = false;
};

// Whether a file or folder is at path, and which. A path the system refuses to look at (access
// denied) counts as there, not known to be a folder; an empty one, or one that cannot be
// reached, as missing.
using ExistsFunction = std::function<PathState(const std::wstring& path)>;
PathState PathExists(const std::wstring& path);

// One thread, one question at a time. At the program's end a check that hangs is left behind
// after a quarter of a second, so that its checkers together never hold it up for long.
class PathChecker : public win::QuestionQueue<PathCheck> {
public:
    PathChecker(win::Returns& returns, ExistsFunction exists, Answered answered);
};

} // namespace filelist
