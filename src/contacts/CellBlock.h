#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>
#include <vector>

class CellStore;

// A block of grid cells in the forms the desktop's clipboard carries between programs:
// tab-separated lines as spreadsheets exchange them (a cell holding a tab, a line end or a leading
// quote goes in quotes, its quotes doubled) and an HTML table beside them, which spreadsheets and
// mail programs paste as a table. Reads only the texts the grid shows.
class CellBlock {
public:
    // Data rows (from 0, in display order) and columns, both ends included.
    struct Range {
        int firstRow = 0;
        int lastRow = 0;
        int firstColumn = 0;
        int lastColumn = 0;
        bool single() const { return firstRow == lastRow && firstColumn == lastColumn; }
    };
    struct Copy {
        // One cell without its title: the cell's text as it stands. Otherwise the lines, each
        // ended with "\n".
        QString text;
        // The table (UTF-8); empty for one cell without its title, which goes as plain text only.
        QByteArray html;
        bool single = false;
        // The tab-separated form, quoted even for one cell, so that a paste gets back the cell
        // whole (a cell's line end is no row end there).
        QString block() const;
    };
    // Told (rows done, rows in all) as the block is built; answering false stops it.
    using Progress = std::function<bool(long long done, long long total)>;

    // The clipboard's forms of the range, with the column titles as the first row when asked;
    // nothing when the progress report stopped it.
    static std::optional<Copy> copy(const CellStore& cells, const Range& range, bool titles,
                                    const Progress& progress = {});

    // Appends a cell to a tab-separated line, in quotes when it needs them.
    static void appendQuoted(QStringView cell, QString& out);
    // Appends a cell's text to an HTML table cell in UTF-8: "&", "<", ">" and '"' escaped, line
    // ends as "<br>".
    static void appendHtml(QStringView cell, QByteArray& out);

    // The rows and cells of tab-separated text: lines end with "\r\n", "\n" or "\r" (the last
    // line's end is optional), a cell in quotes may hold tabs, line ends and doubled quotes. A
    // leading quote that does not close a cell (one followed by more text) is the cell's own.
    static std::vector<QStringList> parse(QStringView text);
};
