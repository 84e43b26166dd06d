#include "LostLink.h"

#include <QHash>
#include <QMutex>

using namespace Qt::StringLiterals;

namespace ado::LostLink {

namespace {

// Connections may be used from more than one thread (a load on a worker).
QMutex guard;
QHash<QString, quint64>& counts() {
    static QHash<QString, quint64> c;
    return c;
}

} // namespace

bool reported(const std::vector<ProviderError>& records) {
    for (const ProviderError& e : records) {
        const QString state = e.SQLState.toUpper();
        if (state.startsWith(u"08"_s) || state == u"57P01"_s || state == u"57P02"_s ||
            state == u"57P03"_s)
            return true;
    }
    return false;
}

quint64 losses(const QString& target) {
    const QMutexLocker lock(&guard);
    return counts().value(target, 0);
}

void noteLoss(const QString& target) {
    const QMutexLocker lock(&guard);
    ++counts()[target];
}

QString message(const QString& detail) {
    QString text = u"Se perdió la conexión con la base de datos. Cuando vuelva a estar "
                   u"disponible, responda Reintentar o repita la operación: el programa se "
                   u"conecta de nuevo, con los mismos datos."_s;
    // The driver's first line says what it saw; the rest repeats it, or the whole statement.
    QString said;
    for (const QString& line : detail.split(u'\n')) {
        said = line.simplified();
        if (!said.isEmpty()) break;
    }
    constexpr qsizetype longest = 200;
    if (said.size() > longest) said = said.left(longest - 1) + u'…';
    if (!said.isEmpty()) text += u"\n("_s + said + u')';
    return text;
}

} // namespace ado::LostLink
