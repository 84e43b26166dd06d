#pragma once

#include "shared/Collection.h"
#include "shared/Variant.h"

#include <QString>
#include <functional>

// Reads one configuration key: the value, and the row's auxiliary value into the second argument.
using ConfigReader = std::function<QString(const QString& clave, QString& valorAux)>;

// The suite's lookup component: a caller names a table or view (or passes a SELECT) and picks
// rows in a modal list or tree dialog; the picked values come back in the public properties.
class Lib_ClsCons3 {
public:
    // Creates the collections and reads the configuration keys through `leerConfiguracion`;
    // a failure of the reader travels to the code that creates the object.
    explicit Lib_ClsCons3(ConfigReader leerConfiguracion);

    // Public properties, in declaration order.
    Variant StkNivel1, StkNivel2, StkNivel3, StkNivel4;
    QString MuestraStock;
    CollectionRef CmpsDevueltos;
    CollectionRef Valores;
    CollectionRef Cantidades;
    bool Checks = false;
    Variant ValorDevuelto;
    QString gConnString;
    QString gRutaMascaraConsultas;
    bool gUsarMascarasConsultas = false;
    bool UsaCantidades = false;
    QString CampoDevuelto;

    bool usaConsultaLike() const { return CfgUsaConsultaLIKE; }
    const ConfigReader& configReader() const { return leer_; }

private:
    ConfigReader leer_;
    bool CfgUsaConsultaLIKE = false;
};
