#pragma once

#include <QList>
#include <QString>
#include <optional>

// The list lookup's column-widths file "CONSULTASLEN.QLN" in the program's folder: one line per
// table, "table","2880|1440|960|" (fields in double quotes, comma-separated, CR LF, Windows-1252),
// widths in twips. Rewrites go through "CONSULTASLEN.AUX", renamed over the widths file.
class ColumnWidthsFile {
public:
    // The widths one line of the file gives the dialog's table, in column order.
    struct Linea {
        int numeroLinea = 0;  // line number in the file, from 1
        QList<double> anchos; // widths in twips; index 0 is list column 1 (and search box 0)
        // False when reading stopped inside this line: the width for column anchos.size() + 1
        // was missing (no "|" left) or unreadable.
        bool completa = true;
    };

    // What reading the file gives the dialog: the lines of its table, to be applied one after
    // the other in this order (a later line overrides an earlier one column by column).
    struct Lectura {
        QList<Linea> lineas;
        bool detenida = false; // reading ended before the end of the file (a damaged line)
        int lineaDetenida = 0; // the line where it ended, from 1; 0 when read to the end
        QString motivo;        // why it ended, in Spanish; empty when read to the end
        // The width each of the first `columnas` columns ends with after every line is applied;
        // nothing for a column no line gives a width to (it keeps its computed width).
        QList<std::optional<double>> anchosFinales(int columnas) const;
    };

    // The widths file of the folder (the program's folder; a separator is added when missing).
    explicit ColumnWidthsFile(const QString& carpeta);
    // Full path of "CONSULTASLEN.QLN".
    QString rutaArchivo() const { return archivo_; }
    // Full path of the temporary "CONSULTASLEN.AUX".
    QString rutaTemporal() const { return temporal_; }

    // The table whose widths a dialog over `tablaConsulta` uses: the stock view
    // "Stk_ma_articulos" (any letter case) shares those of "VT_MA_ARTICULOS"; any other name is
    // itself. The dialog keeps the result as its table, also for saving.
    static QString tablaDeAnchos(const QString& tablaConsulta);

    // Reads the widths stored for the table (after tablaDeAnchos) for a list of `columnas`
    // columns: every line of the table in file order, each with at most `columnas` widths; a
    // blank width is 0. Reading stops at the first damaged line (a line that is not two fields,
    // a missing "|" or an unreadable width for one of the columns, such as a number with more
    // than one decimal separator) and keeps what was read before. Nothing when the file is
    // missing. Never raises.
    Lectura LeerAnchos(const QString& tablaConsulta, int columnas) const;

    // Stores the widths (in twips, column order) as the one entry of the table (after
    // tablaDeAnchos), after the entries of every other table in their order. Table names are
    // stored and compared without double quotes and line breaks, which the delimited form
    // cannot carry. The widths file is
    // replaced only once the new content is complete. Raises RuntimeError 75 naming the file when
    // it cannot be read, written or replaced, and 5 when a line of it is damaged (the file is
    // then left as it was).
    void GrabarAnchos(const QString& tablaConsulta, const QList<double>& anchos) const;

    // The widths text of a list: each width (formatoAncho) followed by "|".
    static QString textoAnchos(const QList<double>& anchos);
    // A width in twips as the file stores it: a whole number as plain digits, a fraction with up
    // to four decimals after the default locale's decimal separator ("," or "."); no group
    // separators. Negative or non-finite widths are written as 0.
    static QString formatoAncho(double ancho);

private:
    QString archivo_;
    QString temporal_;
};
