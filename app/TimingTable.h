#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QTableWidget;
class QTableWidgetItem;
class TTimeSpaceForm;

// The timing table: every junction's timing and link and the traffic inputs as numbers, each
// one typed in place. A typed value is made by the very gesture, panel click or track-bar move
// that would make it on the window, so it is one undo step and the window ends as the gesture
// leaves it; a value the window cannot hold is refused with the reason, never clamped.
class TTimingTable : public QWidget {
    Q_OBJECT

  public:
    // The junction table's columns.
    enum Column {
        CycleColumn,
        OffsetColumn,
        GreenColumn,
        YellowColumn,
        RedColumn,
        GreenShareColumn,
        RedShareColumn,
        LinkColumn,
        TravelSouthColumn,
        TravelNorthColumn,
        ColumnCount
    };
    // The traffic table's rows.
    enum InputRow {
        SouthVolumeRow,
        NorthVolumeRow,
        SouthSpeedRow,
        NorthSpeedRow,
        EnteringRow,
        LeavingRow,
        InputRowCount
    };

    explicit TTimingTable(TTimeSpaceForm &Form);

    QTableWidget *Timings() const { return FTimings; }
    QTableWidget *Inputs() const { return FInputs; }
    // The last refusal, or empty.
    QString Message() const;

    // Shows the window's values.
    void Reload();

  private:
    void TimingEntered(QTableWidgetItem *Item);
    void InputEntered(QTableWidgetItem *Item);
    // Makes the edit; the reason it was refused, or empty.
    QString ApplyTiming(int Junction, int Column, int Value);
    QString ApplyLink(int Junction, int Feet);
    QString ApplyInput(int Row, int Value);
    // The junction panel's edits are made on the selected junction.
    void SelectJunction(int Junction);
    void PanelEdited();
    // The line under the table: the entry and why it was refused, or nothing when taken.
    void Refuse(const QString &What, const QString &Reason);

    TTimeSpaceForm &FForm;
    QTableWidget *FTimings = nullptr;
    QTableWidget *FInputs = nullptr;
    QLabel *FMessage = nullptr;
    bool FBusy = false; // an entry is being made or the cells are being written
};

// Adds the Timing Table command to the window's commands.
void AddTimingTableCommand(TTimeSpaceForm &Form);
