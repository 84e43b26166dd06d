#include "BusquedaIncremental.h"

int BusquedaIncremental::enLista(const QStringList& celdas, const QString& texto) {
    const QString buscado = texto.trimmed();
    for (int i = 0; i < celdas.size(); ++i) {
        if (celdas[i].trimmed().startsWith(buscado, Qt::CaseInsensitive)) return i;
    }
    return -1;
}

int BusquedaIncremental::enArbol(const QStringList& textos, const QString& texto) {
    for (int i = 0; i < textos.size(); ++i) {
        const QString& t = textos[i];
        const qsizetype guion = t.indexOf(u'-');
        const QString antes = (guion < 0 ? t : t.left(guion)).trimmed();
        const QString despues = (guion < 0 ? t : t.mid(guion + 1)).trimmed();
        if (antes.startsWith(texto, Qt::CaseInsensitive) ||
            despues.startsWith(texto, Qt::CaseInsensitive)) {
            return i;
        }
    }
    return -1;
}
