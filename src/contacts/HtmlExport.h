#pragma once

#include "ExportNames.h"

#include <QString>
#include <QStringView>

// Writes the grid's content as the suite's simple HTML page: Windows-1252 bytes, CR LF after
// every line, the grid's header row as the table's header and its data rows in their shown
// order, with the texts as shown (unsaved edits included).
class HtmlExport {
public:
    // What the writer needs of the grid. The window adapts its grid to it.
    class Grid {
    public:
        virtual ~Grid() = default;
        // Number of rows, the header row 0 included.
        virtual long Rows() const = 0;
        virtual long Cols() const = 0;
        // The text shown in a cell.
        virtual QString TextMatrix(long row, long col) const = 0;
        // Makes the cell the current one as an operator's move would, so the grid's cell-leave
        // handling runs (a pending row may be written). May raise what that handling raises.
        virtual void setCurrentCell(long row, long col) = 0;
    };

    struct Result {
        bool written = false;   // the page was saved under its name
        bool cancelled = false; // the progress report cancelled it; no file was left
        long rows = 0;          // data rows written
    };

    // Writes the page to `path` through a temporary renamed at the end, so a failure or a cancel
    // leaves no file of that name changed. The background picture is "stone.jpg" of
    // `programFolder`. The current cell moves through every data cell and ends on the last one.
    // `progress` is told (data rows done, data rows) after each row. Raises RuntimeError 75 when
    // the file cannot be written; a failure of the grid's cell-leave handling travels as it is.
    static Result write(const QString& path, Grid& grid, const QString& caption,
                        const QString& programFolder, const ExportNames::Progress& progress = {});

    // "&nbsp;" repeated `count` times (none for zero or less).
    static QString EspaciosHTML(short count);
    // The text with "&", "<", ">" and '"' as entities and every character that Windows-1252
    // lacks as a numeric character reference, so it can stand anywhere in the page; a control
    // character other than tab, line feed, form feed and carriage return (code 0 among them)
    // becomes the reference of U+FFFD.
    static QString escape(QStringView text);
};
