#include "controls/CachedPicture.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TCachedPicture::TCachedPicture(QWidget *Owner) : QWidget(Owner) {
    // Drawn from its own picture, which covers it whole while shown.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCachedPicture::SetVisible(bool Value) {
    FVisible = Value;
    // A hidden control draws nothing, so its parent must paint beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent, Value);
    update();
}

const QImage &TCachedPicture::GetBitmap() {
    SyncGeometry();
    if (FBitmapStale || FBitmap.size() != size()) {
        RenderPicture();
    }
    return FBitmap;
}

void TCachedPicture::RenderPicture() {
    FBitmapStale = false;
    ++FRenderCount;
    const bool fresh = FBitmap.size() != size();
    if (fresh) {
        FBitmap = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    }
    if (!FBitmap.isNull()) {
        Render(FBitmap, fresh);
    }
}

void TCachedPicture::paintEvent(QPaintEvent *Event) {
    if (!FVisible) {
        return;
    }
    const QImage &picture = GetBitmap();
    QPainter painter(this);
    painter.drawImage(Event->rect(), picture, Event->rect());
}

void TCachedPicture::mousePressEvent(QMouseEvent *Event) {
    Event->accept();
}

void TCachedPicture::mouseMoveEvent(QMouseEvent *Event) {
    Event->accept();
}

void TCachedPicture::mouseReleaseEvent(QMouseEvent *Event) {
    Event->accept();
}
