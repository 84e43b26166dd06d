/* The bare reference for the Excel export: the same cells written straight with libxlsxwriter in
 * constant-memory mode (title in A3, the field names framed in row 5, the records from row 6 on;
 * numbers, dates and booleans by the column's declared type, Null and "" as empty cells).
 * The rows are read into memory first, as the program holds them in its recordset, and only the
 * writing is timed.
 * Usage: bare_xlsx DATABASE OUTPUT.xlsx   prints "write_ms N" and "extra_kb N". */
#include <sqlite3.h>
#include <xlsxwriter.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <time.h>

enum kind { K_TEXT, K_NUMBER, K_DATE, K_BOOL };

typedef struct {
    int null;
    double number;
    char* text;
} cell;

static long status_kb(const char* key) {
    FILE* f = fopen("/proc/self/status", "r");
    char line[256];
    long kb = 0;
    if (!f) return 0;
    while (fgets(line, sizeof line, f))
        if (strncmp(line, key, strlen(key)) == 0) {
            kb = strtol(line + strlen(key), NULL, 10);
            break;
        }
    fclose(f);
    return kb;
}

static long reset_peak(void) {
    FILE* f = fopen("/proc/self/clear_refs", "w");
    if (f) {
        fputs("5", f);
        fclose(f);
    }
    return status_kb("VmRSS:");
}

static enum kind kind_of(const char* decl) {
    if (!decl) return K_TEXT;
    if (strcasecmp(decl, "date") == 0) return K_DATE;
    if (strcasecmp(decl, "bit") == 0) return K_BOOL;
    if (strncasecmp(decl, "int", 3) == 0 || strcasecmp(decl, "money") == 0 || strncasecmp(decl, "numeric", 7) == 0)
        return K_NUMBER;
    return K_TEXT;
}

int main(int argc, char** argv) {
    sqlite3* db;
    sqlite3_stmt* st;
    if (argc != 3 || sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, NULL) != SQLITE_OK) {
        fprintf(stderr, "usage: bare_xlsx DATABASE OUTPUT.xlsx\n");
        return 2;
    }
    if (sqlite3_prepare_v2(db, "SELECT * FROM MA_contactos", -1, &st, NULL) != SQLITE_OK) {
        fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        return 2;
    }
    const int cols = sqlite3_column_count(st);
    enum kind kinds[64];
    char* names[64];
    for (int c = 0; c < cols; ++c) {
        kinds[c] = kind_of(sqlite3_column_decltype(st, c));
        names[c] = strdup(sqlite3_column_name(st, c));
    }
    size_t rows = 0, capacity = 1024;
    cell* cells = malloc(capacity * cols * sizeof(cell));
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (rows == capacity) {
            capacity *= 2;
            cells = realloc(cells, capacity * cols * sizeof(cell));
        }
        for (int c = 0; c < cols; ++c) {
            cell* x = &cells[rows * cols + c];
            x->null = sqlite3_column_type(st, c) == SQLITE_NULL;
            x->text = NULL;
            x->number = 0;
            if (x->null) continue;
            if (kinds[c] == K_TEXT || kinds[c] == K_DATE)
                x->text = strdup((const char*)sqlite3_column_text(st, c));
            else
                x->number = sqlite3_column_double(st, c);
        }
        ++rows;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);

    const long base = reset_peak();
    struct timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    lxw_workbook_options options = {.constant_memory = LXW_TRUE, .tmpdir = NULL, .use_zip64 = LXW_FALSE};
    lxw_workbook* wb = workbook_new_opt(argv[2], &options);
    lxw_format* title = workbook_add_format(wb);
    format_set_font_size(title, 16);
    format_set_font_color(title, 0x0000FF);
    format_set_italic(title);
    format_set_bold(title);
    format_set_font_shadow(title);
    lxw_format* header = workbook_add_format(wb);
    format_set_border(header, LXW_BORDER_MEDIUM);
    format_set_border_color(header, 0xFFFF00);
    format_set_italic(header);
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "dd/mm/yyyy");
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Hoja1");
    worksheet_write_string(ws, 2, 0, "CONTACTOS", title);
    for (int c = 0; c < cols; ++c) worksheet_write_string(ws, 4, (lxw_col_t)c, names[c], header);
    for (size_t r = 0; r < rows; ++r) {
        const lxw_row_t row = (lxw_row_t)(r + 5);
        for (int c = 0; c < cols; ++c) {
            const cell* x = &cells[r * cols + c];
            if (x->null) continue;
            switch (kinds[c]) {
            case K_TEXT:
                if (x->text[0]) worksheet_write_string(ws, row, (lxw_col_t)c, x->text, NULL);
                break;
            case K_NUMBER:
                worksheet_write_number(ws, row, (lxw_col_t)c, x->number, NULL);
                break;
            case K_BOOL:
                worksheet_write_boolean(ws, row, (lxw_col_t)c, x->number != 0, NULL);
                break;
            case K_DATE: {
                lxw_datetime d = {0};
                if (sscanf(x->text, "%d-%d-%d", &d.year, &d.month, &d.day) == 3)
                    worksheet_write_datetime(ws, row, (lxw_col_t)c, &d, date);
                else
                    worksheet_write_string(ws, row, (lxw_col_t)c, x->text, NULL);
                break;
            }
            }
        }
    }
    const lxw_error error = workbook_close(wb);
    clock_gettime(CLOCK_MONOTONIC, &t1);
    if (error != LXW_NO_ERROR) {
        fprintf(stderr, "%s\n", lxw_strerror(error));
        return 1;
    }
    printf("write_ms %.3f\n", (t1.tv_sec - t0.tv_sec) * 1e3 + (t1.tv_nsec - t0.tv_nsec) / 1e6);
    printf("extra_kb %ld\n", status_kb("VmHWM:") - base);
    return 0;
}
