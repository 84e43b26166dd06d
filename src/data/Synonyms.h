#pragma once

#include <QString>

// Points the suite's shared tables and views to their restricted "SS_" synonyms for an operator
// who is not an administrator, and removes the "@Admin_" markers with which a statement asks for
// the base table. An administrator (`gEsAdmin` true) only has the markers removed. Pure text;
// raises nothing.
QString SS_TSinonimos(const QString& SQL, bool gEsAdmin);
