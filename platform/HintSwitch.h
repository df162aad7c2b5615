#pragma once

#include <QObject>
#include <QString>

class QWidget;

// Pop-up hints with one window-wide switch. A hint's stored text separates its lines with a
// carriage return; it becomes line breaks only when shown.
class THintSwitch : public QObject {
    Q_OBJECT

  public:
    explicit THintSwitch(QObject *Parent = nullptr);

    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);

    // Lets the control show its hint while the switch is on.
    void Watch(QWidget *Control);

    static void SetHint(QWidget *Control, const QString &Text);
    static QString Hint(const QWidget *Control);
    // The text as the hint window shows it: one line per carriage-return separated piece.
    static QString DisplayText(const QString &Hint);

  protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

  private:
    bool FShowHint = false;
};
