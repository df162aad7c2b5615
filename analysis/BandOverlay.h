#pragma once

#include "analysis/DiagramOverlay.h"
#include "model/Band.h"
#include "model/Common.h"

#include <QColor>
#include <QList>
#include <QPolygon>
#include <QRegion>

class TArterialDocument;

// The progression bands of the document's evaluation (both directions' green windows, the links'
// travel times at their own speeds and lengths, as the passage uses them, so while a re-layout
// is pending the links' old lengths; the 460 s time axis; the efficiency taken of JCT #1's
// cycle in both directions, the cycle both entering platoons are made at), drawn over the
// time-space diagram: for each direction with a band its
// two edges, the first and the last trajectory, as one-pixel lines from junction to junction
// through the middle rows of the strips, within the time axis, on the panel as every overlay
// is (TDiagramOverlay). It follows every recomputation and every move of a strip; hidden it
// does nothing.
class TBandOverlay : public TDiagramOverlay {
    Q_OBJECT

  public:
    // Made hidden, on the diagram panel that holds the strips; the bands are the document's.
    TBandOverlay(QWidget *Panel, const TArterialDocument *Document,
                 const PerJunction<const QWidget *> &Strips);

    // Southbound magenta, northbound orange: neither is a platoon's colour (teal, gray), nor a
    // signal's.
    static inline const QColor SouthboundColour{255, 0, 255};
    static inline const QColor NorthboundColour{255, 140, 0};

    struct Edge {
        QPolygon Points; // one point per junction, JCT #1 first
        QColor Colour;
    };

    // What the overlay shows now (brought up to date when it is shown).
    const ArterialBands &Bands() const { return FBands; }
    const QList<Edge> &Edges() const { return FEdges; }

  protected:
    void paintEvent(QPaintEvent *Event) override;
    void DrawLines(QPainter &Painter, const QRegion &Within) const override;
    // Takes the bands and the strips' places again and repaints where the lines changed.
    void Follow() override;

  private:
    QRegion LinesRegion() const;

    const TArterialDocument *FDocument;
    ArterialBands FBands;
    QList<Edge> FEdges;
};
