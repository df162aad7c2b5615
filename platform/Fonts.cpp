#include "platform/Fonts.h"

#include <QStringList>
#include <QtMath>

namespace {
void RegisterSubstitutions() {
    static const bool registered = [] {
        QFont::insertSubstitutions("MS Sans Serif",
                                   QStringList{"Liberation Sans", "Arial", "DejaVu Sans"});
        QFont::insertSubstitutions("Arial", QStringList{"Liberation Sans", "DejaVu Sans"});
        return true;
    }();
    (void)registered;
}

// Liberation Sans has Arial's widths, but placed at fractional advances it sets the design's
// captions a few per cent wider than the design's fonts did on the design's whole-pixel grid
// (MS Sans Serif's bitmap widths are narrower still), and the captions placed for them run
// into their frames and neighbours. Narrowed by this much they keep clear of both.
constexpr int CaptionStretch = 95;
} // namespace

QFont DesignFont(const QString &Family, int Points, bool Bold) {
    RegisterSubstitutions();
    QFont font(Family);
    // Sizes are fixed in pixels so that the layout does not depend on the screen's dpi.
    font.setPixelSize(qRound(Points * 96.0 / 72.0));
    font.setBold(Bold);
    font.setStretch(CaptionStretch);
    // Vertical hinting only, whatever the desktop's setting: the advances stay fractional, so
    // a caption's width is the same on every screen.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}
