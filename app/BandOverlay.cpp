#include "app/BandOverlay.h"

#include "app/Layout.h"
#include "app/Main.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "model/Travel.h"

#include <QChildEvent>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

ArterialBands WindowBands(const TTimeSpaceForm &Form) {
    PerJunction<GreenTable> greens;
    for (int k = 1; k <= JunctionCount; ++k) {
        const TTimeSpaceLight *light = Form.Light(k);
        for (int i = 0; i < GreenWindowCount; ++i) {
            greens[k].Start[static_cast<std::size_t>(i)] = light->GreenStart(i);
            greens[k].End[static_cast<std::size_t>(i)] = light->GreenEnd(i);
        }
    }
    PerLink<std::int32_t> southbound{};
    PerLink<std::int32_t> northbound{};
    for (int k = 1; k <= LinkCount; ++k) {
        const LinkMeasure link = Form.Link(k)->Measure();
        southbound[k] = link.SouthboundSeconds;
        northbound[k] = link.NorthboundSeconds;
    }
    const int cycle = Form.Light(1)->CycleTime();
    return {FindBand(BandDirection::Southbound, greens, southbound, StripWidth, cycle),
            FindBand(BandDirection::Northbound, greens, northbound, StripWidth, cycle)};
}

TBandOverlay::TBandOverlay(TTimeSpaceForm *Form) : QWidget(Form->TimeSpaceDiagram), FForm(Form) {
    setObjectName("BandOverlay");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // No background of its own: the panel's pictures show through wherever no line is.
    setAutoFillBackground(false);
    setGeometry(Form->TimeSpaceDiagram->rect());
    hide();
    connect(Form, &TTimeSpaceForm::Recomputed, this, &TBandOverlay::Follow);
    // The strips' moves, and every sibling's change of stacking; children added to the panel
    // later are watched from their first polish on.
    QWidget *panel = Form->TimeSpaceDiagram;
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
        if (qobject_cast<TTimeSpaceLight *>(Watched) != nullptr) {
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
    FBands = WindowBands(*FForm);
    QList<Edge> edges;
    const auto add = [&](const ProgressionBand &band, const QColor &colour) {
        if (!band.Exists()) {
            return;
        }
        for (const int shift : {0, band.Width}) {
            QPolygon points;
            for (int k = 1; k <= JunctionCount; ++k) {
                const TTimeSpaceLight *light = FForm->Light(k);
                points << QPoint(band.StartAt(k) + shift, light->y() + light->height() / 2);
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
