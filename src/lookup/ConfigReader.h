#pragma once

#include <QString>
#include <functional>

// Reads one configuration key: the value, and the row's auxiliary value into the second argument.
using ConfigReader = std::function<QString(const QString& clave, QString& valorAux)>;
