#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

// Which arrow of an up/down control the user clicked: "next" raises the position
// (the upper arrow of a vertical control, the right arrow of a horizontal one).
enum TUDBtnType { btNext, btPrev };

using TUDClickEvent = std::function<void(QObject *Sender, TUDBtnType Button)>;

// An up/down control: two arrow buttons that step a 16-bit position by Increment between
// Min and Max, without wrapping and without an edit box. The click event is raised only when
// the user's click moved the position; at the end of the range a click does nothing. Values
// set from code are clamped into the range without an event.
class TUpDown : public QWidget {
    Q_OBJECT

  public:
    explicit TUpDown(QWidget *Parent = nullptr);

    int Min() const { return FMin; }
    void SetMin(int Value);
    int Max() const { return FMax; }
    void SetMax(int Value);
    int Position() const { return FPosition; }
    void SetPosition(int Value);
    int Increment() const { return FIncrement; }
    void SetIncrement(int Value) { FIncrement = Value; }
    Qt::Orientation Orientation() const { return FOrientation; }
    void SetOrientation(Qt::Orientation Value);

    const TUDClickEvent &OnClick() const { return FOnClick; }
    void SetOnClick(TUDClickEvent Handler) { FOnClick = std::move(Handler); }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void changeEvent(QEvent *Event) override;
    // Up or Right steps to the next position, Down or Left to the previous, as the arrows do.
    void keyPressEvent(QKeyEvent *Event) override;

  private:
    enum class Arrow { None, Next, Prev };

    Arrow ArrowAt(const QPoint &Point) const;
    QRect ArrowRect(Arrow Which) const;
    // One step in the given direction; raises OnClick when the position moved.
    void Step(Arrow Which);
    void RepeatStep();
    void ClampPosition();

    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
    int FIncrement = 1;
    Qt::Orientation FOrientation = Qt::Vertical;
    TUDClickEvent FOnClick;

    Arrow FPressed = Arrow::None; // the arrow held down with the left button
    bool FPointerOnPressed = false;
    QTimer FRepeat;
};
