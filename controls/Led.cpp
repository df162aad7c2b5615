#include "controls/Led.h"

namespace {
// Group indices handed to new lamps, one group per lamp.
int NextGroupIndex = 1;
} // namespace

TLed::TLed(QWidget *Owner) : TSpeedButton(Owner) {
    SetAllowAllUp(true);
    SetNumGlyphs(4);
    SetGroupIndex(NextGroupIndex++);
    resize(25, 25);
    // Four 19 x 19 lamps side by side: red (up), green (disabled), blue (held), green (down).
    SetGlyph(QImage(QStringLiteral(":/pictures/DOWN.bmp")));
}

void TLed::SetValue(TLedValue NewValue) {
    if (NewValue == FValue) {
        return;
    }
    FValue = NewValue;
    SetDown(NewValue == TurnOn);
}

void TLed::DownChanged() {
    // The value follows the button whatever moved it, including another lamp of the same
    // group going down and releasing this one.
    FValue = Down() ? TurnOn : TurnOff;
}

void TLed::MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) {
    if (Button != Qt::LeftButton || !isEnabled()) {
        return;
    }
    if (FCallBackEnabled) {
        // The owner decides: record the request, end the press, leave value and state alone.
        // Letting go outside the lamp takes the click back, as it does for a plain click.
        if (IsPressing() && rect().contains(X, Y)) {
            FRequest = FValue == TurnOn ? CloseRequest : OpenRequest;
        }
        CancelPress();
        return;
    }
    // The toggle in the button's own handling sets the value through DownChanged, before the
    // click event runs.
    TSpeedButton::MouseUp(Button, Shift, X, Y);
}
