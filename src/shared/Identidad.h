#pragma once

#include <QString>

// The two texts that identify the workstation and its user; they name the INI sections.
class Identidad {
public:
    // The workstation's host name.
    QString FirstIdentity() const;
    // The login name of the user running the program.
    QString SecondIdentity() const;
};
