#include "MascaraConsulta.h"

#include "shared/TextFile.h"

namespace {

void appendField(QByteArray& out, const QString& text, int width) {
    QByteArray bytes = TextFile::encode1252(QStringView(text).left(width));
    bytes.append(QByteArray(width - bytes.size(), ' '));
    out.append(bytes);
}

QString field(const QByteArray& bytes, int offset, int width) {
    return TextFile::decode1252(bytes.mid(offset, width));
}

} // namespace

QByteArray MascaraConsulta::toBytes() const {
    QByteArray out;
    out.reserve(TamanoRegistro);
    appendField(out, TituloMascara, AnchoTitulo);
    appendField(out, TablaMascara, AnchoTabla);
    appendField(out, CamposMascara, AnchoCampos);
    appendField(out, CondicionMascara, AnchoCondicion);
    appendField(out, FinRegistro, AnchoFin);
    return out;
}

std::optional<MascaraConsulta> MascaraConsulta::fromBytes(const QByteArray& bytes) {
    if (bytes.size() != TamanoRegistro) return std::nullopt;
    MascaraConsulta r;
    int offset = 0;
    r.TituloMascara = field(bytes, offset, AnchoTitulo);
    offset += AnchoTitulo;
    r.TablaMascara = field(bytes, offset, AnchoTabla);
    offset += AnchoTabla;
    r.CamposMascara = field(bytes, offset, AnchoCampos);
    offset += AnchoCampos;
    r.CondicionMascara = field(bytes, offset, AnchoCondicion);
    offset += AnchoCondicion;
    r.FinRegistro = field(bytes, offset, AnchoFin);
    return r;
}
