#include "Identidad.h"

#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>

QString Identidad::FirstIdentity() const { return QSysInfo::machineHostName(); }

QString Identidad::SecondIdentity() const {
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}
