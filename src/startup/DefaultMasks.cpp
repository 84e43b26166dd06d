#include "DefaultMasks.h"

#include "lookup/MasksFile.h"

namespace {

struct Fila {
    const char16_t* titulo;
    const char16_t* tabla;
    const char16_t* campos;
};

// The lookups of the suite's main tables must work on a fresh installation.
constexpr Fila filas[] = {
    {u"ARTICULOS", u"V_MA_ARTICULOS", u"|DESCRIPCION|IDARTICULO|"},
    {u"CLIENTES", u"VT_CLIENTES", u"|RAZON_SOCIAL|CODIGO|CONTACTO|"},
    {u"PROVEEDORES", u"VT_PROVEEDORES", u"|RAZON_SOCIAL|CODIGO|"},
    {u"CONTACTOS", u"MA_CONTACTOS", u"|Nombre_y_Apellido|Domicilio|Localidad|Telefono|"},
    {u"VENDEDORES", u"V_TA_VENDEDORES", u"|NOMBRE|IDVENDEDOR|"},
    {u"TECNICOS", u"V_TA_TECNICOS", u"|NOMBRE|IDTECNICO|"},
    {u"MANTENIMIENTOS", u"V_MA_MANTENIMIENTOS", u"|DESCRIPCION|CODIGO|"},
};

} // namespace

void GrabarMascarasDefault(const QString& path) {
    const MasksFile file(path);
    for (const Fila& fila : filas) {
        MascaraConsulta registro;
        registro.TituloMascara = MasksFile::recortar(QString::fromUtf16(fila.titulo));
        registro.TablaMascara = QString::fromUtf16(fila.tabla);
        registro.CamposMascara = MasksFile::recortar(QString::fromUtf16(fila.campos));
        registro.CondicionMascara = QString();
        registro.FinRegistro = QStringLiteral("\r\n");
        // Each row goes after the last whole record, as the file stands at that moment.
        file.agregar(registro);
    }
}
