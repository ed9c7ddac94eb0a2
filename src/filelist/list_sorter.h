// Sorting a long list off the window's thread: the order of a frozen copy of the list by one
// column, texts as the user's locale sorts them (case-sensitive, word sort), sizes and dates by
// value. It runs as a job (win::Job), which can be cancelled and tells how far it has come.
#pragma once

#include <cstdint>

#include "filelist/list_jobs.h"

namespace filelist {

// Orders list by a column's values times sign (negative: descending), equal values keeping their
// order; sizes and dates not read yet are read first. Throws win::Cancelled when cancelled, and
// also when there is no memory for the sort keys: the list then stays as it is.
SortedList SortFrozenList(const FrozenList& list, int32_t sign, DetailColumn column,
                          win::Progress& progress);

} // namespace filelist
