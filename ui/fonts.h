#pragma once

#include <QFont>

/// Maps the design's font families to free, metric-compatible ones that setup installs:
/// "Arial" and "MS Sans Serif" to Liberation Sans, "Calibri" to Carlito, and the LCD font
/// "QMEX-A2", where it is not installed, to Liberation Sans. Call once, before the first
/// window is built or the first report page drawn.
void installFontSubstitutions();

/// A font of the design: family, character height in pixels (layout is in pixels, not
/// scaled with the screen's resolution), weight.
QFont designFont(const char* family, int pixelSize, bool bold = false);
