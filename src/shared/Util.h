#pragma once

#include "Variant.h"

#include <QString>

class QObject;
class RuntimeError;

// The suite's utility object. Every operation is a pure text or number function except
// ReportError, which asks the operator through the run's prompts.
class Util {
public:
    // Shows the error with the procedure's label; returns 3 (abort), 4 (retry) or 5 (ignore).
    int ReportError(const RuntimeError& error, const Variant& omitted = {}, const QString& label = {});
    // The text without any occurrence of the given characters (empty arguments remove nothing).
    QString StripChars(const QString& text, const QString& c1, const QString& c2 = {},
                       const QString& c3 = {}) const;
    // Every occurrence of find (exact case) replaced; an empty find changes nothing.
    QString ReplaceText(const QString& text, const QString& find, const QString& replacement) const;
    // Every occurrence of old, found ignoring case, replaced by new.
    QString SubstituteText(const QString& text, const QString& oldText, const QString& newText) const;
    // The numeric value of a text as currency. Reads the leading number: optional sign, digits,
    // with "," or "." as decimal separator (when both occur, the last one is the decimal separator
    // and the other groups thousands). Blank or no leading number gives 0.
    Currency ToCurrency(const QString& text) const;
    // As ToCurrency, rounded to a whole number (halves to even).
    long ToLong(const QString& text) const;
    // The value, or an empty text when it is Null.
    Variant NullToEmpty(const Variant& value) const;
    // Number of words separated by blanks, tabs or line breaks.
    long CountWords(const QString& text) const;
    // A text that fits a column of `width` characters: line breaks and tabs become blanks,
    // trailing blanks are dropped and the rest is cut to the width, so the result is never longer
    // than the width. Without a width (width < 0) the text is prepared for a list cell the same
    // way and not cut.
    QString FitToWidth(const QString& text, int width = -1) const;
    // The list dialog hands itself to the library; nothing is changed in this build.
    void PrepareForm(QObject* form, bool flag) const;
    // Encodes a text for storing in an INI file: "~" followed by letters, digits, "-" and "_"
    // (never "|" nor "="), and DecodeText gives the original back for any text.
    QString EncodeText(const QString& text) const;
    // Reverses EncodeText; a text that is not an encoding is returned unchanged.
    QString DecodeText(const QString& text) const;
    // The folder ending in exactly one path separator.
    QString AddPathSeparator(const QString& folder) const;
};
