#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// An image control: shows its picture stretched to its own size, or, when something has
// drawn on its canvas, that canvas at its own size.
class TImage : public QWidget {
    Q_OBJECT

  public:
    explicit TImage(QWidget *Parent = nullptr);

    // The picture shown stretched over the control; a null picture shows nothing.
    void SetPicture(const QImage &Picture);
    const QImage &Picture() const { return FPicture; }

    // The control's own drawing surface, created on first use at the control's size.
    QImage &Canvas();
    bool HasCanvas() const { return !FCanvas.isNull(); }
    // Fills the whole canvas with one colour and shows it.
    void FillCanvas(const QColor &Colour);
    // The colour of the last fill (black before any): the ground of what is drawn later.
    const QColor &FillColour() const { return FFillColour; }
    // Draws a picture onto the canvas at a point and shows it.
    void DrawOnCanvas(int X, int Y, const QImage &Source);
    // Asks for the canvas to be shown again after a direct change.
    void CanvasChanged() { update(); }

  protected:
    void paintEvent(QPaintEvent *Event) override;

  private:
    QImage FPicture;
    QImage FCanvas;
    QColor FFillColour = QColor(Qt::black);
};
