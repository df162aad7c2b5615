#include "app/MainForm.h"

#include "app/Layout.h"
#include "controls/Led.h"
#include "controls/SpaceLink.h"
#include "controls/ThdTimer.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "platform/Colors.h"
#include "platform/Fonts.h"
#include "platform/Image.h"
#include "platform/JpegImage.h"
#include "platform/Label.h"
#include "platform/TrackBar.h"
#include "platform/UpDown.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QStyledItemDelegate>

#include <variant>

using namespace NamedColor;

namespace {

// A group box of the form, or the form itself (no box).
using Box = QGroupBox *TMainForm::*;

// Every entry names its field and the control's object name alike.
#define NAMED(Field_) .Field = &TMainForm::Field_, .Name = #Field_

struct LabelEntry {
    TLabel *TMainForm::*Field;
    const char *Name;
    Box In = nullptr;
    QPoint At; // sized to its caption from here
    const char *Caption;
    FontStyle Font;
    QColor Colour = clWindowText;
};

struct TrackBarEntry {
    TTrackBar *TMainForm::*Field;
    const char *Name;
    Box In = nullptr;
    QRect Bounds;
    int Min, Max, Position, LineSize, PageSize, Frequency;
};

struct UpDownEntry {
    TUpDown *TMainForm::*Field;
    const char *Name;
    QRect Bounds;
    Qt::Orientation Orientation;
    int Min, Max, Increment, Position;
};

struct GroupBoxEntry {
    QGroupBox *TMainForm::*Field;
    const char *Name;
    const char *Caption;
    QRect Bounds;
};

struct ButtonEntry {
    QPushButton *TMainForm::*Field;
    const char *Name;
    Box In = nullptr;
    const char *Caption;
    QRect Bounds;
    FontStyle Font;
};

struct LedEntry {
    TLed *TMainForm::*Field;
    const char *Name;
    QRect Bounds; // in the lamps' box
};

using Entry =
    std::variant<LabelEntry, TrackBarEntry, UpDownEntry, GroupBoxEntry, ButtonEntry, LedEntry>;

// The form's controls outside the diagram panel, in their stacking order (later ones lie
// above earlier ones). Sizes of labels come from their captions.
const Entry FormTable[] = {
    // Left margin: the mile scale and the junction numbers (the ruler is a picture).
    LabelEntry{NAMED(Label37), .At = {3, 77}, .Caption = "Mile(s)", .Font = Sans8Bold},
    LabelEntry{NAMED(Label8), .At = {48, 77}, .Caption = "JCT#", .Font = Sans8Bold},
    LabelEntry{NAMED(Label51), .At = {2, 91}, .Caption = "N", .Font = Sans10Bold},
    LabelEntry{NAMED(Label52), .At = {5, 463}, .Caption = "S", .Font = Sans10Bold},
    LabelEntry{NAMED(Label32), .At = {25, 92}, .Caption = "0", .Font = Sans8Bold},
    LabelEntry{NAMED(Label34), .At = {26, 217}, .Caption = "1", .Font = Sans8Bold},
    LabelEntry{NAMED(Label35), .At = {26, 342}, .Caption = "2", .Font = Sans8Bold},
    LabelEntry{NAMED(Label36), .At = {26, 465}, .Caption = "3", .Font = Sans8Bold},
    LabelEntry{NAMED(Label40), .At = {33, 122}, .Caption = "\u00BC", .Font = Sans10Bold},
    LabelEntry{NAMED(Label42), .At = {29, 246}, .Caption = "\u00BC", .Font = Sans10Bold},
    LabelEntry{NAMED(Label41), .At = {29, 372}, .Caption = "\u00BC", .Font = Sans10Bold},
    LabelEntry{NAMED(Label43), .At = {31, 153}, .Caption = "\u00BD", .Font = Sans10Bold},
    LabelEntry{NAMED(Label45), .At = {30, 277}, .Caption = "\u00BD", .Font = Sans10Bold},
    LabelEntry{NAMED(Label44), .At = {28, 402}, .Caption = "\u00BD", .Font = Sans10Bold},
    LabelEntry{NAMED(Label46), .At = {31, 184}, .Caption = "\u00BE", .Font = Sans10Bold},
    LabelEntry{NAMED(Label47), .At = {30, 310}, .Caption = "\u00BE", .Font = Sans10Bold},
    LabelEntry{NAMED(Label48), .At = {29, 434}, .Caption = "\u00BE", .Font = Sans10Bold},
    LabelEntry{NAMED(Label1), .At = {56, 87}, .Caption = "-1-", .Font = Sans12Bold},
    LabelEntry{NAMED(Label2), .At = {39, 166}, .Caption = "--------2", .Font = Sans8Bold},
    LabelEntry{NAMED(Label3), .At = {39, 240}, .Caption = "--------3", .Font = Sans8Bold},
    LabelEntry{NAMED(Label4), .At = {39, 315}, .Caption = "--------4", .Font = Sans8Bold},
    LabelEntry{NAMED(Label5), .At = {39, 390}, .Caption = "--------5", .Font = Sans8Bold},
    LabelEntry{NAMED(Label6), .At = {56, 462}, .Caption = "-6-", .Font = Sans12Bold},

    // Top row: volumes and speeds.
    LabelEntry{NAMED(Label7), .At = {86, 8}, .Caption = "Southbound Vol.", .Font = Arial10},
    TrackBarEntry{NAMED(FwMainRoadVol), .Bounds = {77, 24, 121, 33}, .Min = 0, .Max = 1000,
                  .Position = 0, .LineSize = 10, .PageSize = 20, .Frequency = 100},
    LabelEntry{NAMED(FwMainRoadVolLabel), .At = {93, 54}, .Caption = "0", .Font = Arial10Bold},
    LabelEntry{NAMED(Label22), .At = {125, 54}, .Caption = "veh/hr", .Font = Arial10},
    LabelEntry{NAMED(Label16), .At = {214, 8}, .Caption = "Northbound Vol.", .Font = Arial10},
    TrackBarEntry{NAMED(BkMainRoadVol), .Bounds = {205, 24, 121, 33}, .Min = 0, .Max = 1000,
                  .Position = 0, .LineSize = 10, .PageSize = 20, .Frequency = 100},
    LabelEntry{NAMED(BkMainRoadVolLabel), .At = {221, 54}, .Caption = "0", .Font = Arial10Bold},
    LabelEntry{NAMED(Label26), .At = {261, 54}, .Caption = "veh/hr", .Font = Arial10},
    LabelEntry{NAMED(Label10), .At = {341, 8}, .Caption = "South bo. Speed", .Font = Arial10},
    TrackBarEntry{NAMED(MainRoadSpeedLimitFwd), .Bounds = {333, 24, 113, 33}, .Min = 35, .Max = 55,
                  .Position = 45, .LineSize = 1, .PageSize = 2, .Frequency = 1},
    LabelEntry{NAMED(MainRoadSpeedFwdLimLabel), .At = {349, 54}, .Caption = "45",
               .Font = Arial10Bold},
    LabelEntry{NAMED(Label23), .At = {413, 54}, .Caption = "mph", .Font = Arial10},
    LabelEntry{NAMED(Label33), .At = {461, 8}, .Caption = "North bo. Speed", .Font = Arial10},
    TrackBarEntry{NAMED(MainRoadSpeedLimitBkd), .Bounds = {453, 24, 113, 33}, .Min = 35, .Max = 55,
                  .Position = 45, .LineSize = 1, .PageSize = 2, .Frequency = 1},
    LabelEntry{NAMED(MainRoadSpeedBkdLimLabel), .At = {469, 54}, .Caption = "45",
               .Font = Arial10Bold},
    LabelEntry{NAMED(Label55), .At = {533, 54}, .Caption = "mph", .Font = Arial10},

    // Right column: the crossroad boxes.
    GroupBoxEntry{NAMED(EnteringTrafficControls), .Caption = "Entering Traffic",
                  .Bounds = {615, 142, 97, 97}},
    LabelEntry{NAMED(Label9), .In = &TMainForm::EnteringTrafficControls, .At = {9, 11},
               .Caption = "from crossroad #2", .Font = Sans8},
    TrackBarEntry{NAMED(SideVol), .In = &TMainForm::EnteringTrafficControls,
                  .Bounds = {8, 29, 81, 34}, .Min = 0, .Max = 100, .Position = 0, .LineSize = 1,
                  .PageSize = 5, .Frequency = 10},
    LabelEntry{NAMED(DivertedTraffic1), .In = &TMainForm::EnteringTrafficControls, .At = {18, 62},
               .Caption = "0", .Font = Arial10Bold, .Colour = clBlue},
    LabelEntry{NAMED(Label21), .In = &TMainForm::EnteringTrafficControls, .At = {69, 62},
               .Caption = "%", .Font = Arial10, .Colour = clBlue},
    LabelEntry{NAMED(DivertedTraffic2), .In = &TMainForm::EnteringTrafficControls, .At = {18, 78},
               .Caption = "0", .Font = Arial10Bold},
    LabelEntry{NAMED(Label39), .In = &TMainForm::EnteringTrafficControls, .At = {47, 78},
               .Caption = "Veh/hr", .Font = Arial10},
    GroupBoxEntry{NAMED(LeavingTrafficControls), .Caption = "Leaving Traffic",
                  .Bounds = {615, 363, 97, 97}},
    LabelEntry{NAMED(Label12), .In = &TMainForm::LeavingTrafficControls, .At = {9, 11},
               .Caption = "onto crossroad #5", .Font = Sans8},
    TrackBarEntry{NAMED(TrafficLeaving), .In = &TMainForm::LeavingTrafficControls,
                  .Bounds = {8, 30, 81, 33}, .Min = 0, .Max = 100, .Position = 0, .LineSize = 1,
                  .PageSize = 5, .Frequency = 10},
    LabelEntry{NAMED(PercentLeaving1), .In = &TMainForm::LeavingTrafficControls, .At = {18, 63},
               .Caption = "0", .Font = Arial10Bold, .Colour = clBlue},
    LabelEntry{NAMED(Label13), .In = &TMainForm::LeavingTrafficControls, .At = {73, 63},
               .Caption = "%", .Font = Arial10Bold, .Colour = clBlue},
    LabelEntry{NAMED(PercentLeaving2), .In = &TMainForm::LeavingTrafficControls, .At = {18, 79},
               .Caption = "0", .Font = Arial10Bold},
    LabelEntry{NAMED(Label38), .In = &TMainForm::LeavingTrafficControls, .At = {48, 79},
               .Caption = "Veh/hr", .Font = Arial10},

    // Bottom band: the measures.
    GroupBoxEntry{NAMED(GroupBox2), .Caption = "Delay Parameters for South-bound Traffic",
                  .Bounds = {32, 496, 575, 33}},
    LabelEntry{NAMED(Label15), .In = &TMainForm::GroupBox2, .At = {40, 12},
               .Caption = "Expected Stops/Veh.", .Font = Arial10},
    LabelEntry{NAMED(ArtStops), .In = &TMainForm::GroupBox2, .At = {174, 12}, .Caption = "0.0",
               .Font = Arial10Bold, .Colour = clBlack},
    LabelEntry{NAMED(Label24), .In = &TMainForm::GroupBox2, .At = {200, 12}, .Caption = "stop(s)",
               .Font = Arial10},
    LabelEntry{NAMED(Label28), .In = &TMainForm::GroupBox2, .At = {300, 12},
               .Caption = "Expected Delay/Veh.", .Font = Arial10},
    LabelEntry{NAMED(DelayPerVeh), .In = &TMainForm::GroupBox2, .At = {433, 12}, .Caption = "00.0",
               .Font = Arial10Bold, .Colour = clBlack},
    LabelEntry{NAMED(TimeUnits), .In = &TMainForm::GroupBox2, .At = {465, 12}, .Caption = "sec",
               .Font = Arial10},

    // The gestures' legend.
    GroupBoxEntry{NAMED(GroupBox1), .Caption = "CycleTime Functions",
                  .Bounds = {32, 532, 313, 137}},
    LabelEntry{NAMED(Label19), .In = &TMainForm::GroupBox1, .At = {8, 24},
               .Caption = "CYCLE OFFSET", .Font = Sans8Bold},
    LabelEntry{NAMED(Label11), .In = &TMainForm::GroupBox1, .At = {104, 24},
               .Caption = "CLICK-DRAG on RED or GREEN", .Font = Sans8},
    LabelEntry{NAMED(Label20), .In = &TMainForm::GroupBox1, .At = {8, 40}, .Caption = "SPLIT",
               .Font = Sans8Bold},
    LabelEntry{NAMED(Label14), .In = &TMainForm::GroupBox1, .At = {104, 40},
               .Caption = "CLICK-DRAG on YELLOW", .Font = Sans8},
    LabelEntry{NAMED(Label25), .In = &TMainForm::GroupBox1, .At = {8, 56}, .Caption = "CYCLE TIME",
               .Font = Sans8Bold},
    LabelEntry{NAMED(Label17), .In = &TMainForm::GroupBox1, .At = {104, 56},
               .Caption = "SHIFT-CLICK-DRAG HORZ on CycleTime ", .Font = Sans8},
    LabelEntry{NAMED(Label27), .In = &TMainForm::GroupBox1, .At = {8, 72}, .Caption = "LINK LENGTH",
               .Font = Sans8Bold},
    LabelEntry{NAMED(Label18), .In = &TMainForm::GroupBox1, .At = {104, 72},
               .Caption = "CTRL-CLICK-DRAG VERT on CycleTime", .Font = Sans8},
    LabelEntry{NAMED(Label29), .In = &TMainForm::GroupBox1, .At = {8, 88}, .Caption = "RESET",
               .Font = Sans8Bold},
    LabelEntry{NAMED(Label30), .In = &TMainForm::GroupBox1, .At = {104, 88},
               .Caption = "Right-CLICK to Reset CycleTime", .Font = Sans8},
    LabelEntry{NAMED(Label31), .In = &TMainForm::GroupBox1, .At = {8, 121},
               .Caption = "TimeSpace: signal coordination study", .Font = Sans8},

    // The junction panel; its selector is made apart (see BuildJunctionSelector).
    GroupBoxEntry{NAMED(GroupBox5), .Caption = "Light State", .Bounds = {351, 532, 139, 137}},
};

// The junction panel's rows, after its selector.
const Entry PanelTable[] = {
    LabelEntry{NAMED(Label56), .In = &TMainForm::GroupBox5, .At = {6, 48},
               .Caption = "CYCLE OFFSET", .Font = Sans8Bold},
    LabelEntry{NAMED(Label58), .In = &TMainForm::GroupBox5, .At = {94, 48}, .Caption = ":",
               .Font = Sans8Bold},
    LabelEntry{NAMED(CycleOffset), .In = &TMainForm::GroupBox5, .At = {100, 48}, .Caption = "O",
               .Font = Sans8},
    UpDownEntry{NAMED(CycleOffsetUpDown), .Bounds = {120, 45, 16, 20}, .Orientation = Qt::Vertical,
                .Min = 0, .Max = 100, .Increment = 1, .Position = 0},
    LabelEntry{NAMED(Label54), .In = &TMainForm::GroupBox5, .At = {6, 72}, .Caption = "SPLIT",
               .Font = Sans8Bold},
    LabelEntry{NAMED(Label57), .In = &TMainForm::GroupBox5, .At = {75, 72}, .Caption = ":",
               .Font = Sans8Bold},
    LabelEntry{NAMED(SplitGreen), .In = &TMainForm::GroupBox5, .At = {82, 72}, .Caption = "G",
               .Font = Sans8, .Colour = clGreen},
    LabelEntry{NAMED(Label60), .In = &TMainForm::GroupBox5, .At = {95, 72}, .Caption = "/",
               .Font = Sans8},
    LabelEntry{NAMED(SplitRed), .In = &TMainForm::GroupBox5, .At = {102, 72}, .Caption = "R",
               .Font = Sans8, .Colour = clRed},
    UpDownEntry{NAMED(SplitUpDown), .Bounds = {116, 71, 20, 14}, .Orientation = Qt::Horizontal,
                .Min = -100, .Max = 100, .Increment = 1, .Position = 0},
    LabelEntry{NAMED(Label53), .In = &TMainForm::GroupBox5, .At = {6, 96}, .Caption = "CYCLE TIME",
               .Font = Sans8Bold},
    LabelEntry{NAMED(Label59), .In = &TMainForm::GroupBox5, .At = {94, 96}, .Caption = ":",
               .Font = Sans8Bold},
    LabelEntry{NAMED(CycleTime), .In = &TMainForm::GroupBox5, .At = {100, 96}, .Caption = "CT",
               .Font = Sans8},
    UpDownEntry{NAMED(CycleTimeUpDown), .Bounds = {120, 93, 16, 20}, .Orientation = Qt::Vertical,
                .Min = -115, .Max = 100, .Increment = 5, .Position = 0},

    // The diagram's buttons, the lamps' box and help.
    GroupBoxEntry{NAMED(GroupBox3), .Caption = "TimeSpace Diagram", .Bounds = {496, 532, 111, 137}},
    ButtonEntry{NAMED(Refresh), .In = &TMainForm::GroupBox3, .Caption = "Refresh",
                .Bounds = {10, 29, 92, 44}, .Font = Sans12},
    ButtonEntry{NAMED(ReSet), .In = &TMainForm::GroupBox3, .Caption = "Reset",
                .Bounds = {10, 85, 92, 44}, .Font = Sans12},
    GroupBoxEntry{NAMED(GroupBox4), .Caption = "Cycle Failure", .Bounds = {623, 532, 89, 59}},
    LabelEntry{NAMED(Label50), .In = &TMainForm::GroupBox4, .At = {4, 19}, .Caption = "Southbound",
               .Font = Arial8},
    LedEntry{NAMED(CFSouth), .Bounds = {64, 15, 20, 20}},
    LabelEntry{NAMED(Label49), .In = &TMainForm::GroupBox4, .At = {4, 40}, .Caption = "Northbound",
               .Font = Arial8},
    LedEntry{NAMED(CFNorth), .Bounds = {63, 36, 20, 20}},
    ButtonEntry{NAMED(HelpSetup), .Caption = "Help Setup", .Bounds = {623, 597, 89, 25},
                .Font = Sans8},
    ButtonEntry{NAMED(Help), .Caption = "Help", .Bounds = {623, 626, 89, 33}, .Font = Sans12},
};

// Rows of a drop-down list at a fixed height, as the design gives it, whatever the style.
class TFixedRowDelegate : public QStyledItemDelegate {
  public:
    TFixedRowDelegate(int Height, QObject *Parent) : QStyledItemDelegate(Parent), FHeight(Height) {}

    QSize sizeHint(const QStyleOptionViewItem &Option, const QModelIndex &Index) const override {
        return {QStyledItemDelegate::sizeHint(Option, Index).width(), FHeight};
    }

  private:
    int FHeight;
};

constexpr int JctItemHeight = 13;

template <class Control> Control *Named(Control *control, const char *name) {
    control->setObjectName(name);
    return control;
}

TImage *MakeImage(QWidget *parent, const char *name, QRect bounds, const QImage &picture) {
    auto *image = Named(new TImage(parent), name);
    image->setGeometry(bounds);
    image->SetPicture(picture);
    return image;
}

// Builds one table entry into its field of the form.
struct EntryBuilder {
    TMainForm &Form;

    QWidget *Parent(Box in) const { return in ? static_cast<QWidget *>(Form.*in) : Form.Client(); }

    void operator()(const LabelEntry &e) const {
        auto *label = Named(new TLabel(Parent(e.In)), e.Name);
        label->setFont(FontOf(e.Font));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, e.Colour);
        label->setPalette(palette);
        label->move(e.At);
        label->SetCaption(QString::fromUtf8(e.Caption));
        Form.*e.Field = label;
    }

    void operator()(const TrackBarEntry &e) const {
        auto *bar = Named(new TTrackBar(Parent(e.In)), e.Name);
        bar->setGeometry(e.Bounds);
        bar->SetMin(e.Min);
        bar->SetMax(e.Max);
        bar->SetPosition(e.Position);
        bar->SetLineSize(e.LineSize);
        bar->SetPageSize(e.PageSize);
        bar->SetFrequency(e.Frequency);
        Form.*e.Field = bar;
    }

    void operator()(const UpDownEntry &e) const {
        auto *upDown = Named(new TUpDown(Form.GroupBox5), e.Name);
        upDown->setGeometry(e.Bounds);
        upDown->SetOrientation(e.Orientation);
        upDown->SetMin(e.Min);
        upDown->SetMax(e.Max);
        upDown->SetIncrement(e.Increment);
        upDown->SetPosition(e.Position);
        Form.*e.Field = upDown;
    }

    void operator()(const GroupBoxEntry &e) const {
        auto *box = Named(new QGroupBox(e.Caption, Form.Client()), e.Name);
        box->setFont(FontOf(Sans8));
        // The caption sits on the frame's top line, so that contents placed from the box's top
        // edge clear it as they are laid out.
        box->setStyleSheet(
            "QGroupBox { border: 1px solid #a0a0a0; border-radius: 2px;"
            " margin-top: 6px; }"
            "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
            " left: 7px; padding: 0px 1px; top: 0px; }");
        box->setGeometry(e.Bounds);
        Form.*e.Field = box;
    }

    void operator()(const LedEntry &e) const {
        auto *led = Named(new TLed(Form.GroupBox4), e.Name);
        led->setGeometry(e.Bounds);
        led->SetFlat(true);
        led->SetGroupIndex(1);
        led->SetAllowAllUp(true);
        led->SetValue(TLedValue::TurnOff);
        led->SetCallBackEnabled(false);
        // Shown only while its direction fails, by the blinking.
        led->hide();
        Form.*e.Field = led;
    }

    void operator()(const ButtonEntry &e) const {
        auto *button = Named(new QPushButton(e.Caption, Parent(e.In)), e.Name);
        button->setGeometry(e.Bounds);
        button->setFont(FontOf(e.Font));
        Form.*e.Field = button;
    }
};

#undef NAMED

} // namespace

TMainForm::TMainForm(QWidget *Parent) : QWidget(Parent) {
    setObjectName("TimeSpaceForm");
    setWindowTitle("TimeSpace Diagram");
    // 738 x 706 outside; the client area is what remains inside a standard frame.
    resize(FormClientSize);
    move(311, 234);
    setFont(FontOf(Sans8));
    QPalette formPalette = palette();
    formPalette.setColor(QPalette::Window, clBtnFace);
    formPalette.setColor(QPalette::WindowText, clWindowText);
    setPalette(formPalette);
    setAutoFillBackground(true);

    // The form's controls lie on a client area of the form's size, so that a menu bar can sit
    // above it without moving any control against the form.
    FClient = Named(new QWidget(this), "FormClient");
    FClient->setGeometry(QRect(QPoint(0, 0), FormClientSize));
    BuildDiagram();
    Image14 = MakeImage(FClient, "Image14", {36, 96, 17, 377},
                        LoadJpegResource(":/pictures/Image14.jpg"));
    const EntryBuilder build{*this};
    for (const Entry &entry : FormTable) {
        std::visit(build, entry);
    }
    Label31->resize(228, 13);
    BuildJunctionSelector();
    for (const Entry &entry : PanelTable) {
        std::visit(build, entry);
    }
    Refresh->setEnabled(false);

    ThreadedTimer1 = Named(new TThreadedTimer(this), "ThreadedTimer1");
    ThreadedTimer1->SetEnabled(false);
    ThreadedTimer1->SetInterval(BlinkInterval);

    // Tab order (after the diagram panel, which the window puts first): the four top track bars,
    // the crossroad boxes, the buttons, the panel.
    QWidget *const tabOrder[] = {FwMainRoadVol,
                                 BkMainRoadVol,
                                 MainRoadSpeedLimitFwd,
                                 MainRoadSpeedLimitBkd,
                                 SideVol,
                                 TrafficLeaving,
                                 Refresh,
                                 ReSet,
                                 Help,
                                 HelpSetup,
                                 JCT,
                                 CycleOffsetUpDown,
                                 SplitGreen,
                                 SplitRed,
                                 SplitUpDown,
                                 CycleTimeUpDown};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

// The diagram panel, bottom of the stacking first: the backdrop pictures, the links, the
// queue links, the junction markers, and the strips last, above every link they can meet.
void TMainForm::BuildDiagram() {
    TimeSpaceDiagram = Named(new QWidget(FClient), "TimeSpaceDiagram");
    TimeSpaceDiagram->setGeometry(DiagramLeft, PanelTop, DiagramWidth, PanelHeight);
    QPalette panelPalette = TimeSpaceDiagram->palette();
    panelPalette.setColor(QPalette::Window, clBlack);
    TimeSpaceDiagram->setPalette(panelPalette);
    TimeSpaceDiagram->setAutoFillBackground(true);
    QWidget *panel = TimeSpaceDiagram;

    Image1 = MakeImage(panel, "Image1", {StripWidth, 0, MarkerWidth, PanelHeight},
                       QImage(":/pictures/Image1.bmp"));
    TimeSpaceImage = MakeImage(panel, "TimeSpaceImage", {0, 0, StripWidth, PanelHeight}, QImage());

    TTimeSpaceLink **const links[] = {&TimeSpaceLink1, &TimeSpaceLink3, &TimeSpaceLink5,
                                      &TimeSpaceLink7, &TimeSpaceLink9, &TimeSpaceLink11,
                                      &TimeSpaceLink13};
    for (int k = 1; k <= LinkCount; ++k) {
        const LinkPlace place = LoadedLinkPlace(k);
        auto *link = Named(new TTimeSpaceLink(panel), LinkName(k).c_str());
        link->setGeometry(0, place.Top, StripWidth, place.Height);
        link->SetBackGroundColor(clBlack);
        link->SetFwdSpeedMph(35);
        link->SetBackSpeedMph(35);
        link->SetFillBand(true);
        link->SetFwdLineColor(clTeal);
        link->SetBckLineColor(clGray);
        link->SetLinePenWidth(1);
        link->SetVisible(true);
        link->SetTrafficLightHeight(StripHeight);
        *links[k - 1] = link;
    }

    TSpaceLink **const queues[] = {&SpaceLink1, &SpaceLink3,  &SpaceLink5, &SpaceLink7,
                                   &SpaceLink9, &SpaceLink11, &SpaceLink13};
    for (int k = 1; k <= LinkCount; ++k) {
        const LinkPlace place = LoadedQueueLinkPlace(k);
        auto *queue = Named(new TSpaceLink(panel), QueueLinkName(k).c_str());
        queue->setGeometry(QueueLinkLeft, place.Top, QueueLinkWidth, place.Height);
        queue->SetBackGroundColor(clBlack);
        queue->SetFwdQueueColor(clTeal);
        queue->SetBckQueueColor(clGray);
        queue->SetLinePenWidth(1);
        queue->SetOrientation(Orientation::Vertical);
        queue->SetVisible(true);
        *queues[k - 1] = queue;
    }

    const QImage marker(":/pictures/Marker.bmp");
    TImage **const markers[] = {&Image2, &Image4, &Image6, &Image8, &Image10, &Image12};
    for (int k = 1; k <= JunctionCount; ++k) {
        *markers[k - 1] =
            MakeImage(panel, MarkerName(k).c_str(),
                      {StripWidth, LoadedStripTops[k], MarkerWidth, StripHeight}, marker);
    }

    TTimeSpaceLight **const strips[] = {&TimeSpaceLight2, &TimeSpaceLight4,  &TimeSpaceLight6,
                                        &TimeSpaceLight8, &TimeSpaceLight10, &TimeSpaceLight12};
    for (int k = 1; k <= JunctionCount; ++k) {
        auto *light = Named(new TTimeSpaceLight(panel), StripName(k).c_str());
        // Width first, then the published values in their order.
        light->SetBounds(0, LoadedStripTops[k], StripWidth, StripHeight);
        light->SetPercentRed(30);
        light->SetPercentGreen(60);
        light->SetNumberOfBands(4);
        light->SetCycleTime(115);
        light->SetCycleOffset(0);
        light->SetVisible(true);
        // JCT #1 stays at the top: only the others move up and down.
        light->SetVerticleMove(k > 1);
        light->SetYellowColor(clYellow);
        light->SetGreenColor(clGreen);
        light->SetRedColor(clRed);
        *strips[k - 1] = light;
    }
}

void TMainForm::BuildJunctionSelector() {
    JCT = Named(new QComboBox(GroupBox5), "JCT");
    JCT->setGeometry(7, 20, 60, 21);
    JCT->addItems({"JCT #1", "JCT #2", "JCT #3", "JCT #4", "JCT #5", "JCT #6"});
    JCT->setEditable(false);
    // A style sheet of its own stops the box's font from reaching the list.
    JCT->setFont(FontOf(Sans8));
    JCT->setItemDelegate(new TFixedRowDelegate(JctItemHeight, JCT));
    // The list is narrow: keep the arrow small so that "JCT #6" stays readable.
    JCT->setStyleSheet("QComboBox { padding: 0px 0px 0px 3px; }"
                       "QComboBox::drop-down { width: 12px; }"
                       "QComboBox::down-arrow { width: 7px; height: 7px; }");
}
