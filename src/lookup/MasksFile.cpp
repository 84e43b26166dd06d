#include "MasksFile.h"

#include "shared/RuntimeError.h"
#include "shared/Util.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString source = QStringLiteral("MasksFile");
}

MasksFile::MasksFile(QString path) : path_(std::move(path)) {}

QString MasksFile::recortar(const QString& texto) {
    qsizetype begin = 0;
    qsizetype end = texto.size();
    while (begin < end && texto[begin] == u' ')
        ++begin;
    while (end > begin && texto[end - 1] == u' ')
        --end;
    return texto.mid(begin, end - begin);
}

QString MasksFile::limpiar(const QString& texto) {
    return recortar(Util().StripChars(texto, QString(QChar(0)), QString(QChar(0xFF))));
}

QString MasksFile::columnasDe(const QString& campos) {
    QString columnas =
        recortar(Util().ReplaceText(campos, QStringLiteral("|"), QStringLiteral(",")));
    if (columnas.startsWith(u',')) columnas.remove(0, 1);
    if (columnas.endsWith(u',')) columnas.chop(1);
    return columnas.isEmpty() ? QStringLiteral("*") : columnas;
}

std::optional<QString> MasksFile::columnaBusquedaDe(const QString& columnas) {
    const qsizetype coma = columnas.indexOf(u',');
    if (coma < 0) return std::nullopt;
    return columnas.left(coma);
}

MasksFile::Datos MasksFile::datos(const MascaraConsulta& registro) {
    Datos d;
    d.tabla = limpiar(registro.TablaMascara);
    d.columnas = columnasDe(registro.CamposMascara);
    d.columnaBusqueda = columnaBusquedaDe(d.columnas);
    d.condicion = limpiar(registro.CondicionMascara);
    return d;
}

MasksFile::Busqueda MasksFile::buscar(const QString& tabla) const {
    Busqueda result;
    const QFileInfo info(path_);
    if (!info.exists()) {
        result.estado = Estado::SinArchivo;
        return result;
    }
    QFile file(path_);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        result.estado = Estado::Ilegible;
        result.error =
            QStringLiteral("No se puede leer el archivo de máscaras %1: %2")
                .arg(path_, info.isDir() ? QStringLiteral("es una carpeta") : file.errorString());
        return result;
    }
    // Told whichever record matches: the half record is there all the same.
    result.finIncompleto = file.size() % MascaraConsulta::TamanoRegistro != 0;
    const QString buscada = recortar(tabla);
    for (qint64 numero = 1;; ++numero) {
        const QByteArray bytes = file.read(MascaraConsulta::TamanoRegistro);
        if (bytes.isEmpty() && file.error() == QFileDevice::NoError) break; // end of file
        if (file.error() != QFileDevice::NoError) {
            result.estado = Estado::Ilegible;
            result.error = QStringLiteral("No se puede leer el archivo de máscaras %1: %2")
                               .arg(path_, file.errorString());
            return result;
        }
        const std::optional<MascaraConsulta> registro = MascaraConsulta::fromBytes(bytes);
        if (!registro) {
            // Half a record (an interrupted write, say): never read as a mask.
            result.finIncompleto = true;
            break;
        }
        // A record without a table name (blank, or all bytes 0 or 255 of a damaged file) is the
        // mask of nothing, not of an empty name.
        const QString clave = limpiar(registro->TablaMascara);
        if (!clave.isEmpty() && clave.compare(buscada, Qt::CaseInsensitive) == 0) {
            result.estado = Estado::Encontrada;
            result.registro = registro;
            result.numeroRegistro = numero;
            return result;
        }
    }
    result.estado = Estado::SinMascara;
    return result;
}

qint64 MasksFile::agregar(const MascaraConsulta& registro) const {
    QFile file(path_);
    if (QFileInfo(path_).isDir() || !file.open(QIODevice::ReadWrite)) {
        raiseError(ErrorNumber::PathFileAccess,
                   QStringLiteral("No se puede crear ni abrir el archivo de máscaras %1: %2")
                       .arg(path_, file.errorString()),
                   source);
    }
    const qint64 numero = file.size() / MascaraConsulta::TamanoRegistro + 1;
    const qint64 offset = (numero - 1) * MascaraConsulta::TamanoRegistro;
    const QByteArray bytes = registro.toBytes();
    if (!file.seek(offset) || file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        // A record cut short by a full disk would be read as garbage by the suite's other
        // programs; the file is put back to whole records.
        file.resize(offset);
        raiseError(
            ErrorNumber::PathFileAccess,
            QStringLiteral("No se puede escribir el archivo de máscaras %1: %2").arg(path_, why),
            source);
    }
    return numero;
}
