#include "analysis/DiagramOverlay.h"

#include <QChildEvent>
#include <QEvent>
#include <QPainter>

#include <algorithm>

TDiagramOverlay::TDiagramOverlay(QWidget *Panel, const PerJunction<const QWidget *> &Strips,
                                 const QString &Name)
    : QWidget(Panel), FStrips(Strips) {
    setObjectName(Name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // No background of its own: the panel's pictures show through wherever no line is.
    setAutoFillBackground(false);
    setGeometry(Panel->rect());
    hide();
    // The strips' moves, and every sibling's change of stacking; children added to the panel
    // later are watched from their first polish on.
    Panel->installEventFilter(this);
    for (QObject *child : Panel->children()) {
        if (child != this && child->isWidgetType()) {
            child->installEventFilter(this);
        }
    }
}

int TDiagramOverlay::MiddleRow(int Junction) const {
    const QWidget *strip = FStrips[Junction];
    return strip->y() + strip->height() / 2;
}

void TDiagramOverlay::KeepOnTop() {
    if (FStacking) {
        return;
    }
    // Whatever went above the overlay is put back under it in its own order: each such sibling
    // repaints where it lies, and the overlay, as large as the panel, does not repaint at all.
    FStacking = true;
    QList<QWidget *> above;
    bool passed = false;
    for (QObject *child : parentWidget()->children()) {
        if (child == this) {
            passed = true;
        } else if (passed && child->isWidgetType()) {
            above.append(static_cast<QWidget *>(child));
        }
    }
    for (QWidget *sibling : std::as_const(above)) {
        sibling->stackUnder(this);
    }
    FStacking = false;
}

void TDiagramOverlay::showEvent(QShowEvent *Event) {
    QWidget::showEvent(Event);
    raise();
    Follow();
}

bool TDiagramOverlay::eventFilter(QObject *Watched, QEvent *Event) {
    switch (Event->type()) {
    case QEvent::Move:
        // A strip moved up or down: the lines' corners move with its middle row.
        if (std::find(FStrips.begin(), FStrips.end(), Watched) != FStrips.end()) {
            Follow();
        }
        break;
    case QEvent::ZOrderChange:
        KeepOnTop();
        break;
    case QEvent::ChildPolished:
        if (Watched == parentWidget()) {
            QObject *child = static_cast<QChildEvent *>(Event)->child();
            if (child != this && child->isWidgetType()) {
                child->installEventFilter(this);
                KeepOnTop();
            }
        }
        break;
    default:
        break;
    }
    return false;
}

void TDiagramOverlay::Draw(QPainter &Painter, const QRegion &Within) const {
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setClipRegion(Within, Qt::IntersectClip);
    DrawLines(Painter, Within);
    Painter.restore();
}
