#include "analysis/BandOverlay.h"

#include "document/ArterialDocument.h"
#include "model/Diagram.h"

#include <QChildEvent>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

TBandOverlay::TBandOverlay(QWidget *Panel, const TArterialDocument *Document,
                           const PerJunction<const QWidget *> &Strips)
    : QWidget(Panel), FDocument(Document), FStrips(Strips) {
    setObjectName("BandOverlay");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // No background of its own: the panel's pictures show through wherever no line is.
    setAutoFillBackground(false);
    setGeometry(Panel->rect());
    hide();
    connect(Document, &TArterialDocument::Recomputed, this, &TBandOverlay::Follow);
    // The strips' moves, and every sibling's change of stacking; children added to the panel
    // later are watched from their first polish on.
    QWidget *panel = Panel;
    panel->installEventFilter(this);
    for (QObject *child : panel->children()) {
        if (child != this && child->isWidgetType()) {
            child->installEventFilter(this);
        }
    }
}

void TBandOverlay::KeepOnTop() {
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

void TBandOverlay::showEvent(QShowEvent *Event) {
    QWidget::showEvent(Event);
    raise();
    Follow();
}

bool TBandOverlay::eventFilter(QObject *Watched, QEvent *Event) {
    switch (Event->type()) {
    case QEvent::Move:
        // A strip moved up or down: the band's corners move with its middle row.
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

void TBandOverlay::Follow() {
    if (!isVisible()) {
        return; // brought up to date when shown
    }
    FBands = FDocument->Result().Bands;
    QList<Edge> edges;
    const auto add = [&](const ProgressionBand &band, const QColor &colour) {
        if (!band.Exists()) {
            return;
        }
        for (const int shift : {0, band.Width}) {
            QPolygon points;
            for (int k = 1; k <= JunctionCount; ++k) {
                const QWidget *strip = FStrips[k];
                points << QPoint(band.StartAt(k) + shift, strip->y() + strip->height() / 2);
            }
            edges.append({points, colour});
        }
    };
    add(FBands.Southbound, SouthboundColour);
    add(FBands.Northbound, NorthboundColour);
    const bool same = std::equal(
        edges.begin(), edges.end(), FEdges.begin(), FEdges.end(),
        [](const Edge &a, const Edge &b) { return a.Points == b.Points && a.Colour == b.Colour; });
    if (same) {
        return;
    }
    // Only where the lines were and where they are now is repainted, so that the pictures
    // beneath are copied again only there.
    QRegion dirty = LinesRegion();
    FEdges = edges;
    dirty += LinesRegion();
    update(dirty);
}

QRegion TBandOverlay::LinesRegion() const {
    QRegion region;
    for (const Edge &edge : FEdges) {
        for (qsizetype i = 1; i < edge.Points.size(); ++i) {
            region += QRect(edge.Points[i - 1], edge.Points[i]).normalized().adjusted(-1, -1, 1, 1);
        }
    }
    return region & QRect(0, 0, StripWidth, height());
}

void TBandOverlay::paintEvent(QPaintEvent *Event) {
    // Asked for wherever anything on the panel repaints: most often no line lies there.
    const QRegion dirty = Event->region() & QRect(0, 0, StripWidth, height());
    QPainter painter;
    for (const Edge &edge : std::as_const(FEdges)) {
        if (!dirty.intersects(edge.Points.boundingRect())) {
            continue;
        }
        if (!painter.isActive()) {
            painter.begin(this);
            painter.setRenderHint(QPainter::Antialiasing, false);
            // Within the time axis: the marker column beside it stays as it is.
            painter.setClipRegion(dirty);
        }
        painter.setPen(QPen(edge.Colour, 1));
        painter.drawPolyline(edge.Points);
    }
}
