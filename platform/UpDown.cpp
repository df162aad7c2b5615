#include "platform/UpDown.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {
// Held arrows repeat like the keyboard: a pause, then steady steps.
constexpr int RepeatDelayMs = 400;
constexpr int RepeatIntervalMs = 80;

int To16Bit(int Value) {
    return std::clamp(Value, int{std::numeric_limits<std::int16_t>::min()},
                      int{std::numeric_limits<std::int16_t>::max()});
}
} // namespace

TUpDown::TUpDown(QWidget *Parent) : QWidget(Parent) {
    FRepeat.setSingleShot(false);
    connect(&FRepeat, &QTimer::timeout, this, &TUpDown::RepeatStep);
    resize(TUpDown::sizeHint()); // its own size, not a subclass's
    // Reached by Tab, not by a click, so that clicking the arrows moves no focus.
    setFocusPolicy(Qt::TabFocus);
}

void TUpDown::SetMin(int Value) {
    FMin = To16Bit(Value);
    ClampPosition();
}

void TUpDown::SetMax(int Value) {
    FMax = To16Bit(Value);
    ClampPosition();
}

void TUpDown::SetPosition(int Value) {
    FPosition = To16Bit(Value);
    ClampPosition();
}

void TUpDown::SetOrientation(Qt::Orientation Value) {
    if (Value != FOrientation) {
        FOrientation = Value;
        update();
    }
}

// A range given upside down (Min above Max) still bounds the position; "next" then
// steps toward Max, that is downwards.
void TUpDown::ClampPosition() {
    FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
}

QSize TUpDown::sizeHint() const {
    return FOrientation == Qt::Vertical ? QSize(16, 24) : QSize(24, 16);
}

QRect TUpDown::ArrowRect(Arrow Which) const {
    const QRect Whole = rect();
    if (FOrientation == Qt::Vertical) {
        const int Half = Whole.height() / 2;
        return Which == Arrow::Next ? QRect(0, 0, Whole.width(), Half)
                                    : QRect(0, Half, Whole.width(), Whole.height() - Half);
    }
    const int Half = Whole.width() / 2;
    return Which == Arrow::Prev ? QRect(0, 0, Half, Whole.height())
                                : QRect(Half, 0, Whole.width() - Half, Whole.height());
}

TUpDown::Arrow TUpDown::ArrowAt(const QPoint &Point) const {
    if (ArrowRect(Arrow::Next).contains(Point)) {
        return Arrow::Next;
    }
    if (ArrowRect(Arrow::Prev).contains(Point)) {
        return Arrow::Prev;
    }
    return Arrow::None;
}

void TUpDown::Step(Arrow Which) {
    const int Direction = (FMax >= FMin) ? 1 : -1;
    const long long Delta = static_cast<long long>(FIncrement) * Direction;
    const long long Wanted = FPosition + (Which == Arrow::Next ? Delta : -Delta);
    const long long Low = std::min(FMin, FMax);
    const long long High = std::max(FMin, FMax);
    const int NewPosition = static_cast<int>(std::clamp(Wanted, Low, High));
    if (NewPosition == FPosition) {
        return;
    }
    FPosition = NewPosition;
    if (FOnClick) {
        FOnClick(this, Which == Arrow::Next ? btNext : btPrev);
    }
}

void TUpDown::RepeatStep() {
    FRepeat.setInterval(RepeatIntervalMs);
    if (FPressed != Arrow::None && FPointerOnPressed && isEnabled()) {
        Step(FPressed);
    }
}

void TUpDown::mousePressEvent(QMouseEvent *Event) {
    if (Event->button() != Qt::LeftButton || !isEnabled() || FPressed != Arrow::None) {
        QWidget::mousePressEvent(Event);
        return;
    }
    const Arrow Which = ArrowAt(Event->position().toPoint());
    if (Which == Arrow::None) {
        return;
    }
    FPressed = Which;
    FPointerOnPressed = true;
    update();
    FRepeat.start(RepeatDelayMs);
    Step(Which);
}

void TUpDown::mouseMoveEvent(QMouseEvent *Event) {
    if (FPressed == Arrow::None) {
        return;
    }
    const bool OnPressed = ArrowRect(FPressed).contains(Event->position().toPoint());
    if (OnPressed != FPointerOnPressed) {
        FPointerOnPressed = OnPressed;
        update();
    }
}

void TUpDown::mouseReleaseEvent(QMouseEvent *Event) {
    if (Event->button() != Qt::LeftButton || FPressed == Arrow::None) {
        return;
    }
    FPressed = Arrow::None;
    FPointerOnPressed = false;
    FRepeat.stop();
    update();
}

void TUpDown::keyPressEvent(QKeyEvent *Event) {
    if (Event->modifiers() != Qt::NoModifier || !isEnabled()) {
        QWidget::keyPressEvent(Event);
        return;
    }
    switch (Event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        Step(Arrow::Next);
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        Step(Arrow::Prev);
        break;
    default:
        QWidget::keyPressEvent(Event);
    }
}

void TUpDown::changeEvent(QEvent *Event) {
    if (Event->type() == QEvent::EnabledChange && !isEnabled()) {
        FPressed = Arrow::None;
        FPointerOnPressed = false;
        FRepeat.stop();
    }
    QWidget::changeEvent(Event);
}

void TUpDown::paintEvent(QPaintEvent *) {
    QPainter Painter(this);
    for (const Arrow Which : {Arrow::Next, Arrow::Prev}) {
        QStyleOption Option;
        Option.initFrom(this);
        Option.rect = ArrowRect(Which);
        const bool Sunken = FPressed == Which && FPointerOnPressed;
        Option.state |= Sunken ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &Option, &Painter, this);

        QStyle::PrimitiveElement Element;
        if (FOrientation == Qt::Vertical) {
            Element =
                Which == Arrow::Next ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown;
        } else {
            Element = Which == Arrow::Next ? QStyle::PE_IndicatorArrowRight
                                           : QStyle::PE_IndicatorArrowLeft;
        }
        Option.rect = Option.rect.adjusted(2, 2, -2, -2);
        if (Sunken) {
            Option.rect.translate(1, 1);
        }
        style()->drawPrimitive(Element, &Option, &Painter, this);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect Focus;
        Focus.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &Focus, &Painter, this);
    }
}
