#pragma once

#include "platform/NotifyEvent.h"

#include <QLabel>

// A static text with a caption and a click event raised by the user's left click.
class TLabel : public QLabel {
    Q_OBJECT

  public:
    explicit TLabel(QWidget *Parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString &Value);

    const TNotifyEvent &OnClick() const { return FOnClick; }
    // A label that can be clicked is a stop of the tab order, and Space or Enter clicks it.
    void SetOnClick(TNotifyEvent Handler);

  protected:
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    void paintEvent(QPaintEvent *Event) override;

  private:
    TNotifyEvent FOnClick;
};
