#pragma once

#include "shared/RuntimeError.h"

#include <QString>

// Text primitives with the platform's own rules, shared by the statement rewriters: its Trim
// removes blanks only (never tabs or line breaks), its Replace with an empty search text changes
// nothing, and a negative length given to Left or Mid is an invalid call (error 5).
namespace platformtext {

// The text without leading and trailing blanks (tabs and line breaks stay).
inline QStringView trimBlanks(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

inline QString trimBlanks(const QString& text) {
    const QStringView trimmed = trimBlanks(QStringView(text));
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

// Every occurrence of `find`, ignoring letter case, replaced by `with`; an empty `find` changes
// nothing.
inline QString replaceNoCase(const QString& text, const QString& find, const QString& with) {
    if (find.isEmpty()) return text;
    QString result = text;
    return result.replace(find, with, Qt::CaseInsensitive);
}

// Raises error `number` with the platform's description followed by what was wrong.
[[noreturn]] inline void refuse(long number, const QString& why) {
    raiseError(number, errorDescription(number) + QStringLiteral(": ") + why,
               QStringLiteral("DB_Dll"));
}

// The first `length` characters; a negative length raises error 5 as the platform's Left does,
// saying `why`.
inline QString left(const QString& text, qsizetype length, const QString& why) {
    if (length < 0) refuse(ErrorNumber::InvalidCall, why);
    return text.left(length);
}

// `length` characters from the 0-based `from`; a negative length raises error 5 saying `why`.
inline QString mid(const QString& text, qsizetype from, qsizetype length, const QString& why) {
    if (length < 0) refuse(ErrorNumber::InvalidCall, why);
    return text.mid(from, length);
}

} // namespace platformtext
