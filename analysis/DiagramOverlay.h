#pragma once

#include "model/Common.h"

#include <QWidget>

class QPainter;
class QRegion;

// What every drawing over the time-space diagram shares: a child of the diagram panel as large
// as the panel, above every other child, transparent for the mouse and without a background of
// its own, so that it paints only its lines and leaves the window's composed pictures as they
// are. It keeps itself on top of siblings added or raised later and tells its drawing when a
// strip moves, since junction k is drawn at strip k's middle row.
class TDiagramOverlay : public QWidget {
    Q_OBJECT

  public:
    // The strips' middle rows in the panel, as the overlay places junctions now.
    int MiddleRow(int Junction) const;

    // Draws the lines that cross Within, in the panel's coordinates, one pixel wide and
    // without smoothing: the window's repaint and the exported picture draw the same pixels.
    void Draw(QPainter &Painter, const QRegion &Within) const;

  protected:
    // Made hidden, on the diagram panel that holds the strips.
    TDiagramOverlay(QWidget *Panel, const PerJunction<const QWidget *> &Strips,
                    const QString &Name);

    // Takes the lines again: when shown, and whenever a strip moves.
    virtual void Follow() = 0;
    // Draws the lines that cross Within; Draw has set the painter up and clipped it.
    virtual void DrawLines(QPainter &Painter, const QRegion &Within) const = 0;

    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

  private:
    // Puts every sibling that went above the overlay back under it.
    void KeepOnTop();

    PerJunction<const QWidget *> FStrips{};
    bool FStacking = false;
};
