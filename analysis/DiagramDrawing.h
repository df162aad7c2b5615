#pragma once

#include "analysis/TrajectoryDrawing.h"
#include "model/Evaluation.h"
#include "model/Plan.h"

#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

class QPainter;

// The time-space diagram drawn with vector shapes from the plan and its evaluation alone, never
// from the window's pictures, for any paint device (SVG, PDF, a printer, an image): the six
// signal strips over the 460 s time axis, the platoon bands of every link each way, the queues,
// the plan view with its queue bars, optionally the progression band's edges and the simulated
// vehicles' paths, the time axis, the distance scale, the junction numbers and a legend.
//
// It is meant to be read in black and white as well: red is cross-hatched, yellow dotted and
// green plain; southbound platoons are hatched one way and northbound the other, and the legend
// names each.
//
// The drawing's own units: one per second across and one per pixel of the window's diagram
// (FeetPerPixel feet) down, with margins around for the scale, the axis and the legend.

struct DiagramDrawingOptions {
    bool BandLines = false; // the progression band's edges, as the window's overlay shows them
    bool Legend = true;
    // The simulated vehicles' paths, as the window's trajectory overlay shows them.
    std::optional<TrajectoryView> Trajectories;
};

// The whole drawing's size in its own units.
QSizeF DiagramDrawingSize(const DiagramDrawingOptions &Options = {});

// Draws the diagram scaled evenly to fit Target (centred in it). The painter's state is kept.
void DrawDiagram(QPainter &Painter, const QRectF &Target, const ArterialPlan &Plan,
                 const ArterialEvaluation &Result, const DiagramDrawingOptions &Options = {});

// The time axis under a diagram whose second 0 lies at Origin's x and whose bottom edge is at
// Origin's y, one unit a second: a tick every 10 s, a longer one with its label every 50 s, and
// the axis's name. The window's PNG draws the same axis under its own picture.
inline constexpr double TimeAxisHeight = 26.0;
void DrawTimeAxis(QPainter &Painter, QPointF Origin, int Seconds);

// The diagram with its legend and, under it, the measures of both directions, as the exports
// and the command line write it: at its own size, one unit a second, its top left at At.
QSizeF DiagramFigureSize(const DiagramDrawingOptions &Options = {});
void DrawDiagramFigure(QPainter &Painter, QPointF At, const ArterialPlan &Plan,
                       const ArterialEvaluation &Result, const DiagramDrawingOptions &Options = {});
// The figure as an SVG file's bytes (everything vector shapes and text), titled Title.
QByteArray DiagramFigureSvg(const ArterialPlan &Plan, const ArterialEvaluation &Result,
                            const QString &Title, const DiagramDrawingOptions &Options = {});
// The figure as a picture at Scale pixels a unit, on white.
QImage DiagramFigureImage(const ArterialPlan &Plan, const ArterialEvaluation &Result, double Scale,
                          const DiagramDrawingOptions &Options = {});

// The measures of both directions as the window's captions write them (C locale): the stops
// and the delay per vehicle, "+ +" under a cycle failure.
QString MeasuresLine(const DirectionMeasures &Measures, bool Southbound);
