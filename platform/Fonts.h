#pragma once

#include <QFont>
#include <QString>

// A font of the window's design: the family as named (substituted by a metric-compatible
// installed family where it is missing), the size in points at 96 pixels per inch.
QFont DesignFont(const QString &Family, int Points, bool Bold = false);
