#pragma once

#include "controls/CachedPicture.h"
#include "model/Common.h"
#include "model/Travel.h"

#include <QColor>
#include <QPoint>

class QPainter;

// A progression link: the stretch of the time-space diagram between two junction strips. It
// carries the platoons of both directions along the road by the travel time its length and
// speeds give, and draws them as sloped bands with the queues they meet at the signals.
class TTimeSpaceLink : public TCachedPicture {
    Q_OBJECT

  public:
    explicit TTimeSpaceLink(QWidget *Owner = nullptr);
    ~TTimeSpaceLink() override;

    // Published properties.
    QColor BackGroundColor() const { return FBackGroundColor; }
    void SetBackGroundColor(const QColor &Value);
    int FwdSpeedMph() const { return FFwdSpeedMph; }
    void SetFwdSpeedMph(int Value);
    int BackSpeedMph() const { return FBackSpeedMph; }
    void SetBackSpeedMph(int Value);
    // Always FeetPerPixel x Height; writes are ignored.
    int HeightInFeet() const;
    void SetHeightInFeet(int) {}
    bool FillBand() const { return FFillBand; }
    void SetFillBand(bool Value);
    QColor FwdLineColor() const { return FFwdLineColor; }
    void SetFwdLineColor(const QColor &Value);
    QColor BckLineColor() const { return FBckLineColor; }
    void SetBckLineColor(const QColor &Value);
    int LinePenWidth() const { return FLinePenWidth; }
    void SetLinePenWidth(int Value);
    int TrafficLightHeight() const { return FTrafficLightHeight; }
    void SetTrafficLightHeight(int Value);

    // Platoons entering the link (southbound at its top edge, northbound at its far end).
    // Storing a set runs the travel computation once.
    void SetFwInput(PlatoonSet Value);
    void SetBkInput(PlatoonSet Value);
    // Queue sets drawn at the signal below (southbound) and at the top edge (northbound).
    void SetFwQueues(PlatoonSet Value);
    void SetBkQueues(PlatoonSet Value);

    // Merges both stored inputs in place and refreshes both outputs with the current width,
    // height, signal strip height and speeds.
    void ComputeTravel();
    // Run the travel computation and give the set as it reaches the far end.
    PlatoonSet TravelFw();
    PlatoonSet TravelBk();

    // Read access to the stored sets.
    PlatoonSet FwInput() const { return FSets.FwInput; }
    PlatoonSet BkInput() const { return FSets.BkInput; }
    PlatoonSet FwOutput() const { return FSets.FwOutput; }
    PlatoonSet BkOutput() const { return FSets.BkOutput; }
    PlatoonSet FwQueues() const { return FSets.FwQueues; }
    PlatoonSet BkQueues() const { return FSets.BkQueues; }
    const LinkSets &Sets() const { return FSets; }
    // Shows the sets an evaluation of the arterial left for this link, as they are.
    void SetSets(const LinkSets &Value);

    // Pixels from the top edge to the middle of the strip below, where southbound bands end.
    int TravelSpan() const;
    // The span's length in feet and its travel time each way at the current speeds.
    LinkMeasure Measure() const;

  protected:
    void Render(QImage &Picture, bool Fresh) override;

  private:
    // The bitmap being rendered: the painter for fills, and its pixels for one-pixel lines.
    struct Surface {
        QPainter &Painter;
        QRgb *Pixels;
        qsizetype PixelsPerLine;
        int Width;
        int Height;
    };

    void DrawBand(const Surface &Canvas, int Start, int Arrival, int Size, bool Forward) const;
    void DrawQueues(const Surface &Canvas, const PlatoonSet &Queues, bool Forward) const;
    void DrawQuad(const Surface &Canvas, const QPoint (&Corners)[4], const QColor &Colour) const;
    void DrawLine(const Surface &Canvas, QPoint From, QPoint To, const QColor &Colour) const;

    QColor FBackGroundColor;
    QColor FFwdLineColor;
    QColor FBckLineColor;
    int FLinePenWidth = 1;
    bool FFillBand = false;
    int FTrafficLightHeight = 0;
    int FFwdSpeedMph = 30;
    int FBackSpeedMph = 25;
    LinkSets FSets;
};
