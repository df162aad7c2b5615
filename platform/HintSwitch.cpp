#include "platform/HintSwitch.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

namespace {
constexpr const char *HintProperty = "timespaceHint";
}

THintSwitch::THintSwitch(QObject *Parent) : QObject(Parent) {}

void THintSwitch::SetShowHint(bool Value) {
    FShowHint = Value;
    if (!Value) {
        QToolTip::hideText();
    }
}

void THintSwitch::Watch(QWidget *Control) {
    Control->installEventFilter(this);
}

void THintSwitch::SetHint(QWidget *Control, const QString &Text) {
    Control->setProperty(HintProperty, Text);
}

QString THintSwitch::Hint(const QWidget *Control) {
    return Control->property(HintProperty).toString();
}

QString THintSwitch::DisplayText(const QString &Hint) {
    QString shown = Hint;
    shown.replace(QChar('\r'), QChar('\n'));
    return shown;
}

bool THintSwitch::eventFilter(QObject *Watched, QEvent *Event) {
    if (Event->type() == QEvent::ToolTip) {
        auto *control = qobject_cast<QWidget *>(Watched);
        const QString hint = control ? Hint(control) : QString();
        if (FShowHint && !hint.isEmpty()) {
            QToolTip::showText(static_cast<QHelpEvent *>(Event)->globalPos(), DisplayText(hint),
                               control);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QObject::eventFilter(Watched, Event);
}
