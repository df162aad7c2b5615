#include "FormDriver.h"

#include "controls/SpaceLink.h"
#include "controls/TimeSpaceLink.h"
#include "platform/Image.h"
#include "platform/Label.h"

#include <QGroupBox>
#include <QStyleOptionGroupBox>

namespace {
// What a caption paints in its parent: its ink rows, across its advance and its ink, cut to
// its label (a label of fixed size clips its caption).
QRect CaptionRect(const TLabel *Label) {
    const QFontMetrics Metrics(Label->font());
    const QString Caption = Label->text();
    const QRect Ink = Metrics.tightBoundingRect(Caption);
    const int Left = std::min(0, Ink.left());
    const int Right = std::max(Metrics.horizontalAdvance(Caption), Ink.right() + 1);
    const QRect Painted(Label->x() + Left, Label->y() + Metrics.ascent() + Ink.top(), Right - Left,
                        Ink.height());
    return Painted & Label->geometry();
}

// A box's frame or title, as its style lays them out.
QRect BoxPart(const QGroupBox *Box, QStyle::SubControl Part) {
    QStyleOptionGroupBox Option;
    Option.initFrom(Box);
    Option.text = Box->title();
    Option.textAlignment = Box->alignment();
    Option.lineWidth = 1;
    Option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return Box->style()->subControlRect(QStyle::CC_GroupBox, &Option, Part, Box);
}
} // namespace

// Diagram geometry: re-alignment after strips move, the vertical-move handler, Reset and the
// composition of the backdrop.
class tst_Layout : public QObject {
    Q_OBJECT

    static void MoveStrip(TTimeSpaceForm &form, int junction, int top) {
        TTimeSpaceLight *light = form.Light(junction);
        light->move(light->x(), top);
        form.TimeSpaceLight4VerticleMove(light);
    }

  private slots:
    void realignsAfterAMove() {
        TTimeSpaceForm form;
        MoveStrip(form, 3, 200);
        QCOMPARE(form.Light(3)->y(), 200);
        QCOMPARE(form.Label3->y(), 280);
        QCOMPARE(form.Image6->y(), 200);
        // Links wait for the re-alignment.
        QCOMPARE(form.Link(3)->height(), 65);
        QVERIFY(form.Refresh->isEnabled());

        form.ReDodiagram();
        QCOMPARE(form.Link(3)->geometry(), QRect(0, 97, 460, 103));
        QCOMPARE(form.Link(4)->geometry(), QRect(0, 210, 460, 27));
        QCOMPARE(form.SpaceLink(4)->y(), 205);
        QCOMPARE(form.SpaceLink(3)->height(), 113);
        QCOMPARE(form.SpaceLink(4)->height(), 242 - 205);
        QVERIFY(!form.Refresh->isEnabled());
    }

    void lastJunctionSetsTheExitLinks() {
        TTimeSpaceForm form;
        MoveStrip(form, 6, 380);
        form.ReDodiagram();
        QCOMPARE(form.Light(6)->y(), 380);
        QCOMPARE(form.Link(7)->geometry(), QRect(0, 390, 460, 409 - 390));
        QCOMPARE(form.SpaceLink(7)->geometry(), QRect(486, 385, 35, 409 - 385));
        QCOMPARE(form.Label6->y(), 455);
    }

    void verticalMoveKeepsStripsApart_data() {
        QTest::addColumn<int>("junction");
        QTest::addColumn<int>("requested");
        QTest::addColumn<int>("top");
        QTest::newRow("JCT 3 to 220 accepted") << 3 << 220 << 220;
        QTest::newRow("JCT 3 to 222 jumps to the middle") << 3 << 222 << 162;
        QTest::newRow("JCT 3 to 100 jumps to the middle") << 3 << 100 << 162;
        QTest::newRow("JCT 3 at 103 accepted") << 3 << 103 << 103;
        QTest::newRow("JCT 3 at 102 jumps") << 3 << 102 << 162;
        QTest::newRow("JCT 3 at 221 accepted") << 3 << 221 << 221;
        QTest::newRow("JCT 6 below the bottom") << 6 << 395 << 387;
        QTest::newRow("JCT 6 near JCT 5") << 6 << 320 << 387;
        QTest::newRow("JCT 6 at 328 accepted") << 6 << 328 << 328;
    }
    void verticalMoveKeepsStripsApart() {
        QFETCH(int, junction);
        QFETCH(int, requested);
        TTimeSpaceForm form;
        MoveStrip(form, junction, requested);
        QTEST(form.Light(junction)->y(), "top");
    }

    void firstMovePaintsTheBackdropWhiteOnce() {
        TTimeSpaceForm form;
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(5, 5), QColor(Qt::black));
        MoveStrip(form, 2, 80);
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(5, 5), QColor(Qt::white));
        // A recomputation while the re-layout is pending paints over the white; a later move
        // does not whiten it again.
        form.RefreshTimeSpaceDiagram();
        const QColor composed = form.TimeSpaceImage->Canvas().pixelColor(5, 5);
        QVERIFY(composed != QColor(Qt::white));
        // Rows 90 to 96 lie between the moved strip and link 3: the white still shows there.
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(5, 93), QColor(Qt::white));
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(300, 96), QColor(Qt::white));
        MoveStrip(form, 2, 76);
        QCOMPARE(form.TimeSpaceImage->Canvas().pixelColor(5, 5), composed);
    }

    void resetRestoresPositionsButNotTimings() {
        TTimeSpaceForm form;
        form.Light(4)->SetCycleTime(90);
        MoveStrip(form, 2, 60);
        MoveStrip(form, 3, 200);
        MoveStrip(form, 5, 350);
        QTest::mouseClick(form.ReSet, Qt::LeftButton);
        const int tops[] = {0, 12, 87, 162, 237, 312, 387};
        for (int k = 1; k <= 6; ++k) {
            QCOMPARE(form.Light(k)->y(), tops[k]);
        }
        for (int k = 2; k <= 6; ++k) {
            QCOMPARE(form.Link(k)->height(), 65);
            QCOMPARE(form.SpaceLink(k)->height(), 75);
        }
        QVERIFY(!form.Refresh->isEnabled());
        QCOMPARE(form.Light(4)->CycleTime(), 90);
        QVERIFY(form.CompositionCount() > 0);
    }

    void refreshButtonRealigns() {
        TTimeSpaceForm form;
        MoveStrip(form, 4, 260);
        QTest::mouseClick(form.Refresh, Qt::LeftButton);
        QVERIFY(!form.Refresh->isEnabled());
        QCOMPARE(form.Link(4)->height(), 260 - 172);
        QCOMPARE(form.CompositionCount(), 1);
    }

    // Every caption, with the widest values the labels show, keeps a pixel clear of its box's
    // frame and of every other caption in its parent; a box's title leaves part of the frame's
    // top line showing beyond its rounded corner.
    void captionsClearFramesAndEachOther_data() {
        QTest::addColumn<QString>("unit");
        QTest::newRow("as loaded") << QString();
        QTest::newRow("widest values, seconds") << "sec";
        QTest::newRow("widest values, minutes") << "min";
    }
    void captionsClearFramesAndEachOther() {
        QFETCH(QString, unit);
        TTimeSpaceForm form;
        if (!unit.isEmpty()) {
            // Digits are all as wide: delays stay below an hour (six junctions' reds at most),
            // volumes below 2000, times and percentages below 1000.
            const auto Show = [](std::initializer_list<TLabel *> Labels, const char *Caption) {
                for (TLabel *Label : Labels) {
                    Label->SetCaption(Caption);
                }
            };
            // The delay whose ink reaches furthest towards its unit, of all it can show: the
            // unit changes at 60, and 59.998 s still shows as 60.00.
            QString widestDelay;
            int reach = 0;
            for (int hundredths = 0; hundredths <= 6000; ++hundredths) {
                const QString caption = QString::number(hundredths / 100.0, 'f', 2);
                form.DelayPerVeh->SetCaption(caption);
                if (CaptionRect(form.DelayPerVeh).right() > reach) {
                    reach = CaptionRect(form.DelayPerVeh).right();
                    widestDelay = caption;
                }
            }
            form.DelayPerVeh->SetCaption(widestDelay);
            Show({form.ArtStops}, "6.0");
            Show({form.FwMainRoadVolLabel, form.BkMainRoadVolLabel, form.DivertedTraffic2,
                  form.PercentLeaving2},
                 "1999");
            Show({form.DivertedTraffic1, form.PercentLeaving1, form.CycleOffset, form.CycleTime},
                 "230");
            Show({form.MainRoadSpeedFwdLimLabel, form.MainRoadSpeedBkdLimLabel, form.SplitGreen,
                  form.SplitRed},
                 "94");
            form.TimeUnits->SetCaption(unit);
        }
        const int TitleClearance = 4; // the corner's 2 pixels and 2 of straight line
        QMap<QWidget *, QList<std::pair<QString, QRect>>> Captions;
        for (QGroupBox *Box : form.findChildren<QGroupBox *>()) {
            const QRect Frame = BoxPart(Box, QStyle::SC_GroupBoxFrame);
            const QRect Title = BoxPart(Box, QStyle::SC_GroupBoxLabel);
            QVERIFY2(Title.left() > Frame.left() + TitleClearance &&
                         Title.right() < Frame.right() - TitleClearance,
                     qPrintable(Box->objectName()));
            const QFontMetrics Metrics(Box->font());
            const QRect Ink = Metrics.tightBoundingRect(Box->title());
            Captions[Box] << std::pair{
                Box->objectName(), QRect(Title.left(), Title.top() + Metrics.ascent() + Ink.top(),
                                         Title.width(), Ink.height())};
        }
        for (TLabel *Label : form.findChildren<TLabel *>()) {
            if (!Label->isVisibleTo(&form) || Label->text().isEmpty()) {
                continue;
            }
            const QRect Text = CaptionRect(Label);
            QWidget *Parent = Label->parentWidget();
            QRect Inside = Parent->rect();
            if (auto *Box = qobject_cast<QGroupBox *>(Parent)) {
                // Within the frame's one-pixel line, with a pixel to spare.
                Inside = BoxPart(Box, QStyle::SC_GroupBoxFrame).adjusted(2, 2, -2, -2);
            }
            QVERIFY2(Inside.contains(Text), qPrintable(Label->objectName() + " '" + Label->text() +
                                                       "' crosses its frame"));
            // The junction numbers follow their strips across the mile scale, wherever a
            // strip is dragged: only their frame is theirs to keep.
            bool Moves = false;
            for (int K = 1; K <= JunctionCount; ++K) {
                Moves = Moves || Label == form.JunctionLabel(K);
            }
            if (!Moves) {
                Captions[Parent] << std::pair{Label->objectName(), Text};
            }
        }
        int Checked = 0;
        for (const auto &Siblings : std::as_const(Captions)) {
            for (qsizetype I = 0; I < Siblings.size(); ++I) {
                for (qsizetype J = 0; J < I; ++J) {
                    // A pixel's gap between captions side by side.
                    const QRect Wider = Siblings[I].second.adjusted(-1, 0, 1, 0);
                    QVERIFY2(!Wider.intersects(Siblings[J].second),
                             qPrintable(Siblings[I].first + " meets " + Siblings[J].first));
                }
                ++Checked;
            }
        }
        QVERIFY(Checked > 60);
    }

    void compositionPutsStripsAboveLinks() {
        TTimeSpaceForm form;
        // Let JCT #2 overlap the link above it by moving it without a re-alignment.
        MoveStrip(form, 2, 70);
        form.RefreshTimeSpaceDiagram();
        const QImage &canvas = form.TimeSpaceImage->Canvas();
        QCOMPARE(canvas.size(), QSize(460, 409));
        QCOMPARE(canvas.pixelColor(10, 75), QColor(0, 128, 0));  // strip green over link 2
        QCOMPARE(canvas.pixelColor(100, 15), QColor(255, 0, 0)); // JCT #1 red
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_Layout.moc"
