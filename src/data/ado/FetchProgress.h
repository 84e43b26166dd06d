#pragma once

#include <functional>

namespace ado {

// Told the number of rows read so far, every few thousand rows, while a recordset is fetched.
// The window installs one that repaints (without taking input), so a long load never freezes it.
using FetchProgress = std::function<void(long rowsRead)>;

// Installs the run's fetch progress report; returns the previous one (empty: none).
FetchProgress setFetchProgress(FetchProgress progress);
// Calls the installed report, if any.
void reportFetchProgress(long rowsRead);

} // namespace ado
