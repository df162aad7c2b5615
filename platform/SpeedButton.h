#pragma once

#include "platform/NotifyEvent.h"

#include <QImage>
#include <QWidget>

// A flat tool button without a caption that shows one of several glyph images according to
// its state. With a GroupIndex other than 0 it stays down when clicked, and pressing it down
// releases the other buttons of its group (siblings under the same parent with the same
// GroupIndex). AllowAllUp lets a down button of the group be clicked up again.
//
// The glyph is one strip of NumGlyphs equal images side by side, used in this order for the
// up, disabled, pressed (mouse held on it) and down states; a state without an image of its
// own shows the up image (the disabled state a greyed copy of it).
class TSpeedButton : public QWidget {
    Q_OBJECT

  public:
    enum TButtonState { bsUp, bsDisabled, bsPressed, bsDown };

    explicit TSpeedButton(QWidget *Parent = nullptr);

    bool Down() const { return FDown; }
    void SetDown(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    const QImage &Glyph() const { return FGlyph; }
    void SetGlyph(const QImage &Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);

    const TNotifyEvent &OnClick() const { return FOnClick; }
    void SetOnClick(TNotifyEvent Handler) { FOnClick = std::move(Handler); }

    // The state whose image is shown now.
    TButtonState State() const;
    // The image of one state as it is drawn (a null image when there is no glyph).
    QImage GlyphFor(TButtonState Which) const;

    QSize sizeHint() const override { return {25, 25}; }

  protected:
    // Mouse handling in the button's own terms, so that a descendant can take over a step.
    virtual void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    virtual void MouseMove(Qt::KeyboardModifiers Shift, int X, int Y);
    virtual void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    // Ends a press without toggling and without a click, restoring the picture of the state.
    void CancelPress();
    // A left press that started on this button is under way.
    bool IsPressing() const { return FDragging; }
    // Called after Down has changed, whatever changed it (a click, code, or the group).
    virtual void DownChanged() {}
    virtual void Click();

    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void enterEvent(QEnterEvent *Event) override;
    void leaveEvent(QEvent *Event) override;
    void changeEvent(QEvent *Event) override;
    void paintEvent(QPaintEvent *Event) override;

  private:
    void ApplyDown(bool Value);
    // Releases the other down buttons of this button's group.
    void ReleaseGroup();

    bool FDown = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FFlat = false;
    QImage FGlyph;
    int FNumGlyphs = 1;
    TNotifyEvent FOnClick;

    bool FDragging = false; // the left button went down on this button and is still held
    bool FPointerInside = false;
    bool FMouseOver = false;
};
