#pragma once

#include "controls/CachedPicture.h"
#include "model/Common.h"

#include <QColor>
#include <QPoint>

#include <cstdint>

class QPainter;

enum Orientation : std::uint8_t { Vertical = 0, Horizontal = 1 };

// A queue link: the plan view of one road section beside the diagram, with a queue bar per
// direction that shows the longest queue the signal at that direction's downstream end builds.
class TSpaceLink : public TCachedPicture {
    Q_OBJECT

  public:
    explicit TSpaceLink(QWidget *Owner = nullptr);
    ~TSpaceLink() override;

    // Published properties.
    QColor BackGroundColor() const { return FBackGroundColor; }
    void SetBackGroundColor(const QColor &Value);
    // Always FeetPerPixel x Height; writes are ignored.
    int HeightInFeet() const;
    void SetHeightInFeet(int) {}
    QColor FwdQueueColor() const { return FFwdQueueColor; }
    void SetFwdQueueColor(const QColor &Value);
    QColor BckQueueColor() const { return FBckQueueColor; }
    void SetBckQueueColor(const QColor &Value);
    int LinePenWidth() const { return FLinePenWidth; }
    void SetLinePenWidth(int Value);
    ::Orientation Orientation() const { return FOrientation; }
    // Turning the road swaps the control's width and height.
    void SetOrientation(::Orientation Value);
    // True while the direction's queue bar is longer than 0; only the queue sets change them.
    bool FwStop() const { return FFwStop; }
    void SetFwStop(bool) {}
    bool BkStop() const { return FBkStop; }
    void SetBkStop(bool) {}

    // The longest queue of a strip's queue set becomes the direction's bar.
    void SetFwQueues(PlatoonSet Value);
    void SetBkQueues(PlatoonSet Value);
    int FwQueueLength() const { return FFwQueueLength; }
    int BkQueueLength() const { return FBkQueueLength; }

  protected:
    void Render(QImage &Picture, bool Fresh) override;

  private:
    void DrawQueueLink(QPainter &Canvas) const;
    void DrawLine(QPainter &Canvas, QPoint From, QPoint To, const QColor &Colour,
                  bool Dotted) const;
    static void FillQueueBar(QPainter &Canvas, QPoint First, QPoint Second, const QColor &Colour);

    QColor FBackGroundColor;
    QColor FFwdQueueColor;
    QColor FBckQueueColor;
    int FLinePenWidth = 1;
    ::Orientation FOrientation = Vertical;
    int FFwQueueLength = 0;
    int FBkQueueLength = 0;
    bool FBkStop = false;
    bool FFwStop = false;
};
