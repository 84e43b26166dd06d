#pragma once

namespace ado {

// Puts the process's SQLite library, which the SQLite driver runs on, in multi-thread mode
// before its first connection (see the definition for why). Safe to call any number of times.
void prepareSqliteEngine();

} // namespace ado
