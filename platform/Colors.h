#pragma once

#include <QColor>

// The named colours of the diagram and the window.
namespace NamedColor {
inline const QColor clBlack{0, 0, 0};
inline const QColor clWhite{255, 255, 255};
inline const QColor clSilver{192, 192, 192};
inline const QColor clGray{128, 128, 128};
inline const QColor clTeal{0, 128, 128};
inline const QColor clRed{255, 0, 0};
inline const QColor clGreen{0, 128, 0};
inline const QColor clYellow{255, 255, 0};
inline const QColor clBlue{0, 0, 255};
inline const QColor clNavy{0, 0, 128};
inline const QColor clBtnFace{240, 240, 240};
inline const QColor clWindowText{0, 0, 0};
} // namespace NamedColor
