#include "analysis/BandOverlay.h"

#include "document/ArterialDocument.h"
#include "model/Diagram.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

TBandOverlay::TBandOverlay(QWidget *Panel, const TArterialDocument *Document,
                           const PerJunction<const QWidget *> &Strips)
    : TDiagramOverlay(Panel, Strips, QStringLiteral("BandOverlay")), FDocument(Document) {
    connect(Document, &TArterialDocument::Recomputed, this, &TBandOverlay::Follow);
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
                points << QPoint(band.StartAt(k) + shift, MiddleRow(k));
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
    // Within the time axis: the marker column beside it stays as it is.
    const QRegion dirty = Event->region() & QRect(0, 0, StripWidth, height());
    if (std::any_of(FEdges.begin(), FEdges.end(), [&dirty](const Edge &edge) {
            return dirty.intersects(edge.Points.boundingRect());
        })) {
        QPainter painter(this);
        Draw(painter, dirty);
    }
}

void TBandOverlay::DrawLines(QPainter &Painter, const QRegion &Within) const {
    for (const Edge &edge : FEdges) {
        if (Within.intersects(edge.Points.boundingRect())) {
            Painter.setPen(QPen(edge.Colour, 1));
            Painter.drawPolyline(edge.Points);
        }
    }
}
