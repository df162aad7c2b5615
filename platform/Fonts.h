#pragma once

#include <QFont>
#include <QString>

// A font of the window's design: the family as named (substituted by a metric-compatible
// installed family where it is missing), the size in points at 96 pixels per inch, set a little
// narrower so that captions fit the places the design gives them.
QFont DesignFont(const QString &Family, int Points, bool Bold = false);

// The font styles of the window's design, by family, size and weight.
struct FontStyle {
    const char *Family;
    int Points;
    bool Bold;
};
inline constexpr FontStyle Sans8{"MS Sans Serif", 8, false};
inline constexpr FontStyle Sans8Bold{"MS Sans Serif", 8, true};
inline constexpr FontStyle Sans10Bold{"MS Sans Serif", 10, true};
inline constexpr FontStyle Sans12{"MS Sans Serif", 12, false};
inline constexpr FontStyle Sans12Bold{"MS Sans Serif", 12, true};
inline constexpr FontStyle Arial8{"Arial", 8, false};
inline constexpr FontStyle Arial10{"Arial", 10, false};
inline constexpr FontStyle Arial10Bold{"Arial", 10, true};

inline QFont FontOf(const FontStyle &Style) {
    return DesignFont(Style.Family, Style.Points, Style.Bold);
}
