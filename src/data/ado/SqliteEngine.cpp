#include "SqliteEngine.h"

#include <mutex>
#include <sqlite3.h>

namespace ado {

// In its default serialized mode SQLite locks the connection's mutex on every call, and the
// driver makes several calls per cell: a fifth of a large read went to locking. The program uses
// each connection from one thread only, which is what multi-thread mode asks for (the sqlite3
// shell runs without those locks too). The mode can only be chosen before the library starts;
// once something has started it the call is refused and the library stays serialized, which is
// only slower.
void prepareSqliteEngine() {
    static std::once_flag once;
    std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MULTITHREAD); });
}

} // namespace ado
