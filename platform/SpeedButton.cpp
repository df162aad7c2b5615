#include "platform/SpeedButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

TSpeedButton::TSpeedButton(QWidget *Parent) : QWidget(Parent) {
    resize(TSpeedButton::sizeHint()); // its own size, not a subclass's
}

void TSpeedButton::SetDown(bool Value) {
    // Only a button of a group can stay down.
    if (FGroupIndex == 0) {
        Value = false;
    }
    if (Value != FDown) {
        ApplyDown(Value);
    }
}

void TSpeedButton::ApplyDown(bool Value) {
    FDown = Value;
    if (FDown) {
        ReleaseGroup();
    }
    update();
    DownChanged();
}

void TSpeedButton::ReleaseGroup() {
    if (FGroupIndex == 0 || parentWidget() == nullptr) {
        return;
    }
    const auto Siblings = parentWidget()->findChildren<TSpeedButton *>(Qt::FindDirectChildrenOnly);
    for (TSpeedButton *Other : Siblings) {
        if (Other != this && Other->FGroupIndex == FGroupIndex && Other->FDown) {
            Other->ApplyDown(false);
        }
    }
}

void TSpeedButton::SetGroupIndex(int Value) {
    if (Value == FGroupIndex) {
        return;
    }
    FGroupIndex = Value;
    if (FGroupIndex == 0 && FDown) {
        ApplyDown(false);
    } else if (FDown) {
        ReleaseGroup();
    }
}

void TSpeedButton::SetAllowAllUp(bool Value) {
    FAllowAllUp = Value;
    // The setting belongs to the whole group: a group either allows all-up or it does not.
    if (FGroupIndex == 0 || parentWidget() == nullptr) {
        return;
    }
    const auto Siblings = parentWidget()->findChildren<TSpeedButton *>(Qt::FindDirectChildrenOnly);
    for (TSpeedButton *Other : Siblings) {
        if (Other->FGroupIndex == FGroupIndex) {
            Other->FAllowAllUp = Value;
        }
    }
}

void TSpeedButton::SetFlat(bool Value) {
    FFlat = Value;
    update();
}

void TSpeedButton::SetGlyph(const QImage &Value) {
    FGlyph = Value;
    update();
}

void TSpeedButton::SetNumGlyphs(int Value) {
    FNumGlyphs = std::clamp(Value, 1, 4);
    update();
}

TSpeedButton::TButtonState TSpeedButton::State() const {
    if (!isEnabled()) {
        return bsDisabled;
    }
    if (FDragging && FPointerInside) {
        return bsPressed;
    }
    return FDown ? bsDown : bsUp;
}

QImage TSpeedButton::GlyphFor(TButtonState Which) const {
    if (FGlyph.isNull()) {
        return {};
    }
    const int Width = FGlyph.width() / FNumGlyphs;
    const auto Cell = [&](int Index) {
        return FGlyph.copy(Index * Width, 0, Width, FGlyph.height());
    };
    if (static_cast<int>(Which) < FNumGlyphs) {
        return Cell(static_cast<int>(Which));
    }
    switch (Which) {
    case bsDisabled:
        return Cell(0).convertToFormat(QImage::Format_Grayscale8);
    case bsDown:
        return Cell(FNumGlyphs > bsPressed ? bsPressed : bsUp);
    default:
        return Cell(0);
    }
}

void TSpeedButton::MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
    if (Button != Qt::LeftButton || !isEnabled()) {
        return;
    }
    FDragging = true;
    FPointerInside = rect().contains(X, Y);
    update();
}

void TSpeedButton::MouseMove(Qt::KeyboardModifiers, int X, int Y) {
    if (!FDragging) {
        return;
    }
    const bool Inside = rect().contains(X, Y);
    if (Inside != FPointerInside) {
        FPointerInside = Inside;
        update();
    }
}

void TSpeedButton::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
    if (Button != Qt::LeftButton || !FDragging) {
        return;
    }
    CancelPress();
    // Letting go outside the button takes the click back.
    if (!rect().contains(X, Y)) {
        return;
    }
    if (FGroupIndex != 0) {
        if (!FDown) {
            ApplyDown(true);
        } else if (FAllowAllUp) {
            ApplyDown(false);
        }
    }
    Click();
}

void TSpeedButton::CancelPress() {
    FDragging = false;
    FPointerInside = false;
    update();
}

void TSpeedButton::Click() {
    Notify(FOnClick, this);
}

void TSpeedButton::mousePressEvent(QMouseEvent *Event) {
    const QPoint At = Event->position().toPoint();
    MouseDown(Event->button(), Event->modifiers(), At.x(), At.y());
}

void TSpeedButton::mouseMoveEvent(QMouseEvent *Event) {
    const QPoint At = Event->position().toPoint();
    MouseMove(Event->modifiers(), At.x(), At.y());
}

void TSpeedButton::mouseReleaseEvent(QMouseEvent *Event) {
    const QPoint At = Event->position().toPoint();
    MouseUp(Event->button(), Event->modifiers(), At.x(), At.y());
}

void TSpeedButton::enterEvent(QEnterEvent *Event) {
    FMouseOver = true;
    update();
    QWidget::enterEvent(Event);
}

void TSpeedButton::leaveEvent(QEvent *Event) {
    FMouseOver = false;
    update();
    QWidget::leaveEvent(Event);
}

void TSpeedButton::changeEvent(QEvent *Event) {
    // A button disabled while held would otherwise keep its pressed picture.
    if (Event->type() == QEvent::EnabledChange && !isEnabled() && FDragging) {
        CancelPress();
    }
    QWidget::changeEvent(Event);
}

void TSpeedButton::paintEvent(QPaintEvent *) {
    QPainter Painter(this);
    const TButtonState Now = State();
    const bool Sunken = Now == bsPressed || Now == bsDown;

    // A flat button shows its frame only while it is down, held or under the pointer.
    if (!FFlat || Sunken || FMouseOver) {
        QStyleOption Option;
        Option.initFrom(this);
        Option.state |= Sunken ? QStyle::State_Sunken : QStyle::State_Raised;
        if (FFlat) {
            Option.state |= QStyle::State_AutoRaise;
        }
        style()->drawPrimitive(QStyle::PE_PanelButtonTool, &Option, &Painter, this);
    }

    const QImage Image = GlyphFor(Now);
    if (!Image.isNull()) {
        const int X = (width() - Image.width()) / 2;
        const int Y = (height() - Image.height()) / 2;
        Painter.drawImage(X, Y, Image);
    }
}
