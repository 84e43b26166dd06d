#pragma once

#include <QString>
#include <QStringList>

// The incremental search of the lookup dialogs: which row or node a typed text finds.
class BusquedaIncremental {
public:
    // The first of the cells (in the list's current order) that, trimmed, begins with the
    // trimmed text, ignoring case; -1 when none does. An empty text finds the first cell.
    static int enLista(const QStringList& celdas, const QString& texto);
    // The first node text (in the order the nodes were added) whose part before its first "-"
    // or whose part after it (both trimmed; a text without "-" is one part) begins with the
    // text, ignoring case; -1 when none does.
    static int enArbol(const QStringList& textos, const QString& texto);
};
