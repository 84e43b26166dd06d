#include "ExcelExport.h"

#include "data/ado/Recordset.h"
#include "data/ado/RowStore.h"
#include "shared/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <xlsxwriter.h>

using namespace Qt::StringLiterals;

namespace {

const QString source = u"Exportar_Excel"_s;

constexpr lxw_row_t titleRow = 2;  // A3
constexpr lxw_row_t headerRow = 4; // row 5
constexpr lxw_row_t firstDataRow = 5;
constexpr long progressStep = 1000;
// Integers beyond this have no exact double, and a worksheet number is a double.
constexpr std::int64_t exactIntegerLimit = std::int64_t(1) << 53;
// A worksheet part beyond 4 GB needs the zip64 extension, which very old readers lack; it is
// asked for only when a sheet can reach that size (about 100 bytes a cell at worst).
constexpr long long zip64Cells = 40'000'000;

struct WorkbookFree {
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookFree>;

[[noreturn]] void cannotWrite(const QString& path, const QString& reason) {
    raiseError(
        ErrorNumber::PathFileAccess,
        u"No se puede escribir el archivo %1: %2"_s.arg(QDir::toNativeSeparators(path), reason),
        source);
}

QString libraryReason(lxw_error error) {
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return u"no hay memoria suficiente"_s;
    case LXW_ERROR_CREATING_XLSX_FILE:
        return u"no se puede crear el archivo"_s;
    case LXW_ERROR_CREATING_TMPFILE:
        return u"no se puede crear un archivo temporal"_s;
    case LXW_ERROR_READING_TMPFILE:
        return u"no se puede leer un archivo temporal"_s;
    default:
        return u"error del escritor de libros (%1)"_s.arg(QString::fromUtf8(lxw_strerror(error)));
    }
}

// True when XML 1.0 admits the character. The format's own escape covers the other control
// characters; these have none: code 0 ends the library's texts, and U+FFFE, U+FFFF and half a
// surrogate pair make the whole sheet unreadable to a strict reader.
bool admitted(char16_t c) {
    return c != 0 && c != 0xFFFE && c != 0xFFFF && !QChar::isSurrogate(c);
}

// The text as the sheet can hold it: every character that XML forbids becomes U+FFFD.
// `replaced` tells whether any did.
QString admittedText(QStringView text, bool& replaced) {
    QString out;
    out.reserve(text.size());
    replaced = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += text.mid(i, 2);
            ++i;
        } else if (admitted(c)) {
            out += QChar(c);
        } else {
            out += QChar(QChar::ReplacementCharacter);
            replaced = true;
        }
    }
    return out;
}

// The title and the field names as the sheet can hold them; the operator is not told about
// these, which come from the program and the table's definition.
QByteArray xmlUtf8(QStringView text) {
    bool replaced = false;
    return admittedText(text, replaced).toUtf8();
}

// True when UTF-8 holds no byte 0 and neither U+FFFE nor U+FFFF (EF BF BE, EF BF BF); it is
// valid UTF-8 already, so there are no surrogates in it.
bool admittedUtf8(QUtf8StringView text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = std::size_t(text.size());
    if (std::memchr(p, 0, n)) return false;
    for (const unsigned char* q = p;
         (q = static_cast<const unsigned char*>(std::memchr(q, 0xEF, n - std::size_t(q - p))));
         ++q) {
        if (std::size_t(q - p) + 2 < n && q[1] == 0xBF && (q[2] == 0xBE || q[2] == 0xBF))
            return false;
    }
    return true;
}

class Sheets {
public:
    Sheets(const QString& tempPath, const QString& target, const ado::RowStore& rows,
           const QString& title, long rowsPerSheet, long long records)
        : target_(target), rows_(rows), title_(xmlUtf8(title)), rowsPerSheet_(rowsPerSheet) {
        const QByteArray name = QFile::encodeName(tempPath);
        tempDir_ = QFile::encodeName(QFileInfo(target).absolutePath());
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        // Its row files go beside the target, where the space for the workbook is anyway.
        options.tmpdir = tempDir_.data();
        const long long sheetRecords = std::min<long long>(records, rowsPerSheet - firstDataRow);
        options.use_zip64 = sheetRecords * rows.columnCount() > zip64Cells ? LXW_TRUE : LXW_FALSE;
        workbook_.reset(workbook_new_opt(name.constData(), &options));
        if (!workbook_) cannotWrite(target_, libraryReason(LXW_ERROR_MEMORY_MALLOC_FAILED));

        lxw_workbook* wb = workbook_.get();
        titleFormat_ = workbook_add_format(wb);
        format_set_font_size(titleFormat_, 16);
        format_set_font_color(titleFormat_, 0x0000FF); // &HFF0000 in the platform's BGR
        format_set_italic(titleFormat_);
        format_set_bold(titleFormat_);
        format_set_font_shadow(titleFormat_);
        headerFormat_ = workbook_add_format(wb);
        format_set_border(headerFormat_, LXW_BORDER_MEDIUM);
        format_set_border_color(headerFormat_, 0xFFFF00); // &HFFFF in BGR
        format_set_italic(headerFormat_);
        dateFormat_ = workbook_add_format(wb);
        format_set_num_format(dateFormat_, "dd/mm/yyyy");
        dateTimeFormat_ = workbook_add_format(wb);
        format_set_num_format(dateTimeFormat_, "dd/mm/yyyy hh:mm:ss");
        if (rows.columnCount() > LXW_COL_MAX) {
            cannotWrite(
                target_,
                u"tiene %1 campos y una hoja admite %2"_s.arg(rows.columnCount()).arg(LXW_COL_MAX));
        }
        newSheet();
    }

    int sheets() const { return sheetCount_; }
    long long cutTexts() const { return cutTexts_; }
    long long replacedTexts() const { return replacedTexts_; }

    void writeRecord(long record) {
        if (row_ >= lxw_row_t(rowsPerSheet_)) newSheet();
        for (long c = 0; c < rows_.columnCount(); ++c) {
            // Texts and dates go straight from the row store: texts are kept in UTF-8, as the
            // workbook wants them, and a date needs no date-time of its own.
            const auto kind = rows_.kind(c);
            if (kind == ado::RowStore::CellKind::Text && !rows_.isNull(record, c)) {
                const QUtf8StringView text = rows_.textUtf8(record, c);
                // Within the cell limit whatever the letters (a character takes a byte or more).
                if (text.size() <= ExcelExport::cellTextLimit && admittedUtf8(text)) {
                    writeUtf8(lxw_col_t(c), text);
                    continue;
                }
            } else if (kind == ado::RowStore::CellKind::Date) {
                QDate date;
                QTime time;
                if (rows_.dateAt(record, c, date, time)) writeDate(lxw_col_t(c), date, time);
                continue;
            }
            writeValue(lxw_col_t(c), rows_.value(record, c));
        }
        ++row_;
    }

    void close() { check(workbook_close(workbook_.release())); }

private:
    void newSheet() {
        ++sheetCount_;
        // Excel's own names for a Spanish workbook.
        const QByteArray name = u"Hoja%1"_s.arg(sheetCount_).toUtf8();
        sheet_ = workbook_add_worksheet(workbook_.get(), name.constData());
        if (!sheet_) cannotWrite(target_, libraryReason(LXW_ERROR_CREATING_TMPFILE));
        check(worksheet_write_string(sheet_, titleRow, 0, title_.constData(), titleFormat_));
        for (long c = 0; c < rows_.columnCount(); ++c) {
            const QByteArray fieldName = xmlUtf8(rows_.columns()[std::size_t(c)].name);
            check(worksheet_write_string(sheet_, headerRow, lxw_col_t(c), fieldName.constData(),
                                         headerFormat_));
        }
        row_ = firstDataRow;
    }

    void writeText(lxw_col_t col, QStringView given) {
        if (given.isEmpty()) return;
        bool replaced = false;
        const QString admittedCopy = admittedText(given, replaced);
        if (replaced) ++replacedTexts_;
        QStringView text = admittedCopy;
        if (text.size() > ExcelExport::cellTextLimit) {
            qsizetype keep = ExcelExport::cellTextLimit;
            if (text[keep - 1].isHighSurrogate()) --keep; // never half a character
            text = text.left(keep);
            ++cutTexts_;
        }
        const QByteArray utf8 = text.toUtf8();
        check(worksheet_write_string(sheet_, row_, col, utf8.constData(), nullptr));
    }

    void writeUtf8(lxw_col_t col, QUtf8StringView text) {
        if (text.isEmpty()) return;
        // The library wants the text ended by a zero, which the row store does not keep.
        scratch_.assign(text.data(), std::size_t(text.size()));
        check(worksheet_write_string(sheet_, row_, col, scratch_.c_str(), nullptr));
    }

    void writeValue(lxw_col_t col, const Variant& value) {
        switch (value.type()) {
        case Variant::Type::Empty:
        case Variant::Type::Null:
            return;
        case Variant::Type::Text:
            writeText(col, *value.textIf());
            return;
        case Variant::Type::Integer: {
            const std::int64_t n = value.toInt64();
            if (n > -exactIntegerLimit && n < exactIntegerLimit) {
                check(worksheet_write_number(sheet_, row_, col, double(n), nullptr));
            } else {
                writeText(col, QString::number(n)); // as a number it would lose digits
            }
            return;
        }
        case Variant::Type::Double:
        case Variant::Type::Currency: {
            const double d = value.toDouble();
            if (std::isfinite(d)) {
                check(worksheet_write_number(sheet_, row_, col, d, nullptr));
            } else {
                writeText(col, QString::number(d));
            }
            return;
        }
        case Variant::Type::Boolean:
            check(worksheet_write_boolean(sheet_, row_, col, value.toBool() ? 1 : 0, nullptr));
            return;
        case Variant::Type::Date:
            writeDate(col, value.toDateTime());
            return;
        }
    }

    void writeDate(lxw_col_t col, const QDateTime& when) {
        writeDate(col, when.date(), when.time());
    }

    void writeDate(lxw_col_t col, const QDate& d, const QTime& t) {
        const bool hasTime = t.isValid() && t != QTime(0, 0);
        if (!d.isValid() || d.year() < 1900 || d.year() > 9999) {
            // A worksheet has no dates outside these years: the date goes as its text.
            writeText(col, QDateTime(d, t.isValid() ? t : QTime(0, 0))
                               .toString(hasTime ? u"dd/MM/yyyy HH:mm:ss"_s : u"dd/MM/yyyy"_s));
            return;
        }
        lxw_datetime stamp{};
        stamp.year = d.year();
        stamp.month = d.month();
        stamp.day = d.day();
        if (hasTime) {
            stamp.hour = t.hour();
            stamp.min = t.minute();
            stamp.sec = t.second() + t.msec() / 1000.0;
        }
        check(worksheet_write_datetime(sheet_, row_, col, &stamp,
                                       hasTime ? dateTimeFormat_ : dateFormat_));
    }

    void check(lxw_error error) {
        if (error != LXW_NO_ERROR) cannotWrite(target_, libraryReason(error));
    }

    QString target_;
    const ado::RowStore& rows_;
    QByteArray title_;
    QByteArray tempDir_;
    long rowsPerSheet_;
    WorkbookPtr workbook_;
    lxw_format* titleFormat_ = nullptr;
    lxw_format* headerFormat_ = nullptr;
    lxw_format* dateFormat_ = nullptr;
    lxw_format* dateTimeFormat_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    lxw_row_t row_ = firstDataRow;
    int sheetCount_ = 0;
    std::string scratch_;
    long long cutTexts_ = 0;
    long long replacedTexts_ = 0;
};

// The workbook library prints its numbers (cell values, page margins, column widths) with the C
// library's printf, which follows LC_NUMERIC: under a decimal-comma locale it writes "0,7" into
// the XML and readers refuse the whole file. The writing thread takes C numbers for as long as it
// writes, whatever locale the process runs under.
class CNumbers {
public:
    CNumbers() {
        const locale_t base = duplocale(uselocale(locale_t(nullptr)));
        if (base == locale_t(nullptr)) return;
        numbers_ = newlocale(LC_NUMERIC_MASK, "C", base);
        if (numbers_ == locale_t(nullptr)) {
            freelocale(base);
            return;
        }
        previous_ = uselocale(numbers_);
    }
    ~CNumbers() {
        if (numbers_ == locale_t(nullptr)) return;
        uselocale(previous_);
        freelocale(numbers_);
    }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

private:
    locale_t numbers_ = locale_t(nullptr);
    locale_t previous_ = locale_t(nullptr);
};

// Puts the finished temporary in place of the target in one step.
void replaceTarget(const QString& tempPath, const QString& target) {
    // The temporary was made private; the workbook gets the target's permissions, or the usual
    // ones of a new document.
    const QFileInfo existing(target);
    QFile::setPermissions(tempPath, existing.exists() ? existing.permissions()
                                                      : QFile::ReadOwner | QFile::WriteOwner |
                                                            QFile::ReadUser | QFile::WriteUser |
                                                            QFile::ReadGroup | QFile::ReadOther);
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(tempPath).toStdString(),
                            QFile::encodeName(target).toStdString(), error);
    if (error) cannotWrite(target, QString::fromLocal8Bit(error.message().c_str()));
}

} // namespace

ExcelExport::Result ExcelExport::write(const QString& path, ado::Recordset& recordset,
                                       const QString& title, const Options& options) {
    if (recordset.BOF() && recordset.Eof()) return {};
    // Every record from the first, wherever the recordset stands (after an Insert it stands on
    // the new, last record); its position is not moved.
    return write(path, *recordset.rows(), 0, title, options);
}

ExcelExport::Result ExcelExport::write(const QString& path, const ado::RowStore& rows,
                                       long firstRow, const QString& title,
                                       const Options& options) {
    if (options.rowsPerSheet <= long(firstDataRow) || options.rowsPerSheet > worksheetRows) {
        raiseError(ErrorNumber::InvalidCall,
                   u"Una hoja de %1 filas no admite registros"_s.arg(options.rowsPerSheet), source);
    }
    Result result;
    if (firstRow < 0 || rows.rowCount() == 0) return result;
    const CNumbers cNumbers;
    const long first = std::min(firstRow, rows.rowCount());
    const long long total = rows.rowCount() - first;

    QTemporaryFile temp(QFileInfo(path).absolutePath() + u"/."_s + QFileInfo(path).fileName() +
                        u".XXXXXX"_s);
    if (!temp.open()) cannotWrite(path, temp.errorString());
    temp.close(); // the library writes it under its name; it goes if anything below fails

    Sheets sheets(temp.fileName(), path, rows, title, options.rowsPerSheet, total);
    for (long r = first; r < rows.rowCount(); ++r) {
        sheets.writeRecord(r);
        ++result.records;
        if (options.progress && (result.records % progressStep == 0 || result.records == total) &&
            !options.progress(result.records, total)) {
            result.cancelled = true;
            return result;
        }
    }
    result.sheets = sheets.sheets();
    result.cutTexts = sheets.cutTexts();
    result.replacedTexts = sheets.replacedTexts();
    sheets.close();
    replaceTarget(temp.fileName(), path);
    temp.setAutoRemove(false);
    result.written = true;
    return result;
}

QString ExcelExport::notice(const Result& result) {
    const QLocale locale;
    QStringList parts;
    if (result.sheets > 1) {
        parts << u"Los %1 registros no caben en una hoja de Excel: se han escrito en %2 hojas, "
                 u"cada una con el título y los nombres de los campos."_s
                     .arg(locale.toString(result.records))
                     .arg(result.sheets);
    }
    if (result.cutTexts > 0) {
        parts << u"%1 textos tenían más de %2 caracteres, los que admite una celda, y se han "
                 u"escrito acortados."_s.arg(locale.toString(result.cutTexts))
                     .arg(locale.toString(qlonglong(cellTextLimit)));
    }
    if (result.replacedTexts > 0) {
        parts << u"%1 textos tenían caracteres que un libro de Excel no puede guardar (el de "
                 u"código 0, U+FFFE o U+FFFF) y se han escrito con el carácter de reemplazo "
                 u"\uFFFD en su lugar."_s.arg(locale.toString(result.replacedTexts));
    }
    return parts.join(u' ');
}
