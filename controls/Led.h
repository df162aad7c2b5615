#pragma once

#include "platform/SpeedButton.h"

enum TLedValue { TurnOn, TurnOff };
enum TLedRequest { NoRequest, CloseRequest, OpenRequest };

// An indicator lamp: off shows red, on shows green (the button is down), and the lamp is blue
// while the mouse button is held on it. A left click toggles it; in call-back mode a click
// only records what the owner is asked to do (Request) and leaves the lamp as it is.
//
// Every lamp starts in a group of its own, so it toggles independently unless its owner puts
// several lamps into one group.
class TLed : public TSpeedButton {
    Q_OBJECT

  public:
    explicit TLed(QWidget *Owner = nullptr);

    TLedValue Value() const { return FValue; }
    void SetValue(TLedValue NewValue);
    bool CallBackEnabled() const { return FCallBackEnabled; }
    void SetCallBackEnabled(bool Value) { FCallBackEnabled = Value; }
    TLedRequest Request() const { return FRequest; }

  protected:
    void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y) override;
    void DownChanged() override;

  private:
    TLedValue FValue = TurnOff;
    bool FCallBackEnabled = false;
    TLedRequest FRequest = NoRequest;
};
