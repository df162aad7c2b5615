#include "app/TimingTable.h"

#include "analysis/JunctionReport.h"

#include "app/Main.h"
#include "controls/TimeSpaceLight.h"
#include "controls/TimeSpaceLink.h"
#include "model/Diagram.h"
#include "model/Progression.h"
#include "model/TimingEdits.h"
#include "model/Travel.h"
#include "platform/TrackBar.h"
#include "platform/UpDown.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QUndoStack>
#include <QVBoxLayout>

#include <optional>

namespace {

struct ColumnText {
    const char *Header;
    const char *Name; // as a refusal names it
    const char *Unit;
};

constexpr ColumnText TimingColumns[TTimingTable::ColumnCount] = {
    {"Cycle (s)", "cycle", "s"},
    {"Offset (s)", "offset", "s"},
    {"Green (s)", "green", "s"},
    {"Yellow (s)", "yellow", "s"},
    {"Red (s)", "red", "s"},
    {"Green (%)", "green share", "%"},
    {"Red (%)", "red share", "%"},
    {"Link above (ft)", "link above", "ft"},
    {"Travel SB (s)", "travel SB", "s"},
    {"Travel NB (s)", "travel NB", "s"}};

constexpr ColumnText InputRows[TTimingTable::InputRowCount] = {
    {"Southbound volume (veh/hr)", "Southbound volume", "veh/hr"},
    {"Northbound volume (veh/hr)", "Northbound volume", "veh/hr"},
    {"Southbound speed (mph)", "Southbound speed", "mph"},
    {"Northbound speed (mph)", "Northbound speed", "mph"},
    {"Entering from crossroad #2 (%)", "Entering from crossroad #2", "%"},
    {"Leaving onto crossroad #5 (%)", "Leaving onto crossroad #5", "%"}};

// The length the link above a strip gets when the diagram is laid out for these tops.
std::int32_t LaidOutFeet(const PerJunction<std::int32_t> &Tops, int Link) {
    return FeetPerPixel * TravelSpan(LinkHeight(Tops, Link), StripHeight);
}

// Writes a cell without disturbing the one being edited more than needed.
void SetCell(QTableWidget *Table, int Row, int Column, int Value, bool Editable) {
    QTableWidgetItem *item = Table->item(Row, Column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Qt::ItemFlags flags = item->flags();
        item->setFlags(Editable ? flags | Qt::ItemIsEditable : flags & ~Qt::ItemIsEditable);
        if (!Editable) {
            item->setForeground(Table->palette().color(QPalette::Disabled, QPalette::Text));
        }
        Table->setItem(Row, Column, item);
    }
    const QString text = QString::number(Value);
    if (item->text() != text) {
        item->setText(text);
    }
}

// A typed whole number; anything else (blank, decimals, letters) is not one.
std::optional<int> WholeNumber(const QString &Text) {
    bool ok = false;
    const int value = Text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

TTimingTable::TTimingTable(TTimeSpaceForm &Form) : QWidget(&Form, Qt::Tool), FForm(Form) {
    setWindowTitle(QStringLiteral("Timing Table"));

    FTimings = new QTableWidget(JunctionCount, ColumnCount, this);
    FTimings->setObjectName(QStringLiteral("timings"));
    QStringList headers;
    for (const ColumnText &column : TimingColumns) {
        headers << QString::fromLatin1(column.Header);
    }
    FTimings->setHorizontalHeaderLabels(headers);
    QStringList junctions;
    for (int k = 1; k <= JunctionCount; ++k) {
        junctions << QStringLiteral("JCT #%1").arg(k);
    }
    FTimings->setVerticalHeaderLabels(junctions);

    FInputs = new QTableWidget(InputRowCount, 1, this);
    FInputs->setObjectName(QStringLiteral("inputs"));
    FInputs->setHorizontalHeaderLabels({QStringLiteral("Traffic")});
    QStringList inputs;
    for (const ColumnText &row : InputRows) {
        inputs << QString::fromLatin1(row.Header);
    }
    FInputs->setVerticalHeaderLabels(inputs);

    for (QTableWidget *table : {FTimings, FInputs}) {
        // Typing starts an entry, Enter commits it, Escape gives the cell back; Tab and the
        // arrows walk the cells.
        table->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed);
        table->setTabKeyNavigation(true);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    }

    FMessage = new QLabel(this);
    FMessage->setObjectName(QStringLiteral("message"));
    FMessage->setStyleSheet(QStringLiteral("color: red"));
    FMessage->setWordWrap(true);

    Reload();
    for (QTableWidget *table : {FTimings, FInputs}) {
        // Every cell shows without scrolling.
        table->resizeColumnsToContents();
        table->setFixedSize(table->verticalHeader()->sizeHint().width() +
                                table->horizontalHeader()->length() + 2 * table->frameWidth(),
                            table->horizontalHeader()->sizeHint().height() +
                                table->verticalHeader()->length() + 2 * table->frameWidth());
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(FTimings);
    layout->addWidget(FMessage);
    layout->addWidget(FInputs);
    layout->addStretch();

    connect(FTimings, &QTableWidget::itemChanged, this, &TTimingTable::TimingEntered);
    connect(FInputs, &QTableWidget::itemChanged, this, &TTimingTable::InputEntered);
    // Every recomputation, undo and redo (a drag's every move among them) shows at once; a
    // strip moved up or down changes no figure until the diagram is laid out again.
    // A closed table is written again when it is shown.
    const auto follow = [this] {
        if (isVisible()) {
            Reload();
        }
    };
    connect(&FForm, &TTimeSpaceForm::Recomputed, this, follow);
    connect(FForm.Document(), &TArterialDocument::Recomputed, this, follow);
    connect(FForm.UndoStack(), &QUndoStack::indexChanged, this, follow);
}

QString TTimingTable::Message() const {
    return FMessage->text();
}

void TTimingTable::Reload() {
    const bool busy = FBusy;
    FBusy = true;
    for (int k = 1; k <= JunctionCount; ++k) {
        const TTimeSpaceLight *light = FForm.Light(k);
        const LinkMeasure link = FForm.Link(k)->Measure();
        const int row = k - 1;
        SetCell(FTimings, row, CycleColumn, light->CycleTime(), true);
        SetCell(FTimings, row, OffsetColumn, light->CycleOffset(), true);
        SetCell(FTimings, row, GreenColumn, light->GreenTime(), true);
        SetCell(FTimings, row, YellowColumn, light->YellowTime(), true);
        SetCell(FTimings, row, RedColumn, light->RedTime(), true);
        SetCell(FTimings, row, GreenShareColumn, light->PercentGreen(), true);
        SetCell(FTimings, row, RedShareColumn, light->PercentRed(), true);
        SetCell(FTimings, row, LinkColumn, link.Feet, true);
        SetCell(FTimings, row, TravelSouthColumn, link.SouthboundSeconds, false);
        SetCell(FTimings, row, TravelNorthColumn, link.NorthboundSeconds, false);
    }
    const TTrackBar *bars[InputRowCount] = {
        FForm.FwMainRoadVol,         FForm.BkMainRoadVol, FForm.MainRoadSpeedLimitFwd,
        FForm.MainRoadSpeedLimitBkd, FForm.SideVol,       FForm.TrafficLeaving};
    for (int row = 0; row < InputRowCount; ++row) {
        SetCell(FInputs, row, 0, bars[row]->Position(), true);
    }
    FBusy = busy;
}

void TTimingTable::Refuse(const QString &What, const QString &Reason) {
    FMessage->setText(Reason.isEmpty() ? QString()
                                       : What + QStringLiteral(": ") + Reason + QLatin1Char('.'));
}

void TTimingTable::TimingEntered(QTableWidgetItem *Item) {
    if (FBusy) {
        return;
    }
    FBusy = true;
    const int junction = Item->row() + 1;
    const int column = Item->column();
    const QString text = Item->text().trimmed();
    const ColumnText &named = TimingColumns[column];
    const QString what =
        QStringLiteral("JCT #%1 %2 %3 %4")
            .arg(junction)
            .arg(QString::fromLatin1(named.Name), text, QString::fromLatin1(named.Unit));
    const std::optional<int> value = WholeNumber(text);
    QString reason = QStringLiteral("not a whole number");
    if (value) {
        reason = column == LinkColumn ? ApplyLink(junction, *value)
                                      : ApplyTiming(junction, column, *value);
    }
    Refuse(what, reason);
    FBusy = false;
    // A refused entry's cell shows the window's value again.
    Reload();
}

void TTimingTable::InputEntered(QTableWidgetItem *Item) {
    if (FBusy) {
        return;
    }
    FBusy = true;
    const int row = Item->row();
    const QString text = Item->text().trimmed();
    const QString what = QStringLiteral("%1 %2 %3")
                             .arg(QString::fromLatin1(InputRows[row].Name), text,
                                  QString::fromLatin1(InputRows[row].Unit));
    const std::optional<int> value = WholeNumber(text);
    Refuse(what, value ? ApplyInput(row, *value) : QStringLiteral("not a whole number"));
    FBusy = false;
    Reload();
}

void TTimingTable::SelectJunction(int Junction) {
    // As choosing the junction in the panel's list.
    FForm.JCT->setCurrentIndex(Junction - 1);
    FForm.JCTChange(FForm.JCT);
}

void TTimingTable::PanelEdited() {
    // The tail every panel edit ends in: the offset arrows put back the offset they were just
    // loaded with, then the maxima, the recomputation, the panel's figures and the hints follow
    // the new timing, with no pending re-layout run; then the edit is one undo step.
    FForm.CycleOffsetUpDownClick(FForm.CycleOffsetUpDown, btNext);
    FForm.Document()->Record(EditKind::Timing, FForm.CurrentState());
}

QString TTimingTable::ApplyTiming(int Junction, int Column, int Value) {
    TTimeSpaceLight *light = FForm.Light(Junction);
    const int width = light->width();
    const Durations seconds{light->RedTime(), light->GreenTime(), light->YellowTime()};
    switch (Column) {
    case OffsetColumn: {
        if (Value == light->CycleOffset()) {
            return QString(); // an opened file may hold an offset of a whole cycle
        }
        if (Value < 0 || Value >= light->CycleTime()) {
            return QStringLiteral("the offset runs from 0 to %1 s").arg(light->CycleTime() - 1);
        }
        if (Value != light->CycleOffset()) {
            // An offset drag by the difference, as a drag by that many pixels makes it.
            light->DragOffset(Value - light->CycleOffset());
        }
        return QString();
    }
    case CycleColumn: {
        const int least = LeastReachableCycle(width);
        const int greatest = GreatestReachableCycle(width);
        const QString holds = QStringLiteral("the strip holds %1 to %2 s").arg(least).arg(greatest);
        if (Value == light->CycleTime()) {
            return QString();
        }
        if (CycleDragKept(width, Value)) {
            light->DragCycleTime(Value - light->CycleTime());
            return QString();
        }
        // The panel's arrows reach a few cycles the drag does not (two cycles across the
        // strip), within their own range.
        if (Value >= PanelMinCycleTime && Value <= PanelMaxCycleTime &&
            ClampCycleTime(width, Value) == Value) {
            SelectJunction(Junction);
            FForm.CycleTimeUpDown->SetMin(PanelMinCycleTime);
            FForm.CycleTimeUpDown->SetMax(PanelMaxCycleTime);
            FForm.CycleTimeUpDown->SetPosition(Value);
            FForm.CycleTimeUpDownClick(FForm.CycleTimeUpDown, btNext);
            FForm.Document()->Record(EditKind::Timing, FForm.CurrentState());
            return QString();
        }
        return holds;
    }
    case GreenColumn:
    case RedColumn: {
        // A split drag on the yellow by the green gained.
        const int gained = Column == GreenColumn ? Value - seconds.Green : seconds.Red - Value;
        if (gained == 0) {
            return QString();
        }
        if (!SplitDragKept(seconds, gained)) {
            const int both = seconds.Red + seconds.Green;
            return QStringLiteral("red and green keep at least %1 s each beside the %2 s yellow, "
                                  "so %3 s to %4 s")
                .arg(SplitDragMinimum)
                .arg(seconds.Yellow)
                .arg(SplitDragMinimum)
                .arg(both - SplitDragMinimum);
        }
        light->DragSplit(gained);
        return QString();
    }
    case YellowColumn:
        if (Value == seconds.Yellow) {
            return QString();
        }
        // No gesture sets the yellow: the split drag keeps it, and the shares derive it.
        return QStringLiteral("the yellow is what the green and red shares leave of the cycle; "
                              "set the shares instead");
    case GreenShareColumn:
    case RedShareColumn: {
        const bool green = Column == GreenShareColumn;
        if (Value == (green ? light->PercentGreen() : light->PercentRed())) {
            return QString();
        }
        // As the panel's split clicks share the cycle: the other share is what the typed one
        // leaves of 90 %, a yellow of 10 %.
        const int red = green ? SplitShareSum - Value : Value;
        const int greenShare = green ? Value : SplitGreenFor(Value);
        const SplitTiming now{light->CycleTime(), light->PercentRed(), light->PercentGreen(),
                              seconds};
        // The share that shrinks goes first, so that the setters never see more than 100 %.
        const bool redFirst = red < light->PercentRed();
        const SplitTiming next = redFirst ? WithPercentGreen(WithPercentRed(now, red), greenShare)
                                          : WithPercentRed(WithPercentGreen(now, greenShare), red);
        if (next.PercentRed != red || next.PercentGreen != greenShare) {
            return QStringLiteral("the panel shares %1 % between red and green, each above 5 %")
                .arg(SplitShareSum);
        }
        // Only a timing the strip's edits can reach: a scenario file keeps no other.
        if (const std::optional<TimingObjection> objection = TimingUnreachable(width, next)) {
            return QString::fromStdString(objection->What);
        }
        // The panel sets the shares on the selected junction's strip; the durations are
        // derived again from them.
        SelectJunction(Junction);
        if (redFirst) {
            light->SetPercentRed(red);
            light->SetPercentGreen(greenShare);
        } else {
            light->SetPercentGreen(greenShare);
            light->SetPercentRed(red);
        }
        PanelEdited();
        return QString();
    }
    default:
        return QStringLiteral("it follows from the link's length and the speed");
    }
}

QString TTimingTable::ApplyLink(int Junction, int Feet) {
    if (Junction == 1) {
        return QStringLiteral("JCT #1 does not move, so the link above it keeps its length");
    }
    PerJunction<std::int32_t> tops{};
    for (int k = 1; k <= JunctionCount; ++k) {
        tops[k] = FForm.Light(k)->y();
    }
    // The strip keeps the least gap to the strip above and, but for the last, to the one below;
    // the last goes no lower than its place.
    const int highest = tops[Junction - 1] + MinStripGap;
    const int lowest = Junction < JunctionCount ? tops[Junction + 1] - MinStripGap : BottomStripTop;
    const auto feetAt = [&tops, Junction](int Top) {
        PerJunction<std::int32_t> moved = tops;
        moved[Junction] = Top;
        return LaidOutFeet(moved, Junction);
    };
    const QString range = QStringLiteral("%1 to %2 ft in steps of %3 ft")
                              .arg(feetAt(highest))
                              .arg(feetAt(lowest))
                              .arg(FeetPerPixel);
    const int change = Feet - LaidOutFeet(tops, Junction);
    if (change % FeetPerPixel != 0) {
        return QStringLiteral("a link is a whole number of %1 ft steps, so %2")
            .arg(FeetPerPixel)
            .arg(range);
    }
    const int top = tops[Junction] + change / FeetPerPixel;
    if (top < highest || top > lowest) {
        return QStringLiteral("the strips keep their order and %1 px apart, so %2")
            .arg(MinStripGap)
            .arg(range);
    }
    if (change != 0) {
        // A ctrl-drag of the strip below the link, then Refresh: one undo step.
        FForm.Light(Junction)->DragVertically(change / FeetPerPixel);
    }
    if (FForm.Refresh->isEnabled()) {
        FForm.Refresh->click();
    }
    return QString();
}

QString TTimingTable::ApplyInput(int Row, int Value) {
    TTrackBar *bars[InputRowCount] = {
        FForm.FwMainRoadVol,         FForm.BkMainRoadVol, FForm.MainRoadSpeedLimitFwd,
        FForm.MainRoadSpeedLimitBkd, FForm.SideVol,       FForm.TrafficLeaving};
    TTrackBar *bar = bars[Row];
    const bool volume = Row == SouthVolumeRow || Row == NorthVolumeRow;
    if (Value < bar->Min() || Value > bar->Max() || (volume && Value % VolumeStep != 0)) {
        const QString unit = QString::fromLatin1(InputRows[Row].Unit);
        if (volume) {
            return QStringLiteral("the volume is a multiple of %1 from %2 to %3 %4")
                .arg(VolumeStep)
                .arg(bar->Min())
                .arg(bar->Max())
                .arg(unit);
        }
        return QStringLiteral("the track bar runs from %1 to %2 %3")
            .arg(bar->Min())
            .arg(bar->Max())
            .arg(unit);
    }
    if (Value != bar->Position()) {
        // As the user's move of the track bar to the value: its change event, one undo step.
        bar->SetPosition(Value);
        Notify(bar->OnChange(), bar);
    }
    return QString();
}

void AddTimingTableCommand(TTimeSpaceForm &Form) {
    TTimeSpaceForm *form = &Form;
    auto *action = new QAction(QStringLiteral("Timing Table"), form);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    action->setStatusTip(QStringLiteral("Shows every junction's timing, link and the traffic "
                                        "inputs as numbers to type"));
    QObject::connect(action, &QAction::triggered, form, [form] {
        auto *table = form->findChild<TTimingTable *>(QString(), Qt::FindDirectChildrenOnly);
        if (table == nullptr) {
            table = new TTimingTable(*form);
            // Undo and Redo answer their keys in the table's own window too, right after an
            // entry.
            for (QAction *command : form->Commands()) {
                if (command != nullptr && (command->objectName() == QLatin1String("UndoCommand") ||
                                           command->objectName() == QLatin1String("RedoCommand"))) {
                    table->addAction(command);
                }
            }
            // Placed once, beside the window where the screen has room, as the report is.
            const QSize frame = form->frameGeometry().size() - form->size();
            if (const QScreen *screen = form->screen()) {
                if (const std::optional<QPoint> place =
                        ReportPlace(form->frameGeometry(), table->sizeHint() + frame,
                                    screen->availableGeometry())) {
                    table->move(*place);
                }
            }
        }
        table->Reload();
        table->show();
        table->raise();
        table->activateWindow();
    });
    Form.AddCommand(action);
}
