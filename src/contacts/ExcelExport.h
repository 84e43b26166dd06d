#pragma once

#include "ExportNames.h"

#include <QString>

namespace ado {
class Recordset;
class RowStore;
} // namespace ado

// Writes a recordset's records to an Excel workbook (Office Open XML, whatever the name's
// extension): row 3 the title, row 5 the field names framed in yellow, the records from row 6 on.
// Values keep their kind: numbers as numbers, dates as dates, booleans as booleans, texts as texts
// (never formulas) and Null as an empty cell. Rows are streamed to disk, so memory stays small
// however large the table is.
class ExcelExport {
public:
    // Rows of one worksheet.
    static constexpr long worksheetRows = 1048576;
    // The longest text a cell holds.
    static constexpr long cellTextLimit = 32767;

    struct Options {
        ExportNames::Progress progress; // told (records done, records); false cancels
        // Rows of a worksheet before the records go on into the next one (smaller in tests).
        // Fewer than 6 rows, room for no record, raises RuntimeError 5.
        long rowsPerSheet = worksheetRows;
    };

    struct Result {
        bool written = false;   // a workbook was saved under the name
        bool cancelled = false; // the progress report cancelled it; no file was left
        long long records = 0;  // records written
        int sheets = 0;         // worksheets written; more than one when the records overflowed
        long long cutTexts = 0; // texts longer than a cell holds, written cut to cellTextLimit
        // Texts holding characters XML forbids (code 0, U+FFFE, U+FFFF, half a surrogate pair),
        // written with U+FFFD in their place.
        long long replacedTexts = 0;
    };

    // Writes every record of the recordset, from the first, whatever record is current; the
    // current record is left where it was. A recordset without records writes nothing and leaves
    // no file. Numbers are written with a decimal point whatever the C library's locale. The
    // workbook is written to a temporary in the same folder and renamed over `path` at the end,
    // so a failure or a cancel leaves no file changed. Raises RuntimeError (75 when the file
    // cannot be written) with a Spanish description; a closed recordset raises 3704.
    static Result write(const QString& path, ado::Recordset& recordset, const QString& title,
                        const Options& options);
    // The same for rows held in a store, from the 0-based `firstRow` to the end; a negative
    // `firstRow` stands for a recordset at BOF and writes nothing.
    static Result write(const QString& path, const ado::RowStore& rows, long firstRow,
                        const QString& title, const Options& options);

    // What the operator is told after an export: the records went on into further worksheets,
    // some texts were cut, or some characters replaced; "" when there is nothing to tell.
    static QString notice(const Result& result);
};
