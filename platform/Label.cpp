#include "platform/Label.h"

#include <QMouseEvent>

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
