#include "filelist/path_checker.h"

#include <deque>
#include <utility>
#include <vector>

namespace filelist {

PathState PathExists(const std::wstring& path) {
    if (path.empty())
        return {};
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return {true, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
    DWORD code = ::GetLastError();
    return {code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION, false};
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
              for (PathCheck& check : checks) {
                  const PathState state = exists(check.path);
                  check.exists = state.exists;
                  check.folder = state.folder;
              }
          },
          std::move(answered)) {}

} // namespace filelist
