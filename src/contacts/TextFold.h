#pragma once

#include <QString>
#include <QStringView>

// Texts as the Spanish order compares them at its first level, for searching the grid: case and
// accents away ("Pérez" and "PEREZ" fold alike), but "ñ" stays a letter of its own, apart from
// "n". Precomposed and decomposed forms fold alike. The letters of Western texts take a table
// look-up, so a million cells fold quickly.
class TextFold {
public:
    // The folded text.
    static QString fold(QStringView text);
    // Appends the folded text to `out` (reusing its storage from cell to cell).
    static void appendFolded(QStringView text, QString& out);
};
