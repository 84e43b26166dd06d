#pragma once

#include <cmath>

// The suite lays out its windows in twips (1/1440 inch): 15 twips per pixel at 96 dpi.
namespace Twips {
inline int toPixels(double twips, double dpi = 96.0) { return int(std::lround(twips * dpi / 1440.0)); }
inline double fromPixels(double pixels, double dpi = 96.0) { return pixels * 1440.0 / dpi; }
} // namespace Twips
