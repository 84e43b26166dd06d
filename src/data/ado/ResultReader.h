#pragma once

#include "ColumnTypes.h"
#include "OdbcConnection.h"
#include "RowStore.h"

#include <memory>
#include <vector>

namespace ado {

// Reads the result of an executed statement into a RowStore. Columns of bounded size are bound
// to row arrays and fetched in blocks (column-wise binding); long columns (text, ntext) are read
// with SQLGetData in pieces, one row per fetch. SQLite's texts, whose declared sizes are not
// bounds, are bound in UTF-8 and read again whole when longer than their buffer. Every ODBC call
// goes through the connection's checked wrapper, so a failure mid-way raises the provider error and
// nothing half-read is returned.
//
// The rows may also be read in steps: begin() describes and binds, read() appends some rows to
// the store it gave, until the result ends.
class ResultReader {
public:
    explicit ResultReader(const OdbcConnection& connection);
    ~ResultReader();
    ResultReader(const ResultReader&) = delete;
    ResultReader& operator=(const ResultReader&) = delete;

    // The columns of the statement's current result (none when it has no result set).
    std::vector<ColumnInfo> describe(const OdbcHandle& stmt);
    // Every row of the statement's current result. With `typeExpressions`, SQLite's untyped
    // expression columns whose every value is a number become number columns.
    std::shared_ptr<RowStore> readAll(const OdbcHandle& stmt, bool typeExpressions = true);
    // Starts reading the statement's result (which must outlive the reader): the store the rows
    // will go into, with its columns and no rows yet.
    std::shared_ptr<RowStore> begin(const OdbcHandle& stmt, bool typeExpressions = true);
    // Appends up to `maxRows` more rows to the store; true once the result has ended (the store
    // is then complete and squeezed, and the statement free for anything else).
    bool read(long maxRows);

private:
    struct Reading;
    void finish();

    QString stringAttribute(const OdbcHandle& stmt, SQLUSMALLINT column, SQLUSMALLINT field);

    const OdbcConnection& c_;
    std::vector<ColumnType> types_;
    std::unique_ptr<Reading> r_;
};

} // namespace ado
