#pragma once

#include <QWidget>

class TTimeSpaceForm : public QWidget {
    Q_OBJECT
  public:
    explicit TTimeSpaceForm(QWidget *parent = nullptr);
};
