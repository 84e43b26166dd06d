#pragma once

#include "shared/Variant.h"

#include <QList>
#include <QString>
#include <vector>

class Procedure;

// The tree of the tree lookup as data: a root "Consulta..." (key "A") and one node per row, keyed
// "A" + code, whose depth follows from the length of its code. The dialog shows it as it is.
class ArbolCodigos {
public:
    struct Nodo {
        QString clave;
        QString texto;
        int padre = -1;   // index of the parent node; -1 for a top-level node (the root)
        QList<int> hijos; // indexes of the children, in tree order
    };
    enum class Relacion { Siguiente, Hijo };

    // Number of the error of a second node with a key already in the tree.
    static constexpr long ClaveRepetida = 35602;

    // A tree holding only the root.
    ArbolCodigos();

    // The nodes in the order they were added; index 0 is the root.
    const QList<Nodo>& nodos() const { return nodos_; }
    // The top-level nodes in tree order (the root and any node added as its sibling).
    const QList<int>& raices() const { return raices_; }

    // Adds a node as the next sibling or the last child of node `relativo` and returns its
    // index. Raises RuntimeError ClaveRepetida when a row node already has the key (ignoring
    // case); the root's own key does not count, so an empty code becomes the root's sibling.
    int agregar(int relativo, Relacion relacion, const QString& clave, const QString& texto);

    // Adds one node per row of `filas` (field, record: code in field 0, description in field 1)
    // by the depth rule: a longer key than the current node's goes below it, an equal one beside
    // it, a shorter one is tried again one level up. Each failure goes to `p`; going on skips
    // the row, leaving ends the building with the tree as far as it got.
    void construir(const std::vector<std::vector<Variant>>& filas, Procedure& p);

    // The code of a node: its key without the first character.
    QString codigo(int nodo) const { return nodos_[nodo].clave.mid(1); }
    // The nodes up to `niveles` levels below a node (children, grandchildren...).
    QList<int> descendientes(int nodo, int niveles) const;
    // The node with the key (ignoring case), or -1.
    int buscarClave(const QString& clave) const;

private:
    QList<Nodo> nodos_;
    QList<int> raices_;
};
