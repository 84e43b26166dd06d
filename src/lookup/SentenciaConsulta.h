#pragma once

#include "MasksFile.h"

#include <QString>
#include <QStringList>
#include <optional>

// The statement texts of the lookup: what ConsultaSearch builds from a table name or a mask, the
// table a list statement reads, the narrowed statements of a new search (F5) in both dialogs and
// the missing-stock report. Pure text functions: nothing here touches a database or a window.
class SentenciaConsulta {
public:
    // A caller's condition as the statements use it: a trimmed text longer than one character
    // that does not begin with "(" becomes " (" + text + ") "; anything else is left alone.
    static QString ajustarWhere(const QString& where);

    // The row limit of built statements from the "TopConsArt" value: its leading number (as the
    // platform's Val reads it), rounded to a whole number; 1000 when that is 0.
    static long limiteFilas(const QString& topConsArt);

    // A complete statement given by the caller: V_MA_ARTICULOS (any case) becomes
    // VT_MA_ARTICULOS, the view with the stock columns.
    static QString sentenciaDada(const QString& sql);

    // The outcome of building the statement from a mask.
    struct DeMascara {
        // The statement; nothing when the mask has no search column and the caller gave none.
        std::optional<QString> sentencia;
        QString campoBusqueda; // the search column the call ends with (written back)
    };
    // "SELECT TOP n C FROM T [WHERE K] [ORDER BY campo]" from the mask's data, with the caller's
    // condition (after ajustarWhere) when the mask has none, and the default conditions of the
    // articles, customers and suppliers views.
    static DeMascara sentenciaMascara(const MasksFile::Datos& mascara, long limite,
                                      const QString& campoBusqueda, const QString& where);

    // The outcome of building the default statement from the fields of the table.
    struct PorDefecto {
        QString columnas;      // the column list, in reverse field order; " * " when none
        QString campoBusqueda; // the search and sort column (the caller's when no field counts)
        QString sentencia;
    };
    // The default statement of a table from its field names, in field order: ID and the two
    // time-stamp fields are left out, DESCRIPCION, NOMBRE or DETALLE (the last one) is searched,
    // otherwise the first included field.
    static PorDefecto sentenciaPorDefecto(const QString& tabla, const QStringList& campos,
                                          long limite, const QString& campoBusqueda);

    // The table a list statement reads: the word after the first "from", up to the next blank.
    static QString tablaDeSentencia(const QString& sql);

    // A statement of a search dialog split at its ORDER BY: the base that a new search appends
    // its condition to, and the ORDER BY part that follows the condition. The dialogs keep the
    // parts from one search to the next, so a searched text (which may hold "order by", "where",
    // quotes...) never decides where the statement is split or joined.
    struct Partes {
        QString base;
        QString orden; // from "order by" to the end; empty when there is none
    };
    // The parts of a statement that no search has narrowed yet: split at its first "order by"
    // outside quoted texts and names. Without one, `sentenciaActual` (the statement of the last
    // load) is the base and there is no ORDER BY part.
    static Partes partesDe(const QString& sql, const QString& sentenciaActual);

    // A new search of either dialog.
    struct NuevaBusqueda {
        QString sql;       // the narrowed statement: base, condition and ORDER BY part
        Partes partes;     // its parts, for the next search
        QString textoCaja; // what the search box shows before it is emptied
    };
    // The list's F5: the base narrowed by "campo like 'texto%'" ("*" typed as a wildcard) or,
    // with usaLike, "campo like '%texto%'", then the ORDER BY part. Quotes in the text are
    // doubled so a quote the operator types cannot end the literal.
    static NuevaBusqueda nuevaBusquedaLista(const Partes& partes, const QString& campo,
                                            const QString& texto, bool usaLike);
    // The tree's F5: the base narrowed by "Descripcion like '%texto%'", then the ORDER BY part.
    static NuevaBusqueda nuevaBusquedaArbol(const Partes& partes, const QString& texto);

    // The missing-stock report's INSERT into V_MV_FALTANTES, every value with its quotes
    // doubled; the article id is fitted to 25 characters.
    static QString insertFaltante(const QString& fechaHora, const QString& idArticulo,
                                  const QString& descripcion, const QString& usuario);

    // A text as it goes between quotes in SQL: every quote doubled.
    static QString entreComillas(const QString& texto);
};
