#pragma once

#include <QString>

// Appends the seven default query masks (articles, customers, suppliers, contacts, salesmen,
// technicians, maintenance) to the masks file at path, creating it when it is missing: 7 records,
// 8414 bytes for a new file. Raises RuntimeError 75 naming the path when the file cannot be
// created or written; the records written before the failure stay.
void GrabarMascarasDefault(const QString& path);
