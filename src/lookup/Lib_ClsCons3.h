#pragma once

#include "ConfigReader.h"
#include "MascaraConsulta.h"
#include "shared/Collection.h"
#include "shared/Util.h"
#include "shared/Variant.h"

#include <QString>
#include <optional>

class DB_Dll;

// The suite's lookup component: a caller names a table or view (or passes a SELECT) and picks
// rows in a modal list or tree dialog; the picked values come back in the public properties.
class Lib_ClsCons3 {
public:
    // Creates the collections and reads the configuration keys through `leerConfiguracion`;
    // the dialogs query through `db`, and the list's column widths are kept in
    // `carpetaPrograma`. A failure of the reader travels to the code that creates the object.
    Lib_ClsCons3(DB_Dll& db, ConfigReader leerConfiguracion, QString carpetaPrograma = {});

    // Public properties, in declaration order.
    Variant StkNivel1, StkNivel2, StkNivel3, StkNivel4; // colours of the four stock levels
    QString MuestraStock;          // "SI" (any case) colours article rows by stock level
    CollectionRef CmpsDevueltos;   // created empty with the object; the call reads its argument
    CollectionRef Valores;         // out: the values picked; null after a cancelled dialog
    CollectionRef Cantidades;      // out: the list's quantities, always empty; a tree leaves it
    bool Checks = false;           // in: check boxes in the dialog; false again after every call
    Variant ValorDevuelto;         // out: the single value picked
    QString gConnString;           // the shared connection's string, set by the start-up
    QString gRutaMascaraConsultas; // full path of the query masks file
    bool gUsarMascarasConsultas = false; // a table name is looked up in the masks file first
    bool UsaCantidades = false;          // in: the list's quantity keys work
    QString CampoDevuelto;               // in: the column returned; empty again after every call

    // Builds the statement for `SQL` (a table or view name, or a complete SELECT), shows the
    // list dialog (or, with TreeView, the tree dialog) modally and leaves the picked values in
    // ValorDevuelto, Valores and Cantidades. `Where` and `CampoBusqueda` may be rewritten in
    // place; a passed `CmpsDevueltos` collection is emptied and the caller's reference set to
    // null. Errors are suppressed (the recordset operations report their own); a mask without a
    // search column, when no CampoBusqueda is given, is told in a message box and ends the call
    // with everything as it was.
    void ConsultaSearch(const QString& SQL, CollectionRef* CmpsDevueltos = nullptr,
                        const QString& Clave = {}, QString* CampoBusqueda = nullptr,
                        QString* Where = nullptr, const QString& SentenciaOpcional = {},
                        bool TreeView = false, const QString& ValoresDefault = {});

    bool usaConsultaLike() const { return CfgUsaConsultaLIKE; }
    const ConfigReader& configReader() const { return leer_; }
    // The last mask record read from the masks file, if any.
    const std::optional<MascaraConsulta>& mascara() const { return mascara_; }
    // The folder of the list's column-widths file.
    const QString& carpetaPrograma() const { return carpetaPrograma_; }

private:
    DB_Dll& db_;
    ConfigReader leer_;
    QString carpetaPrograma_;
    bool CfgUsaConsultaLIKE = false;
    std::optional<MascaraConsulta> mascara_;
    // The masks file whose half record the operator was told about.
    QString avisoFinIncompleto_;
    Util util_;
};
