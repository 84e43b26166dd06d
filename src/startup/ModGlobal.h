#pragma once

#include "shared/Variant.h"

#include <QString>

class Aplicacion;
class DB_Dll;
class Identidad;
class Ini;
class Lib_ClsCons3;
class ProgramFolders;
class Teclado;
class Util;

// Thrown when the start-up could not connect: the program ends at once, without a window and
// without a message. main() catches it; it is deliberately not a std::exception, so no error
// handler of the suite's procedures can take it for a run-time error.
struct ProgramEnd {};

// The installation's settings loaded by CargarConfiguracion.
struct Configuracion {
    bool MostrarStockenConsultas = false;
    QString TituloClientes;
    QString TituloProveedores;
    bool EXIGECLAVECONSULTALIKEARTICULOS = false;
    bool UsaConsultaLike = false;
    QString CantidadDecimales;
    bool UsaMultilesMonedas = false;
    bool UsaFacturaProforma = false;
    bool USACCOSTO = false;
    QString UNIDADDEMEDIDA_M3, UNIDADDEMEDIDA_BL, UNIDADDEMEDIDA_KG;
    long PERIODO = 0;
    bool VALIDACODIGOBARRA = false;
    bool ModuloOrdenDeTrabajo = false;
    bool V_ModificaCPrecio = false, C_ModificaCPrecio = false, MADERERA = false;
    QString MAD_TIRAS, MAD_P2, MAD_ML, MAD_M2, MAD_HOJAS, MAD_ML_P2, MAD_M2_P2, MAD_ML_M2;
    QString CuentaCtroDist;
    Currency MaxDto;
};

// The global module: the run-wide objects (created on first use, alive until the program ends),
// the run values, the start-up routine and the configuration readers.
namespace ModGlobal {

DB_Dll& gDB();
Lib_ClsCons3& gConsultas();
Util& gUtil();
Identidad& gIdentidad();
Ini& gIni();
Aplicacion& gAplicacion();
Teclado& gTeclado();

// Run values.
struct RunValues {
    long gColorLetra = 0;
    long gColorFondo = 0;
    QString gSeccionEquipo;
    Variant gFlatToolbars;
    QString gParametroAdicional;
    QString gMenu;
    QString gCaja;
    QString gUsuarioLogeado;
    QString gDsnOdbc;
    QString gTablaConfiguracion;
    QString gRutaDocTareas;
    QString gUNegocio;
    Configuracion settings;
};
RunValues& run();

// The program's command line (its parameter string); set by main().
void setCommandLine(const QString& commandLine);
// Where the program's files lie (see ProgramFolders): beside the executable when its folder is
// writable, the XDG folders when installed. Tests put every file in a folder of their own.
void setProgramFolder(const QString& folder);
const ProgramFolders& folders();
// The folder of the files the program writes (the masks, the column widths): the "program's
// folder" of the suite's start-up.
QString programFolder();
// The folder of the read-only resources (the exported page's picture).
QString resourceFolder();

// The start-up: reads the parameter string (or the INI file), opens gDB's connection (asking the
// operator when needed) and completes the run's preparation. Throws ProgramEnd when no connection
// could be opened. Error 5 goes on with the next step; any other error ends it silently.
void Inicializar(bool UsarIni, const QString& Parametros, QString& ConnString);
// The host part of a server name: "tcp/SRV01:1433" gives "SRV01".
QString ExtraerServidor(const QString& servidor);

// The value of a configuration key (" " when missing); ValorAux receives the auxiliary value.
QString LeerConfiguracion(const QString& Clave, QString& ValorAux);
// Loads the installation's settings, the documents path and the user's business unit.
void CargarConfiguracion(const QString& CarpetaAplicacion);

// A fresh set of run-wide objects and values, for tests.
void resetForTests();

} // namespace ModGlobal
