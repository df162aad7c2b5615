#pragma once

#include <functional>

class QObject;

// A notify event: a handler called with the sending control, only when one is assigned.
using TNotifyEvent = std::function<void(QObject *Sender)>;

inline void Notify(const TNotifyEvent &event, QObject *sender) {
    if (event) {
        event(sender);
    }
}
