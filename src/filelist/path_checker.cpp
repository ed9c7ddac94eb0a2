#include "filelist/path_checker.h"

#include <deque>
#include <utility>
#include <vector>

namespace filelist {

bool PathExists(const std::wstring& path) {
    if (path.empty())
        return false;
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    DWORD code = ::GetLastError();
    return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
}

PathChecker::PathChecker(win::Returns& returns, ExistsFunction exists, Answered answered)
    : QuestionQueue(
          returns, 1,
          [](std::deque<PathCheck>& waiting) {
              std::vector<PathCheck> one;
              one.push_back(std::move(waiting.front()));
              waiting.pop_front();
              return one;
          },
          [exists = std::move(exists)](std::vector<PathCheck>& checks,
                                       const std::function<bool()>&) {
              for (PathCheck& check : checks)
                  check.exists = exists(check.path);
          },
          std::move(answered)) {}

} // namespace filelist
