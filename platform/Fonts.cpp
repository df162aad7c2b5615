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
} // namespace

QFont DesignFont(const QString &Family, int Points, bool Bold) {
    RegisterSubstitutions();
    QFont font(Family);
    // Sizes are fixed in pixels so that the layout does not depend on the screen's dpi.
    font.setPixelSize(qRound(Points * 96.0 / 72.0));
    font.setBold(Bold);
    return font;
}
