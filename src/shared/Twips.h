#pragma once

#include <cmath>

// The suite lays out its windows in twips (1/1440 inch): 15 twips per pixel at 96 dpi.
namespace Twips {
inline int toPixels(double twips, double dpi = 96.0) { return int(std::lround(twips * dpi / 1440.0)); }
inline double fromPixels(double pixels, double dpi = 96.0) { return pixels * 1440.0 / dpi; }
// Lays a widget (anything with setGeometry) out at a designed position and size in twips;
// returns it, so a control is made and placed in one expression.
template <class W> W* place(W* widget, double left, double top, double width, double height, double dpi = 96.0) {
    widget->setGeometry(toPixels(left, dpi), toPixels(top, dpi), toPixels(width, dpi), toPixels(height, dpi));
    return widget;
}
} // namespace Twips
