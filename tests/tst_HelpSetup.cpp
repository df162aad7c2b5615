#include "FormDriver.h"

#include "help/HelpSetup.h"
#include "platform/Colors.h"
#include "platform/FileDialogSeam.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <functional>

namespace {

// Runs Action inside the dialog's modal loop. If Action leaves the dialog open (a failed check
// returns early), the dialog is cancelled so that the test cannot hang.
void WhileModal(THelpForm &form, std::function<void()> action) {
    QTimer::singleShot(0, &form, [&form, action = std::move(action)] {
        if (QTest::qWaitForWindowExposed(&form)) {
            action();
        }
        if (form.isVisible()) {
            form.reject();
        }
    });
}

using FormDriver::Retype;

enum class CloseBy { OkButton, CancelButton, WindowFrame, EscapeKey };

// Closes the showing dialog the way a user would.
void CloseDialog(THelpForm &form, CloseBy how) {
    switch (how) {
    case CloseBy::OkButton:
        QTest::mouseClick(form.OK, Qt::LeftButton);
        break;
    case CloseBy::CancelButton:
        QTest::mouseClick(form.Cancel, Qt::LeftButton);
        break;
    case CloseBy::WindowFrame: {
        // What the window manager's close button delivers to the window.
        QCloseEvent close;
        QCoreApplication::sendEvent(form.windowHandle(), &close);
        break;
    }
    case CloseBy::EscapeKey:
        QTest::keyClick(form.focusWidget() ? form.focusWidget() : &form, Qt::Key_Escape);
        break;
    }
}

// A file chooser that answers with Answer and remembers how it was asked.
struct ScriptedChooser {
    QString answer;
    int calls = 0;
    QWidget *parent = nullptr;
    TOpenFileChooser previous;

    explicit ScriptedChooser(QString chosen) : answer(std::move(chosen)) {
        previous = SetOpenFileChooser([this](QWidget *Parent) {
            ++calls;
            parent = Parent;
            return answer;
        });
    }
    ~ScriptedChooser() { SetOpenFileChooser(previous); }
    ScriptedChooser(const ScriptedChooser &) = delete;
    ScriptedChooser &operator=(const ScriptedChooser &) = delete;
};

} // namespace

Q_DECLARE_METATYPE(CloseBy)

class tst_HelpSetup : public QObject {
    Q_OBJECT

  private slots:
    void windowAsLoaded() {
        THelpForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Help Setup"));
        QCOMPARE(form.pos(), QPoint(586, 147));
        QCOMPARE(form.size(), QSize(472, 81));
        QCOMPARE(form.palette().color(QPalette::Window), NamedColor::clBtnFace);
        QCOMPARE(form.font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(form.font().pixelSize(), 11); // 8 pt at 96 dpi
        QCOMPARE(QFontInfo(form.BrowserPath->font()).family(), QStringLiteral("Liberation Sans"));
        QVERIFY(!form.HintState->isChecked());
        QVERIFY(form.isHidden());
        QVERIFY(form.OpenDialog1.FileName().isEmpty());
        // The dialog has no default button: Enter in an edit box presses nothing.
        for (QPushButton *button : {form.Look1, form.Look2, form.Cancel, form.OK}) {
            QVERIFY(!button->autoDefault());
            QVERIFY(!button->isDefault());
        }
    }

    void controlsAsLoaded_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry"); // width -1: sized to its caption
        QTest::addColumn<QString>("text");
        QTest::newRow("Label1") << "Label1" << QRect(8, 12, -1, -1) << "BrowserPath";
        QTest::newRow("BrowserPath") << "BrowserPath" << QRect(88, 8, 265, 21) << "BrowserPath";
        QTest::newRow("Look1") << "Look1" << QRect(357, 7, 23, 23) << "...";
        QTest::newRow("Label2") << "Label2" << QRect(8, 36, -1, -1) << "Main Help Path";
        QTest::newRow("HelpURL") << "HelpURL" << QRect(88, 32, 265, 21) << "HelpURL";
        QTest::newRow("Look2") << "Look2" << QRect(357, 31, 23, 23) << "...";
        QTest::newRow("Cancel") << "Cancel" << QRect(392, 8, 75, 27) << "Cancel";
        QTest::newRow("OK") << "OK" << QRect(392, 38, 75, 25) << "OK";
        QTest::newRow("HintState")
            << "HintState" << QRect(88, 56, 105, 17) << "Traffic Light Hints";
    }

    void controlsAsLoaded() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        THelpForm form;
        const QWidget *control = form.findChild<QWidget *>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget(), &form);
        if (geometry.width() < 0) {
            QCOMPARE(control->pos(), geometry.topLeft());
            QVERIFY(control->width() > 0);
        } else {
            QCOMPARE(control->geometry(), geometry);
        }
        QCOMPARE(control->property("text").toString(), text);
        // Every published control is reachable under its own name.
        const QObject *published[] = {form.Label1, form.BrowserPath, form.Look1,
                                      form.Label2, form.HelpURL,     form.Look2,
                                      form.Cancel, form.OK,          form.HintState};
        QVERIFY(std::find(std::begin(published), std::end(published), control) !=
                std::end(published));
    }

    void tabOrderFollowsTheForm() {
        THelpForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.BrowserPath->setFocus();
        const QStringList expected = {"Look1", "HelpURL",   "Look2",      "Cancel",
                                      "OK",    "HintState", "BrowserPath"};
        QStringList visited;
        for (int step = 0; step < expected.size(); ++step) {
            QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
            visited << form.focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
        QTest::keyClick(form.focusWidget(), Qt::Key_Backtab);
        QCOMPARE(form.focusWidget(), form.HintState);
    }

    void lookButtonFillsItsOwnEditBox_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("chosen"); // empty: the chooser was cancelled
        QTest::addColumn<QString>("browserAfter");
        QTest::addColumn<QString>("helpAfter");
        QTest::newRow("Look1 chosen") << "Look1"
                                      << "/opt/web browser/run"
                                      << "/opt/web browser/run"
                                      << "page.html";
        QTest::newRow("Look2 chosen") << "Look2"
                                      << "/home/u/docs/Main Help.html"
                                      << "/usr/bin/browser"
                                      << "/home/u/docs/Main Help.html";
        QTest::newRow("Look1 cancelled") << "Look1"
                                         << ""
                                         << "/usr/bin/browser"
                                         << "page.html";
        QTest::newRow("Look2 cancelled") << "Look2"
                                         << ""
                                         << "/usr/bin/browser"
                                         << "page.html";
    }

    void lookButtonFillsItsOwnEditBox() {
        QFETCH(QString, button);
        QFETCH(QString, chosen);
        QFETCH(QString, browserAfter);
        QFETCH(QString, helpAfter);
        THelpForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        Retype(form.BrowserPath, "/usr/bin/browser");
        Retype(form.HelpURL, "page.html");

        ScriptedChooser chooser(chosen);
        QTest::mouseClick(form.findChild<QPushButton *>(button), Qt::LeftButton);
        QCOMPARE(chooser.calls, 1);
        QCOMPARE(chooser.parent, &form);
        QCOMPARE(form.BrowserPath->text(), browserAfter);
        QCOMPARE(form.HelpURL->text(), helpAfter);
        QVERIFY(form.isVisible()); // choosing a file does not close the dialog
    }

    void modalResult_data() {
        QTest::addColumn<CloseBy>("closeBy");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << CloseBy::OkButton << int(QDialog::Accepted);
        QTest::newRow("Cancel") << CloseBy::CancelButton << int(QDialog::Rejected);
        QTest::newRow("window frame") << CloseBy::WindowFrame << int(QDialog::Rejected);
        QTest::newRow("Escape") << CloseBy::EscapeKey << int(QDialog::Rejected);
    }

    void modalResult() {
        QFETCH(CloseBy, closeBy);
        QFETCH(int, result);
        THelpForm form;
        bool wasModal = false;
        WhileModal(form, [&] {
            wasModal = form.isModal() && QApplication::activeModalWidget() == &form;
            CloseDialog(form, closeBy);
        });
        QCOMPARE(form.ShowModal(), result);
        QVERIFY(wasModal);
        QCOMPARE(form.ModalResult(), result);
        QVERIFY(form.isHidden());
    }

    void enterInAnEditBoxClosesNothing() {
        THelpForm form;
        WhileModal(form, [&] {
            form.BrowserPath->setFocus();
            QTest::keyClick(form.BrowserPath, Qt::Key_Return);
            QVERIFY(form.isVisible());
            QTest::mouseClick(form.OK, Qt::LeftButton);
        });
        QCOMPARE(form.ShowModal(), int(QDialog::Accepted));
    }

    void helpSetupAppliesTheResult_data() {
        QTest::addColumn<CloseBy>("closeBy");
        QTest::addColumn<bool>("tickHints");
        QTest::addColumn<bool>("pathsTaken");
        QTest::newRow("OK, hints ticked") << CloseBy::OkButton << true << true;
        QTest::newRow("OK, hints left off") << CloseBy::OkButton << false << true;
        QTest::newRow("Cancel, hints ticked") << CloseBy::CancelButton << true << false;
        QTest::newRow("Cancel, hints left off") << CloseBy::CancelButton << false << false;
        QTest::newRow("frame, hints ticked") << CloseBy::WindowFrame << true << false;
        QTest::newRow("Escape, hints ticked") << CloseBy::EscapeKey << true << false;
    }

    void helpSetupAppliesTheResult() {
        QFETCH(CloseBy, closeBy);
        QFETCH(bool, tickHints);
        QFETCH(bool, pathsTaken);
        THelpForm form;
        QString browser = QStringLiteral("C:\\Program Files\\Netscape\\browser.exe");
        QString helpFile = QStringLiteral("MainHelp.html");
        QList<bool> hintCalls;
        QString shownBrowser;
        QString shownHelp;

        WhileModal(form, [&] {
            shownBrowser = form.BrowserPath->text();
            shownHelp = form.HelpURL->text();
            Retype(form.BrowserPath, "/usr/local/bin/other browser");
            Retype(form.HelpURL, "docs/Other.html");
            if (tickHints) {
                QTest::mouseClick(form.HintState, Qt::LeftButton);
                QVERIFY(form.HintState->isChecked());
            }
            QVERIFY(hintCalls.isEmpty()); // nothing is applied while the dialog shows
            CloseDialog(form, closeBy);
        });
        RunHelpSetup(form, browser, helpFile, [&](bool on) { hintCalls << on; });

        QCOMPARE(shownBrowser, QStringLiteral("C:\\Program Files\\Netscape\\browser.exe"));
        QCOMPARE(shownHelp, QStringLiteral("MainHelp.html"));
        QCOMPARE(hintCalls, QList<bool>{tickHints});
        if (pathsTaken) {
            QCOMPARE(browser, QStringLiteral("/usr/local/bin/other browser"));
            QCOMPARE(helpFile, QStringLiteral("docs/Other.html"));
        } else {
            QCOMPARE(browser, QStringLiteral("C:\\Program Files\\Netscape\\browser.exe"));
            QCOMPARE(helpFile, QStringLiteral("MainHelp.html"));
        }
    }

    void dialogIsReusedBetweenShowings() {
        THelpForm form;
        QString browser = QStringLiteral("/usr/bin/first");
        QString helpFile = QStringLiteral("First.html");
        QList<bool> hintCalls;
        const auto setHints = [&](bool on) { hintCalls << on; };

        // Edit, tick the hints, cancel.
        WhileModal(form, [&] {
            Retype(form.BrowserPath, "/typed/but/cancelled");
            QTest::mouseClick(form.HintState, Qt::LeftButton);
            QTest::mouseClick(form.Cancel, Qt::LeftButton);
        });
        RunHelpSetup(form, browser, helpFile, setHints);

        // The next showing loads the stored paths again, but the check box keeps its tick.
        QString shownBrowser;
        bool shownTicked = false;
        WhileModal(form, [&] {
            shownBrowser = form.BrowserPath->text();
            shownTicked = form.HintState->isChecked();
            QTest::mouseClick(form.HintState, Qt::LeftButton);
            CloseDialog(form, CloseBy::WindowFrame);
        });
        RunHelpSetup(form, browser, helpFile, setHints);

        QCOMPARE(shownBrowser, QStringLiteral("/usr/bin/first"));
        QVERIFY(shownTicked);
        QCOMPARE(hintCalls, (QList<bool>{true, false}));
        QCOMPARE(browser, QStringLiteral("/usr/bin/first"));
        QCOMPARE(helpFile, QStringLiteral("First.html"));
    }
};

QTEST_MAIN(tst_HelpSetup)
#include "tst_HelpSetup.moc"
