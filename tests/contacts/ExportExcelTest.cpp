#include "contacts/ExcelExport.h"
#include "data/ado/Connection.h"
#include "data/ado/Recordset.h"
#include "data/ado/RowStore.h"
#include "shared/RuntimeError.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

using namespace Qt::StringLiterals;

namespace {

// Reads a workbook back with openpyxl (Debian's python3-openpyxl): every sheet's cells with their
// kind (n number, s text, d date, b boolean), the number format, and the font and border of the
// title and header rows. The file goes in as an open file, so its extension is not looked at.
const char* reader = R"PY(
import json, sys, datetime, openpyxl
def rgb(color):
    return color.rgb if color is not None and isinstance(color.rgb, str) else None
wb = openpyxl.load_workbook(open(sys.argv[1], 'rb'))
out = []
for ws in wb.worksheets:
    cells = {}
    for row in ws.iter_rows():
        for c in row:
            if c.value is None:
                continue
            v = c.value
            if isinstance(v, bool): t = 'b'
            elif isinstance(v, (int, float)): t = 'n'
            elif isinstance(v, datetime.datetime): t = 'd'; v = v.isoformat()
            elif isinstance(v, str): t = 's'
            else: t = type(v).__name__; v = str(v)
            e = {'t': t, 'v': v, 'fmt': c.number_format, 'dt': c.data_type}
            if c.row in (3, 5):
                f = c.font
                e['font'] = {'size': f.sz, 'bold': bool(f.b), 'italic': bool(f.i),
                             'shadow': bool(f.shadow), 'color': rgb(f.color)}
                b = c.border
                e['border'] = [[s.style, rgb(s.color)]
                               for s in (b.left, b.right, b.top, b.bottom)]
            cells[c.coordinate] = e
    out.append({'name': ws.title, 'cells': cells})
print(json.dumps(out))
)PY";

QJsonArray readWorkbook(const QString& path) {
    QProcess python;
    python.start(u"/usr/bin/python3"_s, {u"-c"_s, QString::fromUtf8(reader), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << "openpyxl cannot read " << path.toStdString() << ": "
                      << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

QJsonObject cell(const QJsonArray& sheets, int sheet, const QString& ref) {
    return sheets[sheet].toObject()[u"cells"_s].toObject()[ref].toObject();
}

const QString tableScript = uR"SQL(
CREATE TABLE T (id INTEGER PRIMARY KEY, nombre VARCHAR(50), importe DOUBLE, alta DATETIME,
                activo BIT, notas TEXT);
INSERT INTO T VALUES (1, 'Primero', 1.5, '2024-03-15 00:00:00', 1, 'uno' || char(9) || char(1) || 'x');
INSERT INTO T VALUES (2, 'Ana Peña', -20.25, '2024-03-15 10:30:00', 0, '=SUM(A1:A2)');
INSERT INTO T VALUES (3, NULL, NULL, NULL, NULL, NULL);
INSERT INTO T VALUES (4, '007', 1234567, '1999-12-31 23:59:59', 1, '  con blancos ');
)SQL"_s;

struct Opened {
    TestDatabase db;
    ado::Connection connection;
    ado::Recordset rs;
    explicit Opened(const QString& script, const QString& sql = u"SELECT * FROM T ORDER BY id"_s)
        : db(script) {
        connection.Open(db.connectionString());
        rs.Open(sql, connection);
    }
};

ExcelExport::Options withLimit(long rowsPerSheet) {
    ExcelExport::Options options;
    options.rowsPerSheet = rowsPerSheet;
    return options;
}

} // namespace

TEST(ExportExcel, WritesTitleFramedNamesAndEveryTypedRecordWhateverTheCurrentRecord) {
    Opened t(tableScript);
    t.rs.MoveNext(); // the export still starts at the first record
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lista.xls"_s);

    const ExcelExport::Result result = ExcelExport::write(path, t.rs, u"CONTACTOS"_s, {});
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.records, 4);
    EXPECT_EQ(result.sheets, 1);
    EXPECT_EQ(ExcelExport::notice(result), QString());
    EXPECT_EQ(t.rs.Fields(0L).Value().toInt64(), 2) << "the current record moved";

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(2), "PK") << "an Office Open XML package despite the .xls name";

    const QJsonArray sheets = readWorkbook(path);
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].toObject()[u"name"_s].toString(), u"Hoja1"_s);

    const QJsonObject title = cell(sheets, 0, u"A3"_s);
    EXPECT_EQ(title[u"v"_s].toString(), u"CONTACTOS"_s);
    const QJsonObject font = title[u"font"_s].toObject();
    EXPECT_EQ(font[u"size"_s].toDouble(), 16);
    EXPECT_TRUE(font[u"bold"_s].toBool());
    EXPECT_TRUE(font[u"italic"_s].toBool());
    EXPECT_TRUE(font[u"shadow"_s].toBool());
    EXPECT_EQ(font[u"color"_s].toString(), u"FF0000FF"_s); // blue
    for (const QString& ref : {u"A1"_s, u"A2"_s, u"B3"_s, u"A4"_s, u"G5"_s})
        EXPECT_TRUE(cell(sheets, 0, ref).isEmpty()) << ref.toStdString();

    const QStringList names{u"id"_s, u"nombre"_s, u"importe"_s, u"alta"_s, u"activo"_s, u"notas"_s};
    for (int c = 0; c < names.size(); ++c) {
        const QString ref = QChar(u'A' + c) + u"5"_s;
        const QJsonObject header = cell(sheets, 0, ref);
        EXPECT_EQ(header[u"v"_s].toString(), names[c]) << ref.toStdString();
        EXPECT_TRUE(header[u"font"_s].toObject()[u"italic"_s].toBool());
        EXPECT_FALSE(header[u"font"_s].toObject()[u"bold"_s].toBool());
        for (const QJsonValue& side : header[u"border"_s].toArray()) {
            EXPECT_EQ(side.toArray()[0].toString(), u"medium"_s) << ref.toStdString();
            EXPECT_EQ(side.toArray()[1].toString(), u"FFFFFF00"_s) << ref.toStdString(); // yellow
        }
    }

    auto expectCell = [&](const QString& ref, const QString& type, const QJsonValue& value) {
        const QJsonObject c = cell(sheets, 0, ref);
        EXPECT_EQ(c[u"t"_s].toString(), type) << ref.toStdString();
        EXPECT_EQ(c[u"v"_s], value) << ref.toStdString();
    };
    expectCell(u"A6"_s, u"n"_s, 1);
    expectCell(u"B6"_s, u"s"_s, u"Primero"_s);
    // Record 2: a text that reads like a formula stays a text; a date with its time.
    expectCell(u"A7"_s, u"n"_s, 2);
    expectCell(u"B7"_s, u"s"_s, u"Ana Peña"_s);
    expectCell(u"C7"_s, u"n"_s, -20.25);
    expectCell(u"D7"_s, u"d"_s, u"2024-03-15T10:30:00"_s);
    EXPECT_EQ(cell(sheets, 0, u"D7"_s)[u"fmt"_s].toString(), u"dd/mm/yyyy hh:mm:ss"_s);
    expectCell(u"E7"_s, u"b"_s, false);
    expectCell(u"F7"_s, u"s"_s, u"=SUM(A1:A2)"_s);
    EXPECT_EQ(cell(sheets, 0, u"F7"_s)[u"dt"_s].toString(), u"s"_s);
    // Record 3: Null fields are empty cells.
    expectCell(u"A8"_s, u"n"_s, 3);
    for (const QString& ref : {u"B8"_s, u"C8"_s, u"D8"_s, u"E8"_s, u"F8"_s})
        EXPECT_TRUE(cell(sheets, 0, ref).isEmpty()) << ref.toStdString();
    // Record 4: a text of digits stays a text, blanks kept; a date without time.
    expectCell(u"B9"_s, u"s"_s, u"007"_s);
    expectCell(u"C9"_s, u"n"_s, 1234567);
    expectCell(u"D9"_s, u"d"_s, u"1999-12-31T23:59:59"_s);
    expectCell(u"E9"_s, u"b"_s, true);
    expectCell(u"F9"_s, u"s"_s, u"  con blancos "_s);
    EXPECT_TRUE(cell(sheets, 0, u"A10"_s).isEmpty());
}

// The C library's numbers under another locale for the life of the object.
class NumericLocale {
public:
    explicit NumericLocale(const char* name) : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
        set_ = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    NumericLocale(const NumericLocale&) = delete;
    NumericLocale& operator=(const NumericLocale&) = delete;
    bool set() const { return set_; }

private:
    std::string previous_;
    bool set_ = false;
};

TEST(ExportExcel, NumbersKeepTheirPointWhateverTheProcessLocale) {
    Opened t(u"CREATE TABLE T (id INTEGER PRIMARY KEY, importe DOUBLE, saldo money, "
             "alta DATETIME, dia DATE);"
             "INSERT INTO T VALUES (1, 1234.5, -0.25, '2024-03-15 10:30:00', '2024-03-15');"
             "INSERT INTO T VALUES (2, 0.001, 99999.99, '1999-12-31 23:59:59', '2000-02-29');"_s);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"coma.xlsx"_s);
    {
        // A program that left LC_NUMERIC to the operator's locale: the writer must guard itself.
        const NumericLocale comma("es_AR.UTF-8");
        ASSERT_TRUE(comma.set()) << "the es_AR.UTF-8 locale is missing (scripts/setup makes it)";
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 0.5);
        ASSERT_STREQ(probe, "0,5") << "the C library does not write a decimal comma here";
        ASSERT_TRUE(ExcelExport::write(path, t.rs, u"CONTACTOS"_s, {}).written);
        std::snprintf(probe, sizeof probe, "%.1f", 0.5);
        EXPECT_STREQ(probe, "0,5") << "the writer changed the process's locale";
    }
    // No number of the package's XML parts is written with a comma (a strict reader refuses
    // the whole file for one), and openpyxl reads every value back.
    QProcess python;
    python.start(u"/usr/bin/python3"_s,
                 {u"-c"_s,
                  u"import re, sys, zipfile\n"
                  "z = zipfile.ZipFile(sys.argv[1])\n"
                  "bad = [(n, m) for n in z.namelist() if n.endswith('.xml')\n"
                  "       for m in re.findall(r'[>\"]-?[0-9]+,[0-9]+[<\"]', z.read(n).decode())]\n"
                  "print(bad)\n"_s,
                  path});
    ASSERT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput().trimmed()), u"[]"_s);
    const QJsonArray sheets = readWorkbook(path);
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(cell(sheets, 0, u"B6"_s)[u"v"_s].toDouble(), 1234.5);
    EXPECT_EQ(cell(sheets, 0, u"C6"_s)[u"v"_s].toDouble(), -0.25);
    EXPECT_EQ(cell(sheets, 0, u"D6"_s)[u"v"_s].toString(), u"2024-03-15T10:30:00"_s);
    EXPECT_EQ(cell(sheets, 0, u"E6"_s)[u"v"_s].toString(), u"2024-03-15T00:00:00"_s);
    EXPECT_EQ(cell(sheets, 0, u"B7"_s)[u"v"_s].toDouble(), 0.001);
    EXPECT_EQ(cell(sheets, 0, u"C7"_s)[u"v"_s].toDouble(), 99999.99);
    EXPECT_EQ(cell(sheets, 0, u"D7"_s)[u"v"_s].toString(), u"1999-12-31T23:59:59"_s);
    EXPECT_EQ(cell(sheets, 0, u"E7"_s)[u"v"_s].toString(), u"2000-02-29T00:00:00"_s);
}

TEST(ExportExcel, DateWithoutTimeAndControlCharacters) {
    // Bytes that are no UTF-8 in a text of the database: the sheet's XML must stay readable.
    Opened t(tableScript + u"UPDATE T SET nombre = CAST(X'41FF42' AS TEXT) WHERE id = 1;"_s);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lista.xlsx"_s);
    ExcelExport::write(path, t.rs, u"CONTACTOS"_s, {});
    const QJsonArray sheets = readWorkbook(path);
    ASSERT_EQ(sheets.size(), 1);
    const QJsonObject date = cell(sheets, 0, u"D6"_s);
    EXPECT_EQ(date[u"t"_s].toString(), u"d"_s);
    EXPECT_EQ(date[u"v"_s].toString(), u"2024-03-15T00:00:00"_s);
    EXPECT_EQ(date[u"fmt"_s].toString(), u"dd/mm/yyyy"_s);
    // A control character cannot stand in the sheet's XML: it goes in the format's own escape,
    // which Excel reads back and this reader shows as it stands. The file stays readable.
    EXPECT_EQ(cell(sheets, 0, u"F6"_s)[u"v"_s].toString(), u"uno\t_x0001_x"_s);
    EXPECT_EQ(cell(sheets, 0, u"B6"_s)[u"v"_s].toString(), u"A\uFFFDB"_s);
}

TEST(ExportExcel, CharactersXmlForbidsAreReplacedAndTheOperatorTold) {
    // U+FFFE and U+FFFF stored by another program, read through the driver.
    Opened t(tableScript + u"UPDATE T SET nombre = CAST(X'41EFBFBE42' AS TEXT) WHERE id = 1;"
                           u"UPDATE T SET notas = CAST(X'EFBFBF' AS TEXT) WHERE id = 2;"_s);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lista.xlsx"_s);
    ExcelExport::Result result = ExcelExport::write(path, t.rs, u"CONTACTOS"_s, {});
    EXPECT_EQ(result.replacedTexts, 2);
    EXPECT_TRUE(ExcelExport::notice(result).contains(u"carácter de reemplazo"_s))
        << ExcelExport::notice(result).toStdString();
    QJsonArray sheets = readWorkbook(path); // a strict reader: it fails on a forbidden character
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(cell(sheets, 0, u"B6"_s)[u"v"_s].toString(), u"A\uFFFDB"_s);
    EXPECT_EQ(cell(sheets, 0, u"F7"_s)[u"v"_s].toString(), u"\uFFFD"_s);

    // A text holding code 0 is written whole, the character replaced, not cut there.
    ado::ColumnInfo texto;
    texto.name = u"nota"_s;
    texto.type = 202;
    ado::RowStore rows({texto});
    rows.appendRow({Variant(u"antes"_s + QChar(0) + u"después"_s)});
    rows.appendRow({Variant(u"sin problemas"_s)});
    result = ExcelExport::write(path, rows, 0, u"CONTACTOS"_s, {});
    EXPECT_EQ(result.replacedTexts, 1);
    sheets = readWorkbook(path);
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(cell(sheets, 0, u"A6"_s)[u"v"_s].toString(), u"antes\uFFFDdespués"_s);
    EXPECT_EQ(cell(sheets, 0, u"A7"_s)[u"v"_s].toString(), u"sin problemas"_s);
}

TEST(ExportExcel, EmptyRecordsetWritesNothing) {
    Opened t(tableScript, u"SELECT * FROM T WHERE id < 0"_s);
    ASSERT_TRUE(t.rs.BOF());
    QTemporaryDir dir;
    const QString path = dir.filePath(u"vacio.xls"_s);
    const ExcelExport::Result result = ExcelExport::write(path, t.rs, u"CONTACTOS"_s, {});
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.records, 0);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(ExportExcel, RecordsBeyondASheetGoOnIntoFurtherSheets) {
    QString script = u"CREATE TABLE T (id INTEGER PRIMARY KEY, nombre VARCHAR(20));"_s;
    for (int i = 1; i <= 7; ++i)
        script += u"INSERT INTO T VALUES (%1, 'n%1');"_s.arg(i);
    Opened t(script);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"largo.xls"_s);

    // Eight rows a sheet: title, names and three records each.
    const ExcelExport::Result result = ExcelExport::write(path, t.rs, u"CONTACTOS"_s, withLimit(8));
    EXPECT_EQ(result.records, 7);
    EXPECT_EQ(result.sheets, 3);
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    EXPECT_EQ(ExcelExport::notice(result),
              u"Los 7 registros no caben en una hoja de Excel: se han escrito en 3 hojas, cada una "
              u"con el título y los nombres de los campos."_s);
    QLocale::setDefault(previous);

    const QJsonArray sheets = readWorkbook(path);
    ASSERT_EQ(sheets.size(), 3);
    int id = 0;
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(sheets[s].toObject()[u"name"_s].toString(), u"Hoja%1"_s.arg(s + 1));
        EXPECT_EQ(cell(sheets, s, u"A3"_s)[u"v"_s].toString(), u"CONTACTOS"_s);
        EXPECT_TRUE(cell(sheets, s, u"A3"_s)[u"font"_s].toObject()[u"bold"_s].toBool());
        EXPECT_EQ(cell(sheets, s, u"B5"_s)[u"v"_s].toString(), u"nombre"_s);
        for (int row = 6; row <= 8 && id < 7; ++row) {
            ++id;
            EXPECT_EQ(cell(sheets, s, u"A%1"_s.arg(row))[u"v"_s].toInt(), id);
            EXPECT_EQ(cell(sheets, s, u"B%1"_s.arg(row))[u"v"_s].toString(), u"n%1"_s.arg(id));
        }
        EXPECT_TRUE(cell(sheets, s, u"A9"_s).isEmpty());
    }
    EXPECT_EQ(id, 7);
    EXPECT_TRUE(cell(sheets, 2, u"A7"_s).isEmpty());

    EXPECT_THROW(ExcelExport::write(path, t.rs, u"CONTACTOS"_s, withLimit(5)), RuntimeError);
}

TEST(ExportExcel, CancelAndFailureLeaveNoFileAndKeepAnOldOne) {
    QString script = u"CREATE TABLE T (id INTEGER PRIMARY KEY, notas TEXT); BEGIN;"_s;
    script += u"INSERT INTO T VALUES (1, '%1');"_s.arg(QString(40000, u'x'));
    for (int i = 2; i <= 2500; ++i)
        script += u"INSERT INTO T VALUES (%1, 'n');"_s.arg(i);
    script += u"COMMIT;"_s;
    Opened t(script);
    QTemporaryDir dir;
    const QString old = dir.filePath(u"anterior.xls"_s);
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("anterior");
    }

    std::vector<std::pair<long long, long long>> reports;
    ExcelExport::Options options;
    options.progress = [&](long long done, long long total) {
        reports.emplace_back(done, total);
        return done < 2000;
    };
    const ExcelExport::Result cancelled = ExcelExport::write(old, t.rs, u"CONTACTOS"_s, options);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.written);
    EXPECT_EQ(reports, (std::vector<std::pair<long long, long long>>{{1000, 2500}, {2000, 2500}}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"anterior.xls"_s});
    QFile oldFile(old);
    ASSERT_TRUE(oldFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(oldFile.readAll(), "anterior");
    oldFile.close();

    try {
        ExcelExport::write(dir.filePath(u"no existe/lista.xls"_s), t.rs, u"CONTACTOS"_s, {});
        ADD_FAILURE() << "no error for a missing folder";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ErrorNumber::PathFileAccess);
        EXPECT_TRUE(e.description().startsWith(u"No se puede escribir el archivo"_s));
    }

    // Run to its end, the export replaces the old file; a text longer than a cell is cut and told.
    const ExcelExport::Result done = ExcelExport::write(old, t.rs, u"CONTACTOS"_s, {});
    EXPECT_TRUE(done.written);
    EXPECT_EQ(done.records, 2500);
    EXPECT_EQ(done.cutTexts, 1);
    EXPECT_TRUE(ExcelExport::notice(done).contains(u"acortados"_s));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"anterior.xls"_s});
    const QJsonArray sheets = readWorkbook(old);
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(cell(sheets, 0, u"B6"_s)[u"v"_s].toString().size(), ExcelExport::cellTextLimit);
    EXPECT_EQ(cell(sheets, 0, u"A2505"_s)[u"v"_s].toInt(), 2500);
}
