#include "ColumnWidthsFile.h"

#include "shared/RuntimeError.h"
#include "shared/TextFile.h"
#include "shared/Util.h"

#include <QFile>
#include <QLocale>
#include <QStringList>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace {

const QString source = QStringLiteral("ColumnWidthsFile");

QString sinEspacios(QStringView texto) {
    while (!texto.isEmpty() && texto.front() == u' ')
        texto = texto.mid(1);
    while (!texto.isEmpty() && texto.back() == u' ')
        texto.chop(1);
    return texto.toString();
}

// The fields of a line in the delimited form: quoted fields (a doubled quote inside stands for
// one) or bare ones up to the next comma, blanks around them skipped. Nothing for a line with an
// unclosed quote or text after a closing quote.
std::optional<QStringList> campos(QStringView linea) {
    QStringList result;
    qsizetype i = 0;
    const qsizetype n = linea.size();
    for (;;) {
        while (i < n && linea[i] == u' ')
            ++i;
        QString campo;
        if (i < n && linea[i] == u'"') {
            ++i;
            for (;;) {
                if (i >= n) return std::nullopt;
                if (linea[i] == u'"') {
                    if (i + 1 < n && linea[i + 1] == u'"') {
                        campo += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                campo += linea[i++];
            }
            while (i < n && linea[i] == u' ')
                ++i;
            if (i < n && linea[i] != u',') return std::nullopt;
        } else {
            const qsizetype start = i;
            while (i < n && linea[i] != u',')
                ++i;
            campo = sinEspacios(linea.mid(start, i - start));
        }
        result.append(campo);
        if (i >= n) return result;
        ++i; // the comma
    }
}

// The table name as the file keeps it. Quotes are left out: the suite's other programs read the
// file with the platform's delimited input, which has no way to carry a quote inside a field (a
// quoted identifier such as "MA_contactos" thus shares the entry of MA_contactos, the same
// table). Line breaks would split the entry. The name goes through the code page so a name with
// a character the code page lacks still finds its own entry again.
QString claveTabla(const QString& tabla) {
    QString clave = tabla;
    clave.remove(u'"');
    clave.replace(u'\r', u' ');
    clave.replace(u'\n', u' ');
    return TextFile::decode1252(TextFile::encode1252(clave));
}

QString entreComillas(QString texto) {
    texto.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + texto + u'"';
}

// Digits with at most one decimal separator ("," or "."), as the widths are written: the file
// has no group separators, so "1.2.3,4" is a damaged width, not 1234.
bool esNumero(const QString& texto) {
    bool digito = false;
    int separadores = 0;
    for (QChar c : texto) {
        if (c.unicode() >= u'0' && c.unicode() <= u'9')
            digito = true;
        else if (c == u',' || c == u'.')
            ++separadores;
        else
            return false;
    }
    return digito && separadores <= 1;
}

// The lines of the file without their line ends; nothing when it cannot be read.
std::optional<QStringList> lineas(const QString& ruta, QString* error) {
    QFile file(ruta);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    QStringList result;
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine();
        if (file.error() != QFileDevice::NoError) {
            *error = file.errorString();
            return std::nullopt;
        }
        if (bytes.endsWith('\n')) bytes.chop(1);
        if (bytes.endsWith('\r')) bytes.chop(1);
        result.append(TextFile::decode1252(bytes));
    }
    return result;
}

bool enBlanco(const QString& linea) {
    return sinEspacios(linea).isEmpty();
}

} // namespace

QList<std::optional<double>> ColumnWidthsFile::Lectura::anchosFinales(int columnas) const {
    QList<std::optional<double>> result(std::max(columnas, 0));
    for (const Linea& linea : lineas) {
        for (qsizetype i = 0; i < linea.anchos.size() && i < result.size(); ++i) {
            result[i] = linea.anchos[i];
        }
    }
    return result;
}

ColumnWidthsFile::ColumnWidthsFile(const QString& carpeta) {
    const QString base = Util().AddPathSeparator(carpeta);
    archivo_ = base + QStringLiteral("CONSULTASLEN.QLN");
    temporal_ = base + QStringLiteral("CONSULTASLEN.AUX");
}

QString ColumnWidthsFile::tablaDeAnchos(const QString& tablaConsulta) {
    if (tablaConsulta.compare(u"Stk_ma_articulos", Qt::CaseInsensitive) == 0) {
        return QStringLiteral("VT_MA_ARTICULOS");
    }
    return tablaConsulta;
}

ColumnWidthsFile::Lectura ColumnWidthsFile::LeerAnchos(const QString& tablaConsulta,
                                                       int columnas) const {
    Lectura lectura;
    if (!QFile::exists(archivo_)) return lectura;
    const auto detener = [&](int numero, const QString& motivo) {
        lectura.detenida = true;
        lectura.lineaDetenida = numero;
        lectura.motivo = motivo;
        return lectura;
    };
    QString error;
    const std::optional<QStringList> texto = lineas(archivo_, &error);
    if (!texto) {
        return detener(
            0, QStringLiteral("No se puede leer el archivo de anchos %1: %2").arg(archivo_, error));
    }
    const QString clave = claveTabla(tablaDeAnchos(tablaConsulta));
    const Util util;
    for (int numero = 1; numero <= texto->size(); ++numero) {
        const QString& linea = (*texto)[numero - 1];
        if (enBlanco(linea)) continue;
        const std::optional<QStringList> partes = campos(linea);
        if (!partes || partes->size() != 2) {
            return detener(numero,
                           QStringLiteral("La línea %1 del archivo de anchos %2 no se puede leer.")
                               .arg(numero)
                               .arg(archivo_));
        }
        if (claveTabla(partes->at(0)).compare(clave, Qt::CaseInsensitive) != 0) continue;
        Linea aplicada;
        aplicada.numeroLinea = numero;
        QString resto = partes->at(1);
        for (int columna = 1; columna <= columnas; ++columna) {
            const qsizetype barra = resto.indexOf(u'|');
            const QString pieza =
                sinEspacios(QStringView(resto).left(std::max<qsizetype>(barra, 0)));
            QString falla;
            if (barra < 0) {
                falla = QStringLiteral("falta el ancho de la columna %1").arg(columna);
            } else if (pieza.isEmpty()) {
                aplicada.anchos.append(0); // a blank amount is 0, as the suite reads it
            } else if (!esNumero(pieza)) {
                falla = QStringLiteral("el ancho de la columna %1 no es un número").arg(columna);
            } else {
                try {
                    aplicada.anchos.append(util.ToCurrency(pieza).toDouble());
                } catch (const RuntimeError& e) {
                    falla = QStringLiteral("el ancho de la columna %1 no es válido (%2)")
                                .arg(columna)
                                .arg(e.description());
                }
            }
            if (!falla.isEmpty()) {
                aplicada.completa = false;
                lectura.lineas.append(aplicada);
                return detener(numero, QStringLiteral("Línea %1 del archivo de anchos %2: %3.")
                                           .arg(numero)
                                           .arg(archivo_, falla));
            }
            resto = resto.mid(barra + 1);
        }
        lectura.lineas.append(aplicada);
    }
    return lectura;
}

QString ColumnWidthsFile::formatoAncho(double ancho) {
    // Twips of a real column stay far below this; the cap keeps the arithmetic in range.
    if (!std::isfinite(ancho) || ancho < 0) ancho = 0;
    ancho = std::min(ancho, 1e12);
    const long long diezmilesimas = std::llround(ancho * 10000.0);
    QString texto = QString::number(diezmilesimas / 10000);
    QString decimales = QString::number(diezmilesimas % 10000).rightJustified(4, u'0');
    while (decimales.endsWith(u'0'))
        decimales.chop(1);
    if (decimales.isEmpty()) return texto;
    // The reader takes either separator; group separators would read as a decimal one.
    const QString separador =
        QLocale().decimalPoint() == QStringLiteral(",") ? QStringLiteral(",") : QStringLiteral(".");
    return texto + separador + decimales;
}

QString ColumnWidthsFile::textoAnchos(const QList<double>& anchos) {
    QString texto;
    for (double ancho : anchos)
        texto += formatoAncho(ancho) + u'|';
    return texto;
}

void ColumnWidthsFile::GrabarAnchos(const QString& tablaConsulta,
                                    const QList<double>& anchos) const {
    const QString clave = claveTabla(tablaDeAnchos(tablaConsulta));
    QStringList salida;
    if (QFile::exists(archivo_)) {
        QString error;
        const std::optional<QStringList> texto = lineas(archivo_, &error);
        if (!texto) {
            raiseError(
                ErrorNumber::PathFileAccess,
                QStringLiteral("No se puede leer el archivo de anchos %1: %2").arg(archivo_, error),
                source);
        }
        for (int numero = 1; numero <= texto->size(); ++numero) {
            const QString& linea = (*texto)[numero - 1];
            if (enBlanco(linea)) continue;
            const std::optional<QStringList> partes = campos(linea);
            // Rewriting without a line the reader cannot place would lose another table's
            // entry; the file is left for someone to mend instead.
            if (!partes || partes->size() != 2) {
                raiseError(ErrorNumber::InvalidCall,
                           QStringLiteral("La línea %1 del archivo de anchos %2 está dañada; no se "
                                          "grabaron los anchos de las columnas.")
                               .arg(numero)
                               .arg(archivo_),
                           source);
            }
            if (claveTabla(partes->at(0)).compare(clave, Qt::CaseInsensitive) == 0) continue;
            salida.append(entreComillas(claveTabla(partes->at(0))) + u',' +
                          entreComillas(partes->at(1)));
        }
    }
    salida.append(entreComillas(clave) + u',' + entreComillas(textoAnchos(anchos)));

    TextFile::writeLines1252(temporal_, salida);
    // rename() replaces the target in one step, so the widths file is either the old one or the
    // new one, never missing.
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(temporal_).toStdString()),
                            std::filesystem::path(QFile::encodeName(archivo_).toStdString()), ec);
    if (ec) {
        raiseError(ErrorNumber::PathFileAccess,
                   QStringLiteral("No se puede reemplazar el archivo de anchos %1 por %2: %3")
                       .arg(archivo_, temporal_, QString::fromLocal8Bit(ec.message())),
                   source);
    }
}
