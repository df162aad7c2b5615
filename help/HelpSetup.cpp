#include "help/HelpSetup.h"

#include "platform/Colors.h"
#include "platform/Fonts.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

namespace {

template <typename Control>
Control *Place(QWidget *Parent, const char *Name, const QString &Text, int Left, int Top,
               int Width = -1, int Height = -1) {
    auto *control = new Control(Parent);
    control->setObjectName(QString::fromLatin1(Name));
    control->setText(Text);
    if (Width < 0) {
        control->adjustSize();
        control->move(Left, Top);
    } else {
        control->setGeometry(Left, Top, Width, Height);
    }
    return control;
}

// Enter in an edit box must not press a button: the dialog has no default button.
QPushButton *PlaceButton(QWidget *Parent, const char *Name, const QString &Text, int Left, int Top,
                         int Width, int Height) {
    auto *button = Place<QPushButton>(Parent, Name, Text, Left, Top, Width, Height);
    button->setAutoDefault(false);
    return button;
}

} // namespace

THelpForm::THelpForm(QWidget *Owner) : QDialog(Owner) {
    setObjectName(QStringLiteral("HelpForm"));
    setWindowTitle(QStringLiteral("Help Setup"));
    // Outer size 480 x 108 with a 4-pixel border and a 19-pixel caption bar.
    move(586, 147);
    resize(472, 81);

    QPalette face = palette();
    face.setColor(QPalette::Window, NamedColor::clBtnFace);
    setPalette(face);
    // The window's own font, fixed in pixels so the layout does not follow the screen.
    setFont(FontOf(Sans8));

    Label1 = Place<QLabel>(this, "Label1", QStringLiteral("BrowserPath"), 8, 12);
    BrowserPath =
        Place<QLineEdit>(this, "BrowserPath", QStringLiteral("BrowserPath"), 88, 8, 265, 21);
    Look1 = PlaceButton(this, "Look1", QStringLiteral("..."), 357, 7, 23, 23);
    Label2 = Place<QLabel>(this, "Label2", QStringLiteral("Main Help Path"), 8, 36);
    HelpURL = Place<QLineEdit>(this, "HelpURL", QStringLiteral("HelpURL"), 88, 32, 265, 21);
    Look2 = PlaceButton(this, "Look2", QStringLiteral("..."), 357, 31, 23, 23);
    Cancel = PlaceButton(this, "Cancel", QStringLiteral("Cancel"), 392, 8, 75, 27);
    OK = PlaceButton(this, "OK", QStringLiteral("OK"), 392, 38, 75, 25);
    HintState =
        Place<QCheckBox>(this, "HintState", QStringLiteral("Traffic Light Hints"), 88, 56, 105, 17);

    setTabOrder(BrowserPath, Look1);
    setTabOrder(Look1, HelpURL);
    setTabOrder(HelpURL, Look2);
    setTabOrder(Look2, Cancel);
    setTabOrder(Cancel, OK);
    setTabOrder(OK, HintState);

    connect(Look1, &QPushButton::clicked, this, [this] { Look1Click(Look1); });
    connect(Look2, &QPushButton::clicked, this, [this] { Look1Click(Look2); });
    connect(Cancel, &QPushButton::clicked, this, [this] { OKCancelClick(Cancel); });
    connect(OK, &QPushButton::clicked, this, [this] { OKCancelClick(OK); });
}

void THelpForm::Look1Click(QObject *Sender) {
    if (!OpenDialog1.Execute(this)) {
        return;
    }
    if (Sender == Look1) {
        BrowserPath->setText(OpenDialog1.FileName());
    } else if (Sender == Look2) {
        HelpURL->setText(OpenDialog1.FileName());
    }
}

void THelpForm::OKCancelClick(QObject *Sender) {
    if (Sender == Cancel) {
        done(QDialog::Rejected);
    } else if (Sender == OK) {
        done(QDialog::Accepted);
    }
}

int THelpForm::ShowModal() {
    return exec();
}

void RunHelpSetup(THelpForm &Form, QString &BrowserPath, QString &HelpFile,
                  const std::function<void(bool ShowHint)> &SetShowHint) {
    Form.BrowserPath->setText(BrowserPath);
    Form.HelpURL->setText(HelpFile);
    const int result = Form.ShowModal();
    if (SetShowHint) {
        SetShowHint(Form.HintState->isChecked());
    }
    if (result == QDialog::Accepted) {
        BrowserPath = Form.BrowserPath->text();
        HelpFile = Form.HelpURL->text();
    }
}
