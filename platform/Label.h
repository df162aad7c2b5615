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
    void SetOnClick(TNotifyEvent Handler) { FOnClick = std::move(Handler); }

  protected:
    void mouseReleaseEvent(QMouseEvent *Event) override;

  private:
    TNotifyEvent FOnClick;
};
