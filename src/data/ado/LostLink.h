#pragma once

#include "ProviderError.h"

#include <QString>
#include <vector>

namespace ado {

// What the layer knows about links to a database that went away (a server restarted or stopped,
// a network cut, a database file moved). A connection whose link is found gone is opened again
// with its own connection string before its next statement; a connection to the same database
// made before that loss most likely went with it (a server restart ends every session, not only
// the one that noticed), so it is opened again before its next statement too, instead of failing
// once more.
namespace LostLink {

// Whether a driver's diagnostics say that the link is gone: the communication-link SQLSTATEs
// (class 08) and PostgreSQL's server shutting down or restarting (57P01 to 57P03).
bool reported(const std::vector<ProviderError>& records);

// How many times a link to `target` (a database as the driver is given it) was found gone.
quint64 losses(const QString& target);
// Notes that a link to `target` was found gone.
void noteLoss(const QString& target);

// The operator's message: what happened and what to do, then the driver's own words.
QString message(const QString& detail);

} // namespace LostLink

} // namespace ado
