// Reads the details of listed files (size, date, folder or missing) off the window's thread. A
// folder that many of the files share is listed once and the names matched, rather than one
// look-up a file; the rest are looked up one by one.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "filelist/file_details.h"
#include "win/job.h"

namespace filelist {

// Answers every question, each folder shared by several listed once, telling progress how far
// it has come; when keepGoing says no, it stops where it is and returns false.
bool ReadDetails(std::vector<DetailQuestion>& questions, const std::function<bool()>& keepGoing,
                 win::Progress* progress = nullptr);

} // namespace filelist
