#pragma once

#include "shared/Prompts.h"

#include <QString>
#include <chrono>
#include <functional>
#include <optional>

class QWidget;

// The export buttons' rules: the save dialog of each button, how the chosen name is completed,
// which writer a name goes to, the progress shown while a long export runs, and opening the
// written file with the desktop's program.
class ExportNames {
public:
    enum class Writer { None, Html, Excel };

    // Told (records or rows done, total) while an export runs; answering false cancels it.
    using Progress = std::function<bool(long long done, long long total)>;
    // Opens a file with the program the desktop associates with it, and calls `failed` when that
    // cannot be done: at once, or later when the desktop's opener gives up.
    using Opener = std::function<void(const QString& path, std::function<void()> failed)>;

    // Save dialog flags: ask before creating, hide the read-only box, ask before overwriting.
    static constexpr long dialogFlags = 8198;

    static QString htmlFilter();     // "Páginas Web (*.htm)|*.htm|"
    static QString excelFilter();    // "Documento de Excel(*.xlsx)|*.xlsx|"
    static QString htmlExtension();  // ".htm"
    static QString excelExtension(); // ".xlsx"

    // The save dialog of the button "HTM" or "Excel" (key compared ignoring case); nothing for
    // any other key.
    static std::optional<Prompt::SaveDialog> dialogFor(const QString& buttonKey);
    // The name the export writes: "" when the chosen name is blank (the export stops); a name
    // ending ".htm" or ".xlsx" (any case) as it stands; a name ending ".xls" with an "x" appended,
    // since the workbook is written in the format of that extension; any other with the default
    // extension appended.
    static QString completeName(const QString& chosen, const QString& defaultExtension);
    // The writer of a completed name: its last three characters "htm" or "xls" (any case), or
    // the ending ".xlsx"; None for anything else.
    static Writer writerFor(const QString& name);

    // Opens the file with the desktop's associated program (xdg-open), without a shell and
    // without waiting for it. The flag (open with the focus) has no say on this desktop. When the
    // file cannot be opened the operator is told, with the file's full path, as soon as that is
    // known.
    static void AbrirArchivo(const QString& path, bool flag = false);
    // What the operator is told when `path` could not be opened.
    static QString notOpenedText(const QString& path);
    // Replaces the opener for the whole run (tests record the path instead of starting a
    // program); returns the previous one. An empty opener restores the desktop's.
    static Opener setOpener(Opener opener);

    // A progress report for the writers: exports of more than `threshold` records show a
    // progress dialog over `parent` with a "Cancelar" button, and pending events run while it
    // shows; smaller ones run without one. The dialog goes when the export ends.
    static Progress progressDialog(QWidget* parent, long long threshold = 5000);
    // The same dialog for the window's other long tasks, with their own title and text: shown
    // once the task has run for `delay`, whatever its size. A task that does not know its total
    // reports a negative one: the dialog then shows only that it goes on, its text counting
    // what is done in place of a "%1".
    static Progress progressDialog(QWidget* parent, const QString& title, const QString& label,
                                   std::chrono::milliseconds delay);
};
