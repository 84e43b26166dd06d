#include "ArbolCodigos.h"

#include "shared/Procedure.h"
#include "shared/RuntimeError.h"

ArbolCodigos::ArbolCodigos() {
    nodos_.append({QStringLiteral("A"), QStringLiteral("Consulta..."), -1, {}});
    raices_.append(0);
}

int ArbolCodigos::buscarClave(const QString& clave) const {
    for (int i = 1; i < nodos_.size(); ++i) {
        if (nodos_[i].clave.compare(clave, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

int ArbolCodigos::agregar(int relativo, Relacion relacion, const QString& clave,
                          const QString& texto) {
    if (relativo < 0 || relativo >= nodos_.size())
        raiseError(ErrorNumber::InvalidCall, QStringLiteral("ArbolCodigos"));
    if (buscarClave(clave) >= 0) {
        raiseError(ClaveRepetida,
                   QStringLiteral("La clave no es única en la colección: %1").arg(clave),
                   QStringLiteral("ArbolCodigos"));
    }
    const int nuevo = int(nodos_.size());
    if (relacion == Relacion::Hijo) {
        nodos_.append({clave, texto, relativo, {}});
        nodos_[relativo].hijos.append(nuevo);
        return nuevo;
    }
    const int padre = nodos_[relativo].padre;
    nodos_.append({clave, texto, padre, {}});
    QList<int>& hermanos = padre < 0 ? raices_ : nodos_[padre].hijos;
    hermanos.insert(hermanos.indexOf(relativo) + 1, nuevo);
    return nuevo;
}

void ArbolCodigos::construir(const std::vector<std::vector<Variant>>& filas, Procedure& p) {
    const size_t registros = filas.empty() ? 0 : filas[0].size();
    int actual = 0;
    size_t i = 0;
    while (i < registros && !p.left()) {
        QString clave = QStringLiteral("A");
        QString texto;
        p.step([&] {
            const QString codigo = filas[0][i].toDisplayString();
            clave = QStringLiteral("A") + codigo;
            if (filas.size() < 2)
                raiseError(ErrorNumber::SubscriptOutOfRange, QStringLiteral("ArbolCodigos"));
            texto = codigo + QStringLiteral(" - ") + filas[1][i].toDisplayString();
        });
        if (p.left()) return;
        const qsizetype d = clave.size() - nodos_[actual].clave.size();
        if (d < 0 && nodos_[actual].padre >= 0) {
            actual = nodos_[actual].padre;
            continue;
        }
        const Relacion relacion = d > 0 ? Relacion::Hijo : Relacion::Siguiente;
        p.step([&] { actual = agregar(actual, relacion, clave, texto); });
        ++i;
    }
}

QList<int> ArbolCodigos::descendientes(int nodo, int niveles) const {
    QList<int> result;
    if (niveles <= 0) return result;
    for (int hijo : nodos_[nodo].hijos) {
        result.append(hijo);
        result.append(descendientes(hijo, niveles - 1));
    }
    return result;
}
