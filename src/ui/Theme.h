#pragma once

#include <QColor>
#include <QPalette>

namespace pintora {

// The accent colour of the dark appearance (system blue).
inline QColor accentColor()
{
    return QColor(0x0A, 0x84, 0xFF);
}

// A neutral 50 % grey (Qt's own gray is lighter, #A0A0A4).
inline QColor neutralGrey()
{
    return QColor(128, 128, 128);
}

// `color` with its alpha replaced.
inline QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

// A dark palette in the spirit of the desktop's dark appearance.
QPalette darkPalette();

// Makes every window of the process dark, whatever the desktop's theme.
void applyDarkAppearance();

} // namespace pintora
