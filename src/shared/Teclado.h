#pragma once

#include <QString>

// The platform's key codes, as the suite's key handlers compare them.
namespace KeyCode {
constexpr int Backspace = 8, Tab = 9, Enter = 13, Shift = 16, Escape = 27, Space = 32;
constexpr int PageUp = 33, PageDown = 34, End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40;
constexpr int Insert = 45, Delete = 46, F5 = 116, F12 = 123;
// The key code of a Qt key (letters and digits keep their upper-case character code); 0 when the
// key has none.
int fromQtKey(int qtKey);
} // namespace KeyCode

// The keyboard object of the in-place editor.
class Teclado {
public:
    // True for the keys the in-place editor acts on: Enter, Esc, Up and Down.
    bool IsEditKey(int keyCode) const;
    // The decimal separator of the default locale, one character.
    QString DecimalSeparator() const;
};
