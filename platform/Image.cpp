#include "platform/Image.h"

#include <QPainter>

TImage::TImage(QWidget *Parent) : QWidget(Parent) {}

void TImage::SetPicture(const QImage &Picture) {
    FPicture = Picture;
    update();
}

QImage &TImage::Canvas() {
    if (FCanvas.isNull() || FCanvas.size() != size()) {
        QImage canvas(size(), QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        if (!FCanvas.isNull()) {
            QPainter painter(&canvas);
            painter.drawImage(0, 0, FCanvas);
        }
        FCanvas = canvas;
    }
    return FCanvas;
}

void TImage::FillCanvas(const QColor &Colour) {
    FFillColour = Colour;
    Canvas().fill(Colour);
    update();
}

void TImage::DrawOnCanvas(int X, int Y, const QImage &Source) {
    QImage &canvas = Canvas();
    if (!canvas.isNull() && !Source.isNull()) {
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(X, Y, Source);
    }
    update();
}

void TImage::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (!FCanvas.isNull()) {
        painter.drawImage(0, 0, FCanvas);
    } else if (!FPicture.isNull()) {
        painter.drawImage(rect(), FPicture);
    }
}
