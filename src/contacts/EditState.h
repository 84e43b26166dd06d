#pragma once

#include <QString>

// The contacts window's editing state, shared by the editor, the row writer and the window.
struct EditState {
    QString RecordSource;        // the edited table, "MA_contactos"
    bool gTieneId = false;       // column 0 holds the key "id" and is not editable
    double gFilaPendiente = 0;   // grid row whose edited cells are still to be written; 0: none
    bool gRegistroNuevo = false; // the pending row is a record begun with Insert
};
