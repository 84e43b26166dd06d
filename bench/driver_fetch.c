/* An ODBC driver alone, as a floor for the program's load: the whole table fetched in blocks of
 * rows, every column bound as text (UTF-8), nothing kept. For a SQLite file the SQLite driver
 * streams (StepAPI=1) and its library runs in multi-thread mode, as the program and the sqlite3
 * shell run it; any other driver is given its ODBC connection string and the statement.
 * Usage: driver_fetch DATABASE
 *        driver_fetch "Driver={...};..." "SELECT ..."
 * prints "fetch_ms N", "rows N" and "bytes N". */
#include <sql.h>
#include <sqlext.h>
#include <sqlite3.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { BLOCK = 256, WIDTH = 256, MAX_COLS = 64 };

static int failed(SQLRETURN rc, const char* what) {
    if (SQL_SUCCEEDED(rc)) return 0;
    fprintf(stderr, "driver_fetch: %s failed\n", what);
    return 1;
}

int main(int argc, char** argv) {
    const int odbcString = argc == 3 && strncmp(argv[1], "Driver=", 7) == 0;
    if (argc != 2 && !odbcString) {
        fprintf(stderr, "usage: driver_fetch DATABASE | driver_fetch \"Driver=...\" STATEMENT\n");
        return 2;
    }
    char connect[4096];
    const char* statement = "SELECT * FROM MA_contactos";
    if (odbcString) {
        snprintf(connect, sizeof connect, "%s", argv[1]);
        statement = argv[2];
    } else {
        sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
        const char* driver = getenv("CONTACTOS_SQLITE_DRIVER");
        snprintf(connect, sizeof connect, "Driver={%s};Database=%s;StepAPI=1;NoCreat=1",
                 driver && *driver ? driver : "SQLite3", argv[1]);
    }

    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT st;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    if (failed(SQLDriverConnect(dbc, NULL, (SQLCHAR*)connect, SQL_NTS, NULL, 0, NULL,
                                SQL_DRIVER_NOPROMPT),
               "connect"))
        return 2;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st);
    if (failed(SQLExecDirect(st, (SQLCHAR*)statement, SQL_NTS), "select"))
        return 2;
    SQLSMALLINT cols = 0;
    SQLNumResultCols(st, &cols);
    if (cols > MAX_COLS) cols = MAX_COLS;
    SQLULEN fetched = 0;
    SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)(SQLULEN)BLOCK, 0);
    SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    char* buffers[MAX_COLS];
    SQLLEN* indicators[MAX_COLS];
    for (int c = 0; c < cols; ++c) {
        buffers[c] = malloc((size_t)WIDTH * BLOCK);
        indicators[c] = malloc(sizeof(SQLLEN) * BLOCK);
        SQLBindCol(st, (SQLUSMALLINT)(c + 1), SQL_C_CHAR, buffers[c], WIDTH, indicators[c]);
    }
    long rows = 0;
    long long bytes = 0;
    SQLRETURN rc;
    while (SQL_SUCCEEDED(rc = SQLFetchScroll(st, SQL_FETCH_NEXT, 0))) {
        for (SQLULEN r = 0; r < fetched; ++r)
            for (int c = 0; c < cols; ++c)
                if (indicators[c][r] > 0) bytes += indicators[c][r];
        rows += (long)fetched;
    }
    if (rc != SQL_NO_DATA && failed(rc, "fetch")) return 2;
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    clock_gettime(CLOCK_MONOTONIC, &t1);
    printf("fetch_ms %.3f\n", (t1.tv_sec - t0.tv_sec) * 1e3 + (t1.tv_nsec - t0.tv_nsec) / 1e6);
    printf("rows %ld\n", rows);
    printf("bytes %lld\n", bytes);
    return 0;
}
