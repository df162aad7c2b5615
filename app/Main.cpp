#include "app/Main.h"

#include "controls/Led.h"
#include "controls/SpaceLink.h"
#include "controls/ThdTimer.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "help/BrowserLaunch.h"
#include "help/HelpSetup.h"
#include "model/Measures.h"
#include "model/Numbers.h"
#include "platform/Colors.h"
#include "platform/Fonts.h"
#include "platform/HintSwitch.h"
#include "platform/Image.h"
#include "platform/JpegImage.h"
#include "platform/Label.h"
#include "platform/ProcessStart.h"
#include "platform/TrackBar.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QStringBuilder>
#include <QStyledItemDelegate>

using namespace NamedColor;

namespace {

constexpr int PanelTop = 80;     // the diagram panel's top in the window
constexpr int PanelHeight = 409; // the diagram panel's height
constexpr int StripHeight = 10;
constexpr int LoadedStripTops[7] = {0, 12, 87, 162, 237, 312, 387};

// Fonts of the window's design.
struct FontStyle {
    const char *Family;
    int Points;
    bool Bold;
};
constexpr FontStyle Sans8{"MS Sans Serif", 8, false};
constexpr FontStyle Sans8Bold{"MS Sans Serif", 8, true};
constexpr FontStyle Sans10Bold{"MS Sans Serif", 10, true};
constexpr FontStyle Sans12{"MS Sans Serif", 12, false};
constexpr FontStyle Sans12Bold{"MS Sans Serif", 12, true};
constexpr FontStyle Arial8{"Arial", 8, false};
constexpr FontStyle Arial10{"Arial", 10, false};
constexpr FontStyle Arial10Bold{"Arial", 10, true};

QFont FontOf(const FontStyle &style) {
    return DesignFont(style.Family, style.Points, style.Bold);
}

TLabel *MakeLabel(QWidget *parent, const char *name, int left, int top, const QString &caption,
                  const FontStyle &font, const QColor &colour = clWindowText) {
    auto *label = new TLabel(parent);
    label->setObjectName(name);
    label->setFont(FontOf(font));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->move(left, top);
    label->SetCaption(caption);
    return label;
}

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

QGroupBox *MakeGroupBox(QWidget *parent, const char *name, const QString &caption, int left,
                        int top, int width, int height) {
    auto *box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    box->setFont(FontOf(Sans8));
    // The caption sits on the frame's top line, so that contents placed from the box's top
    // edge clear it as they are laid out.
    box->setStyleSheet(
        "QGroupBox { border: 1px solid #a0a0a0; border-radius: 2px;"
        " margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 7px; padding: 0px 1px; top: 0px; }");
    box->setGeometry(left, top, width, height);
    return box;
}

TTrackBar *MakeTrackBar(QWidget *parent, const char *name, QRect bounds, int min, int max,
                        int position, int lineSize, int pageSize, int frequency) {
    auto *bar = new TTrackBar(parent);
    bar->setObjectName(name);
    bar->setGeometry(bounds);
    bar->SetMin(min);
    bar->SetMax(max);
    bar->SetPosition(position);
    bar->SetLineSize(lineSize);
    bar->SetPageSize(pageSize);
    bar->SetFrequency(frequency);
    return bar;
}

TUpDown *MakeUpDown(QWidget *parent, const char *name, QRect bounds, Qt::Orientation orientation,
                    int min, int max, int increment, int position) {
    auto *upDown = new TUpDown(parent);
    upDown->setObjectName(name);
    upDown->setGeometry(bounds);
    upDown->SetOrientation(orientation);
    upDown->SetMin(min);
    upDown->SetMax(max);
    upDown->SetIncrement(increment);
    upDown->SetPosition(position);
    return upDown;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption, QRect bounds,
                        const FontStyle &font) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(bounds);
    button->setFont(FontOf(font));
    return button;
}

TImage *MakeImage(QWidget *parent, const char *name, QRect bounds, const QImage &picture) {
    auto *image = new TImage(parent);
    image->setObjectName(name);
    image->setGeometry(bounds);
    image->SetPicture(picture);
    return image;
}

TTimeSpaceLink *MakeLink(QWidget *parent, const char *name, int top, int height) {
    auto *link = new TTimeSpaceLink(parent);
    link->setObjectName(name);
    link->setGeometry(0, top, 460, height);
    link->SetBackGroundColor(clBlack);
    link->SetFwdSpeedMph(35);
    link->SetBackSpeedMph(35);
    link->SetFillBand(true);
    link->SetFwdLineColor(clTeal);
    link->SetBckLineColor(clGray);
    link->SetLinePenWidth(1);
    link->SetVisible(true);
    link->SetTrafficLightHeight(10);
    return link;
}

TSpaceLink *MakeSpaceLink(QWidget *parent, const char *name, int top, int height) {
    auto *queue = new TSpaceLink(parent);
    queue->setObjectName(name);
    queue->setGeometry(486, top, 35, height);
    queue->SetBackGroundColor(clBlack);
    queue->SetFwdQueueColor(clTeal);
    queue->SetBckQueueColor(clGray);
    queue->SetLinePenWidth(1);
    queue->SetOrientation(Orientation::Vertical);
    queue->SetVisible(true);
    return queue;
}

TTimeSpaceLight *MakeLight(QWidget *parent, const char *name, int top, bool verticleMove) {
    auto *light = new TTimeSpaceLight(parent);
    light->setObjectName(name);
    // Width first, then the published values in their order.
    light->SetBounds(0, top, 460, StripHeight);
    light->SetPercentRed(30);
    light->SetPercentGreen(60);
    light->SetNumberOfBands(4);
    light->SetCycleTime(115);
    light->SetCycleOffset(0);
    light->SetVisible(true);
    light->SetVerticleMove(verticleMove);
    light->SetYellowColor(clYellow);
    light->SetGreenColor(clGreen);
    light->SetRedColor(clRed);
    return light;
}

TLed *MakeLed(QWidget *parent, const char *name, QRect bounds) {
    auto *led = new TLed(parent);
    led->setObjectName(name);
    led->setGeometry(bounds);
    led->SetFlat(true);
    led->SetGroupIndex(1);
    led->SetAllowAllUp(true);
    led->SetValue(TLedValue::TurnOff);
    led->SetCallBackEnabled(false);
    led->hide();
    return led;
}

QString Decimal(int value) {
    return QString::number(value);
}

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TTimeSpaceForm::TTimeSpaceForm(QWidget *Parent) : QWidget(Parent) {
    BuildForm();
    BindEvents();
    FormCreate(this);
    // The Help Setup dialog is made once, hidden, and reused by every Help Setup click.
    FHelpForm = new THelpForm(this);
}

TTimeSpaceForm::~TTimeSpaceForm() {
    // The timer's worker must stop before the controls its ticks touch go away.
    delete ThreadedTimer1;
    ThreadedTimer1 = nullptr;
}

// The form description: every control with its name, parent, place, caption, font and range.
void TTimeSpaceForm::BuildForm() {
    setObjectName("TimeSpaceForm");
    setWindowTitle("TimeSpace Diagram");
    // 738 x 706 outside; the client area is what remains inside a standard frame.
    resize(730, 679);
    move(311, 234);
    setFont(FontOf(Sans8));
    QPalette formPalette = palette();
    formPalette.setColor(QPalette::Window, clBtnFace);
    formPalette.setColor(QPalette::WindowText, clWindowText);
    setPalette(formPalette);
    setAutoFillBackground(true);

    // The diagram panel, bottom of the stacking first.
    TimeSpaceDiagram = new QWidget(this);
    TimeSpaceDiagram->setObjectName("TimeSpaceDiagram");
    TimeSpaceDiagram->setGeometry(80, PanelTop, 524, PanelHeight);
    QPalette panelPalette = TimeSpaceDiagram->palette();
    panelPalette.setColor(QPalette::Window, clBlack);
    TimeSpaceDiagram->setPalette(panelPalette);
    TimeSpaceDiagram->setAutoFillBackground(true);
    QWidget *panel = TimeSpaceDiagram;

    Image1 = MakeImage(panel, "Image1", {460, 0, 25, 409}, QImage(":/pictures/Image1.bmp"));
    TimeSpaceImage = MakeImage(panel, "TimeSpaceImage", {0, 0, 460, 409}, QImage());

    TimeSpaceLink1 = MakeLink(panel, "TimeSpaceLink1", 0, 12);
    TimeSpaceLink3 = MakeLink(panel, "TimeSpaceLink3", 22, 65);
    TimeSpaceLink5 = MakeLink(panel, "TimeSpaceLink5", 97, 65);
    TimeSpaceLink7 = MakeLink(panel, "TimeSpaceLink7", 172, 65);
    TimeSpaceLink9 = MakeLink(panel, "TimeSpaceLink9", 247, 65);
    TimeSpaceLink11 = MakeLink(panel, "TimeSpaceLink11", 322, 65);
    TimeSpaceLink13 = MakeLink(panel, "TimeSpaceLink13", 397, 12);

    SpaceLink1 = MakeSpaceLink(panel, "SpaceLink1", 0, 17);
    SpaceLink3 = MakeSpaceLink(panel, "SpaceLink3", 17, 75);
    SpaceLink5 = MakeSpaceLink(panel, "SpaceLink5", 92, 75);
    SpaceLink7 = MakeSpaceLink(panel, "SpaceLink7", 167, 75);
    SpaceLink9 = MakeSpaceLink(panel, "SpaceLink9", 242, 75);
    SpaceLink11 = MakeSpaceLink(panel, "SpaceLink11", 317, 75);
    SpaceLink13 = MakeSpaceLink(panel, "SpaceLink13", 392, 17);

    const QImage marker(":/pictures/Marker.bmp");
    Image2 = MakeImage(panel, "Image2", {460, 12, 25, 10}, marker);
    Image4 = MakeImage(panel, "Image4", {460, 87, 25, 10}, marker);
    Image6 = MakeImage(panel, "Image6", {460, 162, 25, 10}, marker);
    Image8 = MakeImage(panel, "Image8", {460, 237, 25, 10}, marker);
    Image10 = MakeImage(panel, "Image10", {460, 312, 25, 10}, marker);
    Image12 = MakeImage(panel, "Image12", {460, 387, 25, 10}, marker);

    // Strips last: they lie above every link they can meet.
    TimeSpaceLight2 = MakeLight(panel, "TimeSpaceLight2", 12, false);
    TimeSpaceLight4 = MakeLight(panel, "TimeSpaceLight4", 87, true);
    TimeSpaceLight6 = MakeLight(panel, "TimeSpaceLight6", 162, true);
    TimeSpaceLight8 = MakeLight(panel, "TimeSpaceLight8", 237, true);
    TimeSpaceLight10 = MakeLight(panel, "TimeSpaceLight10", 312, true);
    TimeSpaceLight12 = MakeLight(panel, "TimeSpaceLight12", 387, true);

    // Left margin: the mile scale, the ruler and the junction numbers.
    Image14 =
        MakeImage(this, "Image14", {36, 96, 17, 377}, LoadJpegResource(":/pictures/Image14.jpg"));
    Label37 = MakeLabel(this, "Label37", 3, 77, "Mile(s)", Sans8Bold);
    Label8 = MakeLabel(this, "Label8", 48, 77, "JCT#", Sans8Bold);
    Label51 = MakeLabel(this, "Label51", 2, 91, "N", Sans10Bold);
    Label52 = MakeLabel(this, "Label52", 5, 463, "S", Sans10Bold);
    Label32 = MakeLabel(this, "Label32", 25, 92, "0", Sans8Bold);
    Label34 = MakeLabel(this, "Label34", 26, 217, "1", Sans8Bold);
    Label35 = MakeLabel(this, "Label35", 26, 342, "2", Sans8Bold);
    Label36 = MakeLabel(this, "Label36", 26, 465, "3", Sans8Bold);
    const QString quarter(QChar(0x00BC)), half(QChar(0x00BD)), threeQuarters(QChar(0x00BE));
    Label40 = MakeLabel(this, "Label40", 33, 122, quarter, Sans10Bold);
    Label42 = MakeLabel(this, "Label42", 29, 246, quarter, Sans10Bold);
    Label41 = MakeLabel(this, "Label41", 29, 372, quarter, Sans10Bold);
    Label43 = MakeLabel(this, "Label43", 31, 153, half, Sans10Bold);
    Label45 = MakeLabel(this, "Label45", 30, 277, half, Sans10Bold);
    Label44 = MakeLabel(this, "Label44", 28, 402, half, Sans10Bold);
    Label46 = MakeLabel(this, "Label46", 31, 184, threeQuarters, Sans10Bold);
    Label47 = MakeLabel(this, "Label47", 30, 310, threeQuarters, Sans10Bold);
    Label48 = MakeLabel(this, "Label48", 29, 434, threeQuarters, Sans10Bold);
    Label1 = MakeLabel(this, "Label1", 56, 87, "-1-", Sans12Bold);
    Label2 = MakeLabel(this, "Label2", 39, 166, "--------2", Sans8Bold);
    Label3 = MakeLabel(this, "Label3", 39, 240, "--------3", Sans8Bold);
    Label4 = MakeLabel(this, "Label4", 39, 315, "--------4", Sans8Bold);
    Label5 = MakeLabel(this, "Label5", 39, 390, "--------5", Sans8Bold);
    Label6 = MakeLabel(this, "Label6", 56, 462, "-6-", Sans12Bold);

    // Top row: volumes and speeds.
    Label7 = MakeLabel(this, "Label7", 86, 8, "Southbound Vol.", Arial10);
    FwMainRoadVol = MakeTrackBar(this, "FwMainRoadVol", {77, 24, 121, 33}, 0, 1000, 0, 10, 20, 100);
    FwMainRoadVolLabel = MakeLabel(this, "FwMainRoadVolLabel", 93, 54, "0", Arial10Bold);
    Label22 = MakeLabel(this, "Label22", 125, 54, "veh/hr", Arial10);
    Label16 = MakeLabel(this, "Label16", 214, 8, "Northbound Vol.", Arial10);
    BkMainRoadVol =
        MakeTrackBar(this, "BkMainRoadVol", {205, 24, 121, 33}, 0, 1000, 0, 10, 20, 100);
    BkMainRoadVolLabel = MakeLabel(this, "BkMainRoadVolLabel", 221, 54, "0", Arial10Bold);
    Label26 = MakeLabel(this, "Label26", 261, 54, "veh/hr", Arial10);
    Label10 = MakeLabel(this, "Label10", 341, 8, "South bo. Speed", Arial10);
    MainRoadSpeedLimitFwd =
        MakeTrackBar(this, "MainRoadSpeedLimitFwd", {333, 24, 113, 33}, 35, 55, 45, 1, 2, 1);
    MainRoadSpeedFwdLimLabel =
        MakeLabel(this, "MainRoadSpeedFwdLimLabel", 349, 54, "45", Arial10Bold);
    Label23 = MakeLabel(this, "Label23", 413, 54, "mph", Arial10);
    Label33 = MakeLabel(this, "Label33", 461, 8, "North bo. Speed", Arial10);
    MainRoadSpeedLimitBkd =
        MakeTrackBar(this, "MainRoadSpeedLimitBkd", {453, 24, 113, 33}, 35, 55, 45, 1, 2, 1);
    MainRoadSpeedBkdLimLabel =
        MakeLabel(this, "MainRoadSpeedBkdLimLabel", 469, 54, "45", Arial10Bold);
    Label55 = MakeLabel(this, "Label55", 533, 54, "mph", Arial10);

    // Right column: the crossroad boxes.
    EnteringTrafficControls =
        MakeGroupBox(this, "EnteringTrafficControls", "Entering Traffic", 615, 142, 97, 97);
    Label9 = MakeLabel(EnteringTrafficControls, "Label9", 9, 11, "from crossroad #2", Sans8);
    SideVol =
        MakeTrackBar(EnteringTrafficControls, "SideVol", {8, 29, 81, 34}, 0, 100, 0, 1, 5, 10);
    DivertedTraffic1 =
        MakeLabel(EnteringTrafficControls, "DivertedTraffic1", 18, 62, "0", Arial10Bold, clBlue);
    Label21 = MakeLabel(EnteringTrafficControls, "Label21", 69, 62, "%", Arial10, clBlue);
    DivertedTraffic2 =
        MakeLabel(EnteringTrafficControls, "DivertedTraffic2", 18, 78, "0", Arial10Bold);
    Label39 = MakeLabel(EnteringTrafficControls, "Label39", 47, 78, "Veh/hr", Arial10);

    LeavingTrafficControls =
        MakeGroupBox(this, "LeavingTrafficControls", "Leaving Traffic", 615, 363, 97, 97);
    Label12 = MakeLabel(LeavingTrafficControls, "Label12", 9, 11, "onto crossroad #5", Sans8);
    TrafficLeaving = MakeTrackBar(LeavingTrafficControls, "TrafficLeaving", {8, 30, 81, 33}, 0, 100,
                                  0, 1, 5, 10);
    PercentLeaving1 =
        MakeLabel(LeavingTrafficControls, "PercentLeaving1", 18, 63, "0", Arial10Bold, clBlue);
    Label13 = MakeLabel(LeavingTrafficControls, "Label13", 73, 63, "%", Arial10Bold, clBlue);
    PercentLeaving2 =
        MakeLabel(LeavingTrafficControls, "PercentLeaving2", 18, 79, "0", Arial10Bold);
    Label38 = MakeLabel(LeavingTrafficControls, "Label38", 48, 79, "Veh/hr", Arial10);

    // Bottom band.
    GroupBox2 = MakeGroupBox(this, "GroupBox2", "Delay Parameters for South-bound Traffic", 32, 496,
                             575, 33);
    Label15 = MakeLabel(GroupBox2, "Label15", 40, 12, "Expected Stops/Veh.", Arial10);
    ArtStops = MakeLabel(GroupBox2, "ArtStops", 174, 12, "0.0", Arial10Bold, clBlack);
    Label24 = MakeLabel(GroupBox2, "Label24", 200, 12, "stop(s)", Arial10);
    Label28 = MakeLabel(GroupBox2, "Label28", 300, 12, "Expected Delay/Veh.", Arial10);
    DelayPerVeh = MakeLabel(GroupBox2, "DelayPerVeh", 433, 12, "00.0", Arial10Bold, clBlack);
    TimeUnits = MakeLabel(GroupBox2, "TimeUnits", 465, 12, "sec", Arial10);

    GroupBox1 = MakeGroupBox(this, "GroupBox1", "CycleTime Functions", 32, 532, 313, 137);
    Label19 = MakeLabel(GroupBox1, "Label19", 8, 24, "CYCLE OFFSET", Sans8Bold);
    Label11 = MakeLabel(GroupBox1, "Label11", 104, 24, "CLICK-DRAG on RED or GREEN", Sans8);
    Label20 = MakeLabel(GroupBox1, "Label20", 8, 40, "SPLIT", Sans8Bold);
    Label14 = MakeLabel(GroupBox1, "Label14", 104, 40, "CLICK-DRAG on YELLOW", Sans8);
    Label25 = MakeLabel(GroupBox1, "Label25", 8, 56, "CYCLE TIME", Sans8Bold);
    Label17 =
        MakeLabel(GroupBox1, "Label17", 104, 56, "SHIFT-CLICK-DRAG HORZ on CycleTime ", Sans8);
    Label27 = MakeLabel(GroupBox1, "Label27", 8, 72, "LINK LENGTH", Sans8Bold);
    Label18 = MakeLabel(GroupBox1, "Label18", 104, 72, "CTRL-CLICK-DRAG VERT on CycleTime", Sans8);
    Label29 = MakeLabel(GroupBox1, "Label29", 8, 88, "RESET", Sans8Bold);
    Label30 = MakeLabel(GroupBox1, "Label30", 104, 88, "Right-CLICK to Reset CycleTime", Sans8);
    Label31 =
        MakeLabel(GroupBox1, "Label31", 8, 121, "TimeSpace: signal coordination study", Sans8);
    Label31->resize(228, 13);

    GroupBox5 = MakeGroupBox(this, "GroupBox5", "Light State", 351, 532, 139, 137);
    JCT = new QComboBox(GroupBox5);
    JCT->setObjectName("JCT");
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
    Label56 = MakeLabel(GroupBox5, "Label56", 6, 48, "CYCLE OFFSET", Sans8Bold);
    Label58 = MakeLabel(GroupBox5, "Label58", 94, 48, ":", Sans8Bold);
    CycleOffset = MakeLabel(GroupBox5, "CycleOffset", 100, 48, "O", Sans8);
    CycleOffsetUpDown =
        MakeUpDown(GroupBox5, "CycleOffsetUpDown", {120, 45, 16, 20}, Qt::Vertical, 0, 100, 1, 0);
    Label54 = MakeLabel(GroupBox5, "Label54", 6, 72, "SPLIT", Sans8Bold);
    Label57 = MakeLabel(GroupBox5, "Label57", 75, 72, ":", Sans8Bold);
    SplitGreen = MakeLabel(GroupBox5, "SplitGreen", 82, 72, "G", Sans8, clGreen);
    Label60 = MakeLabel(GroupBox5, "Label60", 95, 72, "/", Sans8);
    SplitRed = MakeLabel(GroupBox5, "SplitRed", 102, 72, "R", Sans8, clRed);
    SplitUpDown =
        MakeUpDown(GroupBox5, "SplitUpDown", {116, 71, 20, 14}, Qt::Horizontal, -100, 100, 1, 0);
    Label53 = MakeLabel(GroupBox5, "Label53", 6, 96, "CYCLE TIME", Sans8Bold);
    Label59 = MakeLabel(GroupBox5, "Label59", 94, 96, ":", Sans8Bold);
    CycleTime = MakeLabel(GroupBox5, "CycleTime", 100, 96, "CT", Sans8);
    CycleTimeUpDown =
        MakeUpDown(GroupBox5, "CycleTimeUpDown", {120, 93, 16, 20}, Qt::Vertical, -115, 100, 5, 0);

    GroupBox3 = MakeGroupBox(this, "GroupBox3", "TimeSpace Diagram", 496, 532, 111, 137);
    Refresh = MakeButton(GroupBox3, "Refresh", "Refresh", {10, 29, 92, 44}, Sans12);
    Refresh->setEnabled(false);
    ReSet = MakeButton(GroupBox3, "ReSet", "Reset", {10, 85, 92, 44}, Sans12);

    GroupBox4 = MakeGroupBox(this, "GroupBox4", "Cycle Failure", 623, 532, 89, 59);
    Label50 = MakeLabel(GroupBox4, "Label50", 4, 19, "Southbound", Arial8);
    CFSouth = MakeLed(GroupBox4, "CFSouth", {64, 15, 20, 20});
    Label49 = MakeLabel(GroupBox4, "Label49", 4, 40, "Northbound", Arial8);
    CFNorth = MakeLed(GroupBox4, "CFNorth", {63, 36, 20, 20});

    HelpSetup = MakeButton(this, "HelpSetup", "Help Setup", {623, 597, 89, 25}, Sans8);
    Help = MakeButton(this, "Help", "Help", {623, 626, 89, 33}, Sans12);

    ThreadedTimer1 = new TThreadedTimer(this);
    ThreadedTimer1->setObjectName("ThreadedTimer1");
    ThreadedTimer1->SetEnabled(false);
    ThreadedTimer1->SetInterval(400);

    // Tab order: panel, the four top track bars, the crossroad boxes, the buttons, the panel.
    QWidget::setTabOrder(FwMainRoadVol, BkMainRoadVol);
    QWidget::setTabOrder(BkMainRoadVol, MainRoadSpeedLimitFwd);
    QWidget::setTabOrder(MainRoadSpeedLimitFwd, MainRoadSpeedLimitBkd);
    QWidget::setTabOrder(MainRoadSpeedLimitBkd, SideVol);
    QWidget::setTabOrder(SideVol, TrafficLeaving);
    QWidget::setTabOrder(TrafficLeaving, Refresh);
    QWidget::setTabOrder(Refresh, ReSet);
    QWidget::setTabOrder(ReSet, Help);
    QWidget::setTabOrder(Help, HelpSetup);
    QWidget::setTabOrder(HelpSetup, JCT);
    QWidget::setTabOrder(JCT, CycleOffsetUpDown);
    QWidget::setTabOrder(CycleOffsetUpDown, SplitUpDown);
    QWidget::setTabOrder(SplitUpDown, CycleTimeUpDown);

    FHints = new THintSwitch(this);
}

void TTimeSpaceForm::BindEvents() {
    FwMainRoadVol->SetOnChange([this](QObject *s) { FwMainRoadVolChange(s); });
    BkMainRoadVol->SetOnChange([this](QObject *s) { BkMainRoadVolChange(s); });
    MainRoadSpeedLimitFwd->SetOnChange([this](QObject *s) { MainRoadSpeedLimitFwdChange(s); });
    MainRoadSpeedLimitBkd->SetOnChange([this](QObject *s) { MainRoadSpeedLimitBkdChange(s); });
    SideVol->SetOnChange([this](QObject *s) { SideVolChange(s); });
    TrafficLeaving->SetOnChange([this](QObject *s) { TrafficLeavingChange(s); });

    for (TTimeSpaceLight *light : {TimeSpaceLight2, TimeSpaceLight4, TimeSpaceLight6,
                                   TimeSpaceLight8, TimeSpaceLight10, TimeSpaceLight12}) {
        const TNotifyEvent cycleChange = [this](QObject *s) { TimeSpaceLight2CycleChange(s); };
        light->SetOnTimingOffset(cycleChange);
        light->SetOnTimingChange(cycleChange);
        light->SetOnCycleTimeChange(cycleChange);
        light->SetOnReset(cycleChange);
        if (light != TimeSpaceLight2) {
            light->SetOnVerticleMove([this](QObject *s) { TimeSpaceLight4VerticleMove(s); });
        }
        FHints->Watch(light);
    }

    connect(JCT, &QComboBox::activated, this, [this] { JCTChange(JCT); });
    CycleOffsetUpDown->SetOnClick(
        [this](QObject *s, TUDBtnType b) { CycleOffsetUpDownClick(s, b); });
    CycleTimeUpDown->SetOnClick([this](QObject *s, TUDBtnType b) { CycleTimeUpDownClick(s, b); });
    SplitUpDown->SetOnClick([this](QObject *s, TUDBtnType b) { SplitUpDownClick(s, b); });
    SplitGreen->SetOnClick([this](QObject *s) { SplitGreenClick(s); });
    SplitRed->SetOnClick([this](QObject *s) { SplitRedClick(s); });

    connect(Help, &QPushButton::clicked, this, [this] { HelpClick(Help); });
    connect(HelpSetup, &QPushButton::clicked, this, [this] { HelpSetupClick(HelpSetup); });
    connect(Refresh, &QPushButton::clicked, this, [this] { RefreshClick(Refresh); });
    connect(ReSet, &QPushButton::clicked, this, [this] { ReSetClick(ReSet); });
    ThreadedTimer1->SetOnTimer([this](QObject *s) { ThreadedTimer1Timer(s); });
}

// ---------------------------------------------------------------------------------------------
// Start-up and the recomputation pipeline

void TTimeSpaceForm::FormCreate(QObject *) {
    FLinks = {nullptr,        TimeSpaceLink1, TimeSpaceLink3,  TimeSpaceLink5,
              TimeSpaceLink7, TimeSpaceLink9, TimeSpaceLink11, TimeSpaceLink13};
    FLights = {nullptr,         TimeSpaceLight2,  TimeSpaceLight4, TimeSpaceLight6,
               TimeSpaceLight8, TimeSpaceLight10, TimeSpaceLight12};
    FSpaceLinks = {nullptr,    SpaceLink1, SpaceLink3,  SpaceLink5,
                   SpaceLink7, SpaceLink9, SpaceLink11, SpaceLink13};
    FImages = {nullptr, Image2, Image4, Image6, Image8, Image10, Image12};
    FLabels = {nullptr, Label1, Label2, Label3, Label4, Label5, Label6};

    UpdatePlatoonFactor();
    FBrowserPath = BrowserLaunch::DefaultBrowserPath;
    FHelpFile = BrowserLaunch::DefaultHelpFile;

    const int a = Capacity(FLights[1]);
    const int b = Capacity(FLights[6]);
    SideVolMaxAdjust();
    FwMainRoadVol->SetMax(VolumeMaximum(a));
    BkMainRoadVol->SetMax(VolumeMaximum(b));

    FFwFailure = false;
    FBkFailure = false;

    JCT->setCurrentIndex(0);
    CycleTimeUpDown->SetMin(50);
    CycleTimeUpDown->SetMax(230);
    LoadPanelPositions();
    SetLightStateBox();

    SetShowHint(false);

    // The speeds shown are the speeds computed: every link starts at the track bars' 45 mph.
    for (int k = 1; k <= 7; ++k) {
        FLinks[k]->SetFwdSpeedMph(MainRoadSpeedLimitFwd->Position());
        FLinks[k]->SetBackSpeedMph(MainRoadSpeedLimitBkd->Position());
    }

    ReDodiagram();
}

void TTimeSpaceForm::UpdatePlatoonFactor() {
    FPlatoonFactor = static_cast<double>(static_cast<Extended>(SatHeadway) /
                                         (3600.0L / FLights[3]->CycleTime()));
}

void TTimeSpaceForm::RefreshTimeSpaceDiagram() {
    PlatoonSet input = TimeSpaceInitInput(0);
    TimeSpaceBkCalculate(input);
    input = TimeSpaceInitInput(1);
    TimeSpaceFwCalculate(input);

    SetHints();
    CalculateExpectedDelayPerVeh();
    CalculateArterialStops();
    PaintTimeSpacepaintBox();

    CFNorth->hide();
    CFSouth->hide();
    ThreadedTimer1->SetEnabled(true);
    FFwFailure = IfFwCycleFailure();
    FBkFailure = IfBkCycleFailure();
    SetLightStateBox();
}

void TTimeSpaceForm::ReDodiagram() {
    for (int k = 2; k <= 6; ++k) {
        ReAllign(k);
    }
    SetBackGroundBitmapColor(clBlack);
    EnableRefreshButton(false);
}

void TTimeSpaceForm::InputChanged() {
    if (Refresh->isEnabled()) {
        ReDodiagram();
    }
    RefreshTimeSpaceDiagram();
}

TTimeSpaceLight *TTimeSpaceForm::SelectedLight() const {
    const int index = JCT->currentIndex();
    return FLights[static_cast<std::size_t>((index >= 0 && index < 6 ? index : 0) + 1)];
}

int TTimeSpaceForm::Capacity(const TTimeSpaceLight *Light) {
    const int numerator = Light->PercentGreen() - Light->PercentRed() + 100;
    return Trunc(static_cast<Extended>(numerator) / 200.0L * 3600.0L /
                 static_cast<Extended>(SatHeadway));
}

int TTimeSpaceForm::VolumeMaximum(int Capacity) {
    return Trunc(static_cast<Extended>(Capacity) / 10.0L) * VolumeStep;
}

// ---------------------------------------------------------------------------------------------
// Progression of both directions

PlatoonSet TTimeSpaceForm::TimeSpaceInitInput(int Direction) {
    const int volume = Direction == 1 ? FwMainRoadVol->Position() : BkMainRoadVol->Position();
    // The factor is held as a double before it multiplies the volume: 720 veh/hr at 60 s gives
    // 29, not 30.
    const double factor = static_cast<double>(static_cast<Extended>(SatHeadway) /
                                              (3600.0L / FLights[1]->CycleTime()));
    PlatoonSet set = InitNullInput();
    set.Start[1] = 0;
    set.Size[1] = Trunc(static_cast<Extended>(volume) * factor);
    return set;
}

PlatoonSet TTimeSpaceForm::InitNullInput() {
    return PlatoonSet{};
}

int TTimeSpaceForm::CalculateflowSum(const PlatoonSet &Set) {
    int sum = 0;
    for (int k = 1; k <= MaxPlatoons; ++k) {
        sum += Set.Size[k];
    }
    return sum;
}

void TTimeSpaceForm::JunctionStep(int Junction, TTimeSpaceLink *Link, TSpaceLink *Queue,
                                  bool Forward, PlatoonSet &Set) {
    TTimeSpaceLight *light = FLights[static_cast<std::size_t>(Junction)];
    // The passage depends only on the arrivals and the green windows, and each run leaves the
    // same queue set, stops and failure flag: one run gives the departures and the queues.
    if (Forward) {
        Link->SetFwInput(Set);
        light->SetFwInput(Link->TravelFw());
        Set = light->PassFw();
        const PlatoonSet queues = light->QueueSet();
        Link->SetFwQueues(queues);
        Queue->SetFwQueues(queues);
    } else {
        Link->SetBkInput(Set);
        light->SetBkInput(Link->TravelBk());
        Set = light->PassBk();
        const PlatoonSet queues = light->QueueSet();
        Link->SetBkQueues(queues);
        Queue->SetBkQueues(queues);
    }
}

void TTimeSpaceForm::TimeSpaceFwCalculate(const PlatoonSet &Input) {
    FEnteringVol = 0;
    UpdatePlatoonFactor();
    PlatoonSet set = Input;
    for (int k = 1; k <= 6; ++k) {
        JunctionStep(k, FLinks[static_cast<std::size_t>(k)],
                     FSpaceLinks[static_cast<std::size_t>(k)], true, set);
        if (k == 2) {
            // Crossroad #2's traffic enters where JCT #2 turns red.
            FEnteringVol = Trunc(
                static_cast<Extended>(SideVol->Position() * FwMainRoadVol->Position()) / 100.0L);
            if (FEnteringVol > 0) {
                const TTimeSpaceLight *jct2 = FLights[2];
                for (int slot = 1; slot <= MaxPlatoons; ++slot) {
                    if (set.Size[slot] == 0) {
                        set.Size[slot] =
                            Trunc(static_cast<Extended>(FEnteringVol) * FPlatoonFactor);
                        set.Start[slot] = (100 - jct2->PercentRed()) * jct2->CycleTime() / 100 +
                                          jct2->CycleOffset();
                        break;
                    }
                }
            }
        } else if (k == 5) {
            const int staying = 100 - TrafficLeaving->Position();
            for (int slot = 1; slot <= MaxPlatoons; ++slot) {
                set.Size[slot] = staying * set.Size[slot] / 100;
            }
        }
    }
    FLinks[7]->SetFwInput(set);
}

void TTimeSpaceForm::TimeSpaceBkCalculate(const PlatoonSet &Input) {
    PlatoonSet set = Input;
    for (int k = 6; k >= 1; --k) {
        JunctionStep(k, FLinks[static_cast<std::size_t>(k + 1)],
                     FSpaceLinks[static_cast<std::size_t>(k + 1)], false, set);
    }
    FLinks[1]->SetBkInput(set);
}

bool TTimeSpaceForm::IfFwCycleFailure() {
    for (int k = 1; k <= 6; ++k) {
        if (FLights[static_cast<std::size_t>(k)]->FwCycleFailure()) {
            return true;
        }
    }
    return false;
}

bool TTimeSpaceForm::IfBkCycleFailure() {
    for (int k = 1; k <= 6; ++k) {
        if (FLights[static_cast<std::size_t>(k)]->BkCycleFailure()) {
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Delay and stops of southbound traffic

int TTimeSpaceForm::CalculateVehDelayAtLight(TTimeSpaceLight *Light) {
    const PlatoonSet queues = Light->GetFwQueues();
    return JunctionDelay(queues, Light->StoppedSeconds());
}

double TTimeSpaceForm::CalculateExpectedDelayPerVeh() {
    double total = 0.0;
    for (int k = 1; k <= 6; ++k) {
        total = AccumulateMeasure(total,
                                  CalculateVehDelayAtLight(FLights[static_cast<std::size_t>(k)]));
    }
    const int flow = CalculateflowSum(FLights[3]->PassFw());
    const DelayPerVehicle delay = ExpectedDelayPerVehicle(total, flow);
    if (delay.Unit) {
        TimeUnits->SetCaption(FromView(DelayUnitCaption(*delay.Unit)));
    }
    DisplayDelayPerVeh(delay.Value);
    return delay.Value;
}

namespace {
std::string LocaleText(const QString &text) {
    return text.toStdString();
}
} // namespace

void TTimeSpaceForm::DisplayDelayPerVeh(double Value) {
    const QLocale locale;
    QString caption = QString::fromStdString(FormatDelayPerVeh(
        Value, LocaleText(locale.decimalPoint()), LocaleText(locale.groupSeparator())));
    if (IfFwCycleFailure()) {
        caption = FromView(UnboundedCaption);
    }
    DelayPerVeh->SetCaption(caption);
}

double TTimeSpaceForm::CalculateArterialStops() {
    double stops = 0.0;
    for (int k = 1; k <= 6; ++k) {
        stops = AccumulateMeasure(stops, FLights[static_cast<std::size_t>(k)]->GetStops());
    }
    DisplayArtStops(stops);
    return stops;
}

void TTimeSpaceForm::DisplayArtStops(double Value) {
    const QLocale locale;
    QString caption =
        QString::fromStdString(FormatArtStops(Value, LocaleText(locale.decimalPoint())));
    if (IfFwCycleFailure()) {
        caption = FromView(UnboundedCaption);
    }
    ArtStops->SetCaption(caption);
}

// ---------------------------------------------------------------------------------------------
// Diagram geometry and composition

void TTimeSpaceForm::ReAllign(int Junction) {
    const std::size_t k = static_cast<std::size_t>(Junction);
    TTimeSpaceLight *light = FLights[k];
    const int lightTop = light->y();
    const int lightBottom = lightTop + light->height();

    auto setTop = [](QWidget *w, int top) { w->move(w->x(), top); };
    auto setHeight = [](QWidget *w, int height) { w->resize(w->width(), std::max(0, height)); };

    setHeight(FLinks[k], lightTop - FLinks[k]->y());
    setTop(FLinks[k + 1], lightBottom);
    if (Junction < 6) {
        setHeight(FLinks[k + 1], FLights[k + 1]->y() - lightBottom);
    } else {
        setHeight(FLinks[7], PanelHeight - lightBottom);
    }
    setTop(FSpaceLinks[k + 1], lightTop + Trunc(light->height() / 2.0L));
    setHeight(FSpaceLinks[k], FSpaceLinks[k + 1]->y() - FSpaceLinks[k]->y());
    if (Junction < 6) {
        setHeight(FSpaceLinks[k + 1], FSpaceLinks[k + 2]->y() - FSpaceLinks[k + 1]->y());
    } else {
        setHeight(FSpaceLinks[7], PanelHeight - FSpaceLinks[7]->y());
    }
    setTop(FImages[k], lightTop);
    setTop(FLabels[k], lightTop + (Junction < 6 ? PanelTop : PanelTop - 5));
    if (Junction == 2) {
        setTop(EnteringTrafficControls, lightTop + 50);
    } else if (Junction == 5) {
        setTop(LeavingTrafficControls, lightTop + 50);
    }
}

void TTimeSpaceForm::PaintTimeSpacepaintBox() {
    // Composed straight onto the backdrop's canvas: the ground, the links, then the strips
    // above them. A panel-sized picture copied onto the canvas would leave the same pixels (the
    // copy replaces every pixel, and only its part left of the canvas's edge lands), at the cost
    // of one more picture and one more copy at every event.
    QImage &canvas = TimeSpaceImage->Canvas();
    if (!canvas.isNull()) {
        QPainter painter(&canvas);
        // The ground shows only where no picture lands. A strip's picture is opaque (it starts
        // black), a link's is when its background colour is; while the diagram is aligned
        // they tile the whole canvas and no ground needs painting at all. While a re-layout is
        // pending the gaps keep the backdrop's colour (white), so that they still show where
        // strips and links no longer meet.
        QRegion ground(canvas.rect());
        bool opaque = true;
        for (int k = 1; k <= 7; ++k) {
            const TTimeSpaceLink *link = FLinks[static_cast<std::size_t>(k)];
            ground -= link->geometry();
            opaque = opaque && link->BackGroundColor().alpha() == 255;
        }
        for (int k = 1; k <= 6; ++k) {
            ground -= FLights[static_cast<std::size_t>(k)]->geometry();
        }
        if (!opaque) {
            ground = canvas.rect();
        }
        for (const QRect &rect : ground) {
            painter.fillRect(rect, TimeSpaceImage->FillColour());
        }
        for (int k = 1; k <= 7; ++k) {
            TTimeSpaceLink *link = FLinks[static_cast<std::size_t>(k)];
            painter.drawImage(link->pos(), link->GetBitmap());
        }
        for (int k = 1; k <= 6; ++k) {
            TTimeSpaceLight *light = FLights[static_cast<std::size_t>(k)];
            painter.drawImage(light->pos(), light->GetBitmap());
        }
    }
    TimeSpaceImage->CanvasChanged();
    ++FCompositionCount;
}

void TTimeSpaceForm::SetBackGroundBitmapColor(const QColor &Colour) {
    TimeSpaceImage->FillCanvas(Colour);
}

void TTimeSpaceForm::SetBackGroundColor(const QColor &Colour) {
    for (int k = 1; k <= 7; ++k) {
        FLinks[static_cast<std::size_t>(k)]->SetBackGroundColor(Colour);
    }
}

void TTimeSpaceForm::EnableRefreshButton(bool Flag) {
    Refresh->setEnabled(Flag);
}

void TTimeSpaceForm::ReSetClick(QObject *) {
    for (int k = 2; k <= 6; ++k) {
        TTimeSpaceLight *light = FLights[static_cast<std::size_t>(k)];
        light->move(light->x(), 12 + 75 * (k - 1));
        ReDodiagram();
    }
    RefreshTimeSpaceDiagram();
}

void TTimeSpaceForm::RefreshClick(QObject *) {
    InputChanged();
}

// ---------------------------------------------------------------------------------------------
// Traffic inputs and strip events

bool TTimeSpaceForm::SnapVolume(QObject *Sender) {
    auto *bar = qobject_cast<TTrackBar *>(Sender);
    if (bar == nullptr) {
        return false;
    }
    bar->SetPosition(Round(bar->Position() / 10.0L) * VolumeStep);
    BkMainRoadVolLabel->SetCaption(Decimal(BkMainRoadVol->Position()));
    FwMainRoadVolLabel->SetCaption(Decimal(FwMainRoadVol->Position()));
    return true;
}

void TTimeSpaceForm::FwMainRoadVolChange(QObject *Sender) {
    if (!SnapVolume(Sender)) {
        return;
    }
    SideVolMaxAdjust();
    UpdateSideVolLables();
    InputChanged();
}

void TTimeSpaceForm::BkMainRoadVolChange(QObject *Sender) {
    // The northbound volume has no part in the crossroad boxes.
    if (!SnapVolume(Sender)) {
        return;
    }
    InputChanged();
}

void TTimeSpaceForm::MainRoadSpeedLimitFwdChange(QObject *) {
    MainRoadSpeedFwdLimLabel->SetCaption(Decimal(MainRoadSpeedLimitFwd->Position()));
    for (int k = 1; k <= 7; ++k) {
        FLinks[static_cast<std::size_t>(k)]->SetFwdSpeedMph(MainRoadSpeedLimitFwd->Position());
    }
    InputChanged();
}

void TTimeSpaceForm::MainRoadSpeedLimitBkdChange(QObject *) {
    MainRoadSpeedBkdLimLabel->SetCaption(Decimal(MainRoadSpeedLimitBkd->Position()));
    for (int k = 1; k <= 7; ++k) {
        FLinks[static_cast<std::size_t>(k)]->SetBackSpeedMph(MainRoadSpeedLimitBkd->Position());
    }
    InputChanged();
}

void TTimeSpaceForm::SideVolChange(QObject *) {
    UpdateSideVolLables();
    InputChanged();
}

void TTimeSpaceForm::TrafficLeavingChange(QObject *) {
    UpdateSideVolLables();
    InputChanged();
}

void TTimeSpaceForm::UpdateSideVolLables() {
    const int fw = FwMainRoadVol->Position();
    const int side = SideVol->Position();
    const int leave = TrafficLeaving->Position();
    DivertedTraffic1->SetCaption(Decimal(side));
    DivertedTraffic2->SetCaption(Decimal(Trunc(static_cast<Extended>(side * fw) / 100.0L)));
    PercentLeaving1->SetCaption(Decimal(leave));
    const Extended entering = static_cast<Extended>(fw) * side / 100.0L;
    PercentLeaving2->SetCaption(
        Decimal(Trunc((static_cast<Extended>(fw) + entering) * leave / 100.0L)));
}

void TTimeSpaceForm::SideVolMaxAdjust() {
    const int sum = CalculateflowSum(FLinks[2]->TravelFw());
    int a = 100;
    if (sum > 0) {
        const TTimeSpaceLight *jct2 = FLights[2];
        a = Trunc(static_cast<Extended>(jct2->PercentRed() * jct2->CycleTime()) / sum);
    }
    SideVol->SetMax(Trunc(static_cast<Extended>(a) / 10.0L) * VolumeStep);
}

void TTimeSpaceForm::TimeSpaceLight2CycleChange(QObject *Sender) {
    for (int k = 1; k <= 6; ++k) {
        if (Sender == FLights[static_cast<std::size_t>(k)]) {
            JCT->setCurrentIndex(k - 1);
        }
    }
    // The gesture changed the strip's timing: the panel's arrows start from it, not from what
    // they held for the junction selected before.
    LoadPanelPositions();
    TimingInputsChanged();
    InputChanged();
}

void TTimeSpaceForm::TimingInputsChanged() {
    UpdatePlatoonFactor();
    const int a = Capacity(FLights[1]);
    const int b = Capacity(FLights[6]);
    SideVolMaxAdjust();
    FwMainRoadVol->SetMax(VolumeMaximum(a));
    BkMainRoadVol->SetMax(VolumeMaximum(b));
    // Written after the maxima, which may have lowered the southbound volume, so that the
    // crossroad boxes show the volumes in effect.
    UpdateSideVolLables();
    FwMainRoadVolLabel->SetCaption(Decimal(FwMainRoadVol->Position()));
    BkMainRoadVolLabel->SetCaption(Decimal(BkMainRoadVol->Position()));
}

void TTimeSpaceForm::TimeSpaceLight4VerticleMove(QObject *Sender) {
    int k = 0;
    for (int j = 2; j <= 6; ++j) {
        if (Sender == FLights[static_cast<std::size_t>(j)]) {
            k = j;
        }
    }
    if (k == 0) {
        return;
    }
    const std::size_t i = static_cast<std::size_t>(k);
    TTimeSpaceLight *light = FLights[i];
    const int top = light->y();
    if (k < 6) {
        const int above = FLights[i - 1]->y();
        const int below = FLights[i + 1]->y();
        if (top < above + 16 || top > below - 16) {
            // Too close to a neighbour: the strip jumps to the middle between its neighbours.
            light->move(light->x(), Trunc((above + below) / 2.0L));
        }
    } else if (top < FLights[5]->y() + 16 || top > LoadedStripTops[6]) {
        light->move(light->x(), LoadedStripTops[6]);
    }
    FLabels[i]->move(FLabels[i]->x(), light->y() + (k < 6 ? PanelTop : PanelTop - 5));
    FImages[i]->move(FImages[i]->x(), light->y());
    if (!Refresh->isEnabled()) {
        SetBackGroundBitmapColor(clWhite);
    }
    EnableRefreshButton(true);
}

// ---------------------------------------------------------------------------------------------
// Junction timing panel

void TTimeSpaceForm::SetLightStateBox() {
    const TTimeSpaceLight *light = SelectedLight();
    CycleOffset->SetCaption(Decimal(light->CycleOffset()));
    SplitRed->SetCaption(Decimal(light->PercentRed()));
    SplitGreen->SetCaption(Decimal(100 - light->PercentRed()));
    CycleTime->SetCaption(Decimal(light->CycleTime()));
}

void TTimeSpaceForm::JCTChange(QObject *) {
    SetLightStateBox();
    LoadPanelPositions();
}

void TTimeSpaceForm::LoadPanelPositions() {
    CycleTimeUpDown->SetPosition(SelectedLight()->CycleTime());
    LoadOffsetPosition();
    SplitUpDown->SetPosition(0);
}

void TTimeSpaceForm::LoadOffsetPosition() {
    const TTimeSpaceLight *light = SelectedLight();
    // The range follows the junction's cycle before the position is set, so that an offset
    // beyond the previous junction's cycle is not clamped.
    CycleOffsetUpDown->SetMin(0);
    CycleOffsetUpDown->SetMax(light->CycleTime());
    CycleOffsetUpDown->SetPosition(light->CycleOffset());
}

// The panel's edits end alike: the volume maxima and their labels follow the new timing as
// after a strip's own edit, then the recomputation and the selected junction's figures and
// hints. No pending re-layout is run.
void TTimeSpaceForm::TimingEdited() {
    TimingInputsChanged();
    RefreshTimeSpaceDiagram();
    SetLightStateBox();
    SetHints();
}

void TTimeSpaceForm::CycleOffsetUpDownClick(QObject *, TUDBtnType) {
    CycleOffsetUpDown->SetMin(0);
    CycleOffsetUpDown->SetMax(SelectedLight()->CycleTime());
    SelectedLight()->SetCycleOffset(CycleOffsetUpDown->Position());
    TimingEdited();
}

void TTimeSpaceForm::CycleTimeUpDownClick(QObject *, TUDBtnType) {
    CycleTimeUpDown->SetMin(50);
    CycleTimeUpDown->SetMax(230);
    SelectedLight()->SetCycleTime(CycleTimeUpDown->Position());
    // The new cycle reset the offset: the offset arrows start from it.
    LoadOffsetPosition();
    TimingEdited();
}

void TTimeSpaceForm::SplitRedClick(QObject *) {
    TTimeSpaceLight *light = SelectedLight();
    if (light->PercentRed() >= 80) {
        return;
    }
    light->SetPercentRed(light->PercentRed() + 5);
    light->SetPercentGreen(90 - light->PercentRed());
    TimingEdited();
}

void TTimeSpaceForm::SplitGreenClick(QObject *) {
    TTimeSpaceLight *light = SelectedLight();
    if (light->PercentGreen() >= 80) {
        return;
    }
    light->SetPercentRed(light->PercentRed() - 5);
    light->SetPercentGreen(90 - light->PercentRed());
    TimingEdited();
}

void TTimeSpaceForm::SplitUpDownClick(QObject *, TUDBtnType Button) {
    if (Button == TUDBtnType::btNext) {
        SplitRedClick(SplitRed);
    } else {
        SplitGreenClick(SplitGreen);
    }
}

// ---------------------------------------------------------------------------------------------
// Hints and cycle-failure indicators

void TTimeSpaceForm::SetHints() {
    for (int k = 1; k <= 6; ++k) {
        SetTrafficLightHints(FLights[static_cast<std::size_t>(k)]);
    }
    SetLightStateBox();
}

void TTimeSpaceForm::SetTrafficLightHints(TTimeSpaceLight *Light) {
    // Every recomputation writes all six hints: the text is built in one piece, without the
    // intermediate strings of a chain of additions.
    const QChar cr('\r');
    QLatin1StringView failure;
    if (Light->FwCycleFailure() && Light->BkCycleFailure()) {
        failure = QLatin1StringView("\rForward Cycle Failure\rBackward Cycle Failure");
    } else if (Light->BkCycleFailure()) {
        failure = QLatin1StringView("\rBackward Cycle Failure");
    } else if (Light->FwCycleFailure()) {
        failure = QLatin1StringView("\rForward Cycle Failure");
    }
    const QString hint = QLatin1StringView("CycleTime: ") % Decimal(Light->CycleTime()) % cr %
                         QLatin1StringView("CycleOffset: ") % Decimal(Light->CycleOffset()) % cr %
                         QLatin1StringView("Percent Green: ") % Decimal(100 - Light->PercentRed()) %
                         cr % QLatin1StringView("Percent Red: ") % Decimal(Light->PercentRed()) %
                         failure;
    THintSwitch::SetHint(Light, hint);
}

void TTimeSpaceForm::ThreadedTimer1Timer(QObject *) {
    if (FFwFailure) {
        CFSouth->setVisible(CFSouth->isHidden());
    }
    if (FBkFailure) {
        CFNorth->setVisible(CFNorth->isHidden());
    }
}

bool TTimeSpaceForm::ShowHint() const {
    return FHints->ShowHint();
}

void TTimeSpaceForm::SetShowHint(bool Value) {
    FHints->SetShowHint(Value);
}

// ---------------------------------------------------------------------------------------------
// Help

void TTimeSpaceForm::HelpClick(QObject *) {
    ExecBrowser(FBrowserPath, FHelpFile);
}

void TTimeSpaceForm::HelpSetupClick(QObject *) {
    RunHelpSetup(*FHelpForm, FBrowserPath, FHelpFile, [this](bool on) { SetShowHint(on); });
}

void TTimeSpaceForm::ExecBrowser(const QString &Browser, const QString &HelpPage) {
    // A browser that cannot be started changes nothing and reports nothing.
    CreateProcessSimple(BrowserLaunch::BrowserCommandLine(Browser, HelpPage));
}

bool TTimeSpaceForm::CreateProcessSimple(const QString &CommandLine) {
    return ProcessStart::StartDetached(CommandLine);
}
