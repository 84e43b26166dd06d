#pragma once

#include <QLocale>

// Sets the default locale for one test and puts the previous one back.
class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale& locale) : previous_(QLocale()) {
        QLocale::setDefault(locale);
    }
    ~ScopedLocale() { QLocale::setDefault(previous_); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    // Spanish (Argentina): day-first dates, decimal comma.
    static QLocale argentina() { return QLocale(QLocale::Spanish, QLocale::Argentina); }

private:
    QLocale previous_;
};
