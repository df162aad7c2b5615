#pragma once

#include "platform/FileDialogSeam.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The Help Setup dialog: the browser's path and the help page's path, each with a "..." file
// chooser, and the switch of the junctions' pop-up hints. It is created once at start-up and
// shown modally again and again, so the edit boxes and the check box keep their contents
// between showings.
class THelpForm : public QDialog {
    Q_OBJECT

  public:
    explicit THelpForm(QWidget *Owner = nullptr);

    // Published controls.
    QLabel *Label1;
    QLineEdit *BrowserPath;
    QPushButton *Look1;
    QLabel *Label2;
    QLineEdit *HelpURL;
    QPushButton *Look2;
    QPushButton *Cancel;
    QPushButton *OK;
    QCheckBox *HintState;
    TOpenDialog OpenDialog1;

    // Click event of Look1 and Look2: puts the chosen file's full path into the sender's edit
    // box; a cancelled chooser changes nothing.
    void Look1Click(QObject *Sender);
    // Click event of OK and Cancel: closes the dialog with the sender's modal result.
    void OKCancelClick(QObject *Sender);

    // Shows the dialog modally until it closes. QDialog::Accepted after OK; QDialog::Rejected
    // after Cancel, Escape or the window frame's close.
    int ShowModal();
    int ModalResult() const { return result(); }
};

// Help Setup as the main window runs it: loads BrowserPath and HelpFile into the dialog, shows
// it modally, then switches the hints (SetShowHint with the check box's state) whichever way
// the dialog closed, and takes the edited paths back only when it closed with OK.
void RunHelpSetup(THelpForm &Form, QString &BrowserPath, QString &HelpFile,
                  const std::function<void(bool ShowHint)> &SetShowHint);
