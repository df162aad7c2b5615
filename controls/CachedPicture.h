#pragma once

#include <QImage>
#include <QWidget>

// A diagram control drawn from a picture of its own: the picture is rendered on demand, when
// the control's state or size changed since the last rendering, so that the window's
// composition always sees current pictures, shown or not; painting only copies the part of it
// asked for. The control's own Visible flag hides the drawing while the widget stays in place
// (a hidden control lets its parent paint beneath it). Mouse input is taken and goes no
// further, to the panel beneath; a control with gestures handles it instead.
class TCachedPicture : public QWidget {
    Q_OBJECT

  public:
    explicit TCachedPicture(QWidget *Owner = nullptr);

    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);

    // The picture of the current state, rendered if it is stale; owned by the control.
    const QImage &GetBitmap();
    // How often the picture has been rendered: once per change, however often it is asked for.
    int RenderCount() const { return FRenderCount; }

  protected:
    // The state changed: the picture is rendered again when it is next asked for.
    void Changed() { FBitmapStale = true; }
    // Renders now, whether or not anything changed.
    void RenderPicture();
    // Brings what depends on the geometry up to date before the picture is judged stale.
    virtual void SyncGeometry() {}
    // Draws the state into the picture, which has the control's size; Fresh when it was just
    // made for a new size (its pixels are then undefined).
    virtual void Render(QImage &Picture, bool Fresh) = 0;

    void paintEvent(QPaintEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;

  private:
    QImage FBitmap;
    bool FVisible = true;
    bool FBitmapStale = true;
    int FRenderCount = 0;
};
