#include "platform/Label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

TLabel::TLabel(QWidget *Parent) : QLabel(Parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setContentsMargins(0, 0, 0, 0);
    setIndent(0);
    setMargin(0);
}

void TLabel::SetCaption(const QString &Value) {
    setText(Value);
    // Captions size their label, as a static text with automatic size does.
    adjustSize();
}

void TLabel::mouseReleaseEvent(QMouseEvent *Event) {
    QLabel::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint())) {
        Notify(FOnClick, this);
    }
}

void TLabel::SetOnClick(TNotifyEvent Handler) {
    FOnClick = std::move(Handler);
    setFocusPolicy(FOnClick ? Qt::TabFocus : Qt::NoFocus);
}

void TLabel::keyPressEvent(QKeyEvent *Event) {
    const int key = Event->key();
    if (FOnClick && Event->modifiers() == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        Notify(FOnClick, this);
        return;
    }
    QLabel::keyPressEvent(Event);
}

void TLabel::paintEvent(QPaintEvent *Event) {
    QLabel::paintEvent(Event);
    if (hasFocus()) {
        QPainter painter(this);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
