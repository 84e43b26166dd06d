#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// One record of the query masks file: five fixed-width fields of Windows-1252 bytes, each
// left-aligned and padded with spaces, 1202 bytes in all. The fields hold the text as read (with
// its padding); whatever they hold is cut or padded to the width when the record is encoded.
class MascaraConsulta {
public:
    static constexpr int AnchoTitulo = 100;
    static constexpr int AnchoTabla = 100;
    static constexpr int AnchoCampos = 500;
    static constexpr int AnchoCondicion = 500;
    static constexpr int AnchoFin = 2;
    static constexpr int TamanoRegistro =
        AnchoTitulo + AnchoTabla + AnchoCampos + AnchoCondicion + AnchoFin;

    // Human-readable title of the mask; the lookup does not use it.
    QString TituloMascara;
    // The table or view the mask is for: the record's key and the table the statement reads.
    QString TablaMascara;
    // Column names between vertical bars, "|DESCRIPCION|IDARTICULO|"; the first one is searched.
    QString CamposMascara;
    // Default condition without the word WHERE; blank means none.
    QString CondicionMascara;
    // The record's line end, carriage return and line feed in every record this program writes.
    QString FinRegistro = QStringLiteral("\r\n");

    // The record's 1202 bytes; never fails (a character the code page lacks is written as "?").
    QByteArray toBytes() const;
    // The record held in exactly 1202 bytes; nothing for any other length (half a record).
    static std::optional<MascaraConsulta> fromBytes(const QByteArray& bytes);
};
