#pragma once

#include <QString>

// One measuring run in a process of its own: opens the window on `file` (a SQLite file, or a
// parameter string beginning with "@") and prints "key value"
// lines (milliseconds, kilobytes, counts). Task "load" stops after the load, "html" writes the
// page after it, "full" goes on with the Excel export, the sorts, one written row and the filter.
// Returns non-zero when a prompt appeared or an error was raised.
int runChild(const QString& task, const QString& file, const QString& sourceDir);
