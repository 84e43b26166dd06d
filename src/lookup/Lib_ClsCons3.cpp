#include "Lib_ClsCons3.h"

#include "Lib_FrmCons3.h"
#include "Lib_FrmCons3Tree.h"
#include "MasksFile.h"
#include "SentenciaConsulta.h"
#include "data/DB_Dll.h"
#include "shared/Procedure.h"
#include "shared/Prompts.h"

#include <QCoreApplication>
#include <QDir>
#include <memory>

Lib_ClsCons3::Lib_ClsCons3(DB_Dll& db, ConfigReader leerConfiguracion, QString carpetaPrograma)
    : db_(db), leer_(std::move(leerConfiguracion)), carpetaPrograma_(std::move(carpetaPrograma)) {
    if (carpetaPrograma_.isEmpty() && QCoreApplication::instance()) {
        carpetaPrograma_ = QCoreApplication::applicationDirPath();
    }
    CmpsDevueltos = newCollection();
    Valores = newCollection();
    QString aux;
    MuestraStock = leer_(QStringLiteral("MostrarStockenConsultas"), aux);
    Variant* levels[] = {&StkNivel1, &StkNivel2, &StkNivel3, &StkNivel4};
    for (int i = 0; i < 4; ++i) {
        const QString value = leer_(QStringLiteral("Stk_Nivel%1").arg(i + 1), aux);
        *levels[i] = value.isEmpty() ? Variant(0) : Variant(value);
    }
    CfgUsaConsultaLIKE = leer_(QStringLiteral("UsaConsultaLIKE"), aux)
                             .compare(QStringLiteral("SI"), Qt::CaseInsensitive) == 0;
}

void Lib_ClsCons3::ConsultaSearch(const QString& SQL, CollectionRef* CmpsDevueltosArg,
                                  const QString& Clave, QString* CampoBusqueda, QString* Where,
                                  const QString& SentenciaOpcional, bool TreeView,
                                  const QString& ValoresDefault) {
    QString campoPropio, wherePropio;
    QString& campo = CampoBusqueda ? *CampoBusqueda : campoPropio;
    QString& where = Where ? *Where : wherePropio;
    Procedure p(Handler::skip());

    p.step([&] { where = SentenciaConsulta::ajustarWhere(where); });
    long limite = 1000;
    p.step([&] {
        QString aux;
        limite = SentenciaConsulta::limiteFilas(leer_(QStringLiteral("TopConsArt"), aux));
    });

    QString sentencia;
    bool porDefecto = false;
    if (SQL.contains(u"SELECT", Qt::CaseInsensitive)) {
        p.step([&] { sentencia = SentenciaConsulta::sentenciaDada(SQL); });
    } else if (gUsarMascarasConsultas) {
        // An unreadable masks file counts as no mask: the table's own fields still give a lookup.
        const MasksFile::Busqueda busqueda = MasksFile(gRutaMascaraConsultas).buscar(SQL);
        if (busqueda.finIncompleto && avisoFinIncompleto_ != gRutaMascaraConsultas) {
            // Once per file: the other masks still work, and the operator need not hear of it
            // at every lookup.
            avisoFinIncompleto_ = gRutaMascaraConsultas;
            p.step([&] {
                prompts().message(
                    QStringLiteral("El archivo de máscaras de consulta %1 termina con un registro "
                                   "incompleto, que no se usa; las demás máscaras se usan como "
                                   "siempre. Puede deberse a una grabación interrumpida.")
                        .arg(QDir::toNativeSeparators(gRutaMascaraConsultas)),
                    QStringLiteral("Aviso al operador"), Prompt::Buttons::Ok,
                    Prompt::Icon::Exclamation);
            });
        }
        if (busqueda.estado == MasksFile::Estado::Encontrada && busqueda.registro) {
            mascara_ = busqueda.registro;
            const SentenciaConsulta::DeMascara r = SentenciaConsulta::sentenciaMascara(
                MasksFile::datos(*busqueda.registro), limite, campo, where);
            if (!r.sentencia) {
                p.step([&] {
                    prompts().message(QStringLiteral("Debe configurar la consulta para esta tabla"),
                                      QStringLiteral("Aviso al operador"), Prompt::Buttons::Ok,
                                      Prompt::Icon::Information);
                });
                return;
            }
            campo = r.campoBusqueda;
            sentencia = *r.sentencia;
        } else {
            porDefecto = true;
        }
    } else {
        porDefecto = true;
    }

    if (porDefecto) {
        if (!SentenciaOpcional.isEmpty()) {
            sentencia = SentenciaOpcional;
        } else {
            QStringList campos;
            ado::Recordset rs;
            QString muestra = QStringLiteral("select top 1 * from ") + SQL;
            p.step([&] {
                db_.AbrirRecordset(muestra, rs, {}, ado::adOpenForwardOnly, ado::adLockReadOnly, -1,
                                   true);
            });
            p.step([&] {
                for (long i = 0; i < rs.FieldCount(); ++i)
                    campos.append(rs.Fields(i).Name());
            });
            p.step([&] { db_.CierraRecordset(rs); });
            const SentenciaConsulta::PorDefecto d =
                SentenciaConsulta::sentenciaPorDefecto(SQL, campos, limite, campo);
            campo = d.campoBusqueda;
            sentencia = d.sentencia;
        }
    }

    if (TreeView) {
        auto arbol = std::make_unique<Lib_FrmCons3Tree>(db_);
        p.step([&] {
            arbol->SQL = sentencia;
            arbol->CampoDevuelto = CampoDevuelto;
            arbol->CheckBoxes = Checks;
        });
        p.step([&] { Valores = nullptr; });
        p.step([&] { prompts().execDialog(*arbol); });
        p.step([&] {
            ValorDevuelto = arbol->ValorDevuelto;
            Valores = arbol->Valores;
        });
        p.step([&] { Checks = false; });
        p.step([&] { arbol->Cerrar(); });
    } else {
        auto lista = std::make_unique<Lib_FrmCons3>(db_, leer_, carpetaPrograma_);
        p.step([&] {
            lista->StkNivel1 = StkNivel1;
            lista->StkNivel2 = StkNivel2;
            lista->StkNivel3 = StkNivel3;
            lista->StkNivel4 = StkNivel4;
            lista->MuestraStock = MuestraStock;
            lista->CfgUsaConsultaLIKE = CfgUsaConsultaLIKE;
            lista->OrdenarPorLwv = !sentencia.contains(u"ORDER BY", Qt::CaseInsensitive);
            lista->FiltroInicial = Clave;
            lista->SQL = sentencia;
            lista->CampoDevuelto = CampoDevuelto;
            lista->CheckBoxes = Checks;
            lista->UsaCantidades = UsaCantidades;
            lista->ValoresDefault = ValoresDefault;
            lista->CmpsDevueltos = CmpsDevueltosArg ? *CmpsDevueltosArg : nullptr;
        });
        p.step([&] {
            Valores = nullptr;
            Cantidades = nullptr;
        });
        p.step([&] { prompts().execDialog(*lista); });
        p.step([&] { Checks = false; });
        p.step([&] {
            Valores = lista->Valores;
            Cantidades = lista->Cantidades;
            ValorDevuelto = lista->ValorDevuelto;
        });
        p.step([&] { lista->CampoDevuelto.clear(); });
        p.step([&] { lista->Cerrar(); });
    }

    p.step([&] { CampoDevuelto.clear(); });
    p.step([&] {
        if (!CmpsDevueltosArg || !*CmpsDevueltosArg) return;
        Collection& pasada = **CmpsDevueltosArg;
        while (pasada.Count() > 0)
            pasada.Remove(1);
        *CmpsDevueltosArg = nullptr;
    });
}
