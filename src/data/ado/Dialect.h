#pragma once

namespace ado {

// Which SQL dialect the open connection speaks, from its provider.
enum class Dialect { SqlServer, Oracle, SQLite, PostgreSQL };

} // namespace ado
