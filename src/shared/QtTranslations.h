#pragma once

// Qt's own texts (the save dialog's labels and columns, the standard buttons, the context menus of
// the text boxes) in the operators' language, from Debian's Qt translations.
class QtTranslations {
public:
    // Installs Qt's Spanish texts into the running application, whatever the session's locale;
    // false when they are not installed on this machine (Qt's English texts stay).
    static bool install();
};
