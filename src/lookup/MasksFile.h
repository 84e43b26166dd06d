#pragma once

#include "MascaraConsulta.h"

#include <QString>
#include <optional>

// The query masks file: a sequence of 1202-byte `MascaraConsulta` records without header. This is
// the one reader and the one writer of that file; the lookup reads masks through buscar() and the
// default masks are written through agregar().
class MasksFile {
public:
    // What the lookup takes from a found record.
    struct Datos {
        QString tabla;    // TablaMascara without characters 0 and 255, trimmed
        QString columnas; // the column list, "A,B,C"; "*" when the record lists none
        std::optional<QString> columnaBusqueda; // text before the first ","; none without ","
        QString condicion; // CondicionMascara without characters 0 and 255, trimmed
    };

    enum class Estado {
        Encontrada, // a record for the table was found
        SinMascara, // the file was read and holds no record for the table
        SinArchivo, // no file at the path
        Ilegible,   // the file exists but could not be read (see Busqueda::error)
    };

    // The outcome of looking a table up.
    struct Busqueda {
        Estado estado = Estado::SinMascara;
        std::optional<MascaraConsulta> registro; // the record found, as stored
        qint64 numeroRegistro = 0;               // its record number, from 1
        // The file ends in part of a record (its length is not a multiple of 1202); those bytes
        // are never read as a mask. Set whether or not the search got that far.
        bool finIncompleto = false;
        QString error; // why the file could not be read, in Spanish; empty otherwise
    };

    // A masks file at the given full path; nothing is opened until it is read or written.
    explicit MasksFile(QString path);
    const QString& path() const { return path_; }

    // The first record whose cleaned TablaMascara equals the trimmed name, case-blind; reading
    // stops there. A record whose cleaned name is empty matches nothing. Never raises: a
    // missing, unreadable or truncated file is told by the result.
    Busqueda buscar(const QString& tabla) const;

    // Writes the record after the last whole record of the file (record number = file length /
    // 1202 + 1), creating the file when it is missing, and returns that record number. Raises
    // RuntimeError 75 naming the path when the file cannot be created or written.
    qint64 agregar(const MascaraConsulta& registro) const;

    // The table, column list, search column and condition that a record gives the lookup.
    static Datos datos(const MascaraConsulta& registro);
    // The column list of a CamposMascara: "|" -> ",", trimmed, one leading and one trailing ","
    // removed; "*" when nothing is left. Characters 0 and 255 stay.
    static QString columnasDe(const QString& campos);
    // The search column of a column list: the text before its first ","; none without ",".
    static std::optional<QString> columnaBusquedaDe(const QString& columnas);
    // A TablaMascara or CondicionMascara without characters 0 and 255, trimmed.
    static QString limpiar(const QString& texto);
    // The text without leading and trailing spaces (only spaces: the stored fields are padded
    // with them, and other blanks are part of the text).
    static QString recortar(const QString& texto);

private:
    QString path_;
};
