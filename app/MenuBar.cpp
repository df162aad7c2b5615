#include "app/MenuBar.h"

#include "app/FileCommands.h"
#include "app/Layout.h"
#include "app/Main.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include <utility>

namespace {

QString Plain(QString Text) {
    return Text.remove(QLatin1Char('&'));
}

struct Item {
    const char *Text; // with its mnemonic; empty for a separator
    const char *Tip;
};

// Each command found in the window's list joins the menu under its text with the mnemonic;
// one not made (yet) is left out, and so is a separator with nothing before it.
void AddItems(QMenu *Menu, const TTimeSpaceForm &Form, std::initializer_list<Item> Items) {
    for (const Item &item : Items) {
        if (item.Text[0] == '\0') {
            if (!Menu->isEmpty()) {
                Menu->addSeparator();
            }
            continue;
        }
        QAction *action = Form.Command(QString::fromUtf8(item.Text));
        if (action == nullptr) {
            continue;
        }
        // Undo and redo name the step they take: their own texts carry the mnemonic.
        if (action->text() == Plain(action->text())) {
            action->setText(QString::fromUtf8(item.Text));
        }
        action->setStatusTip(QString::fromUtf8(item.Tip));
        action->setToolTip(QString::fromUtf8(item.Tip));
        Menu->addAction(action);
    }
}

QAction *OwnAction(QMenu *Menu, const QString &Text, const QString &Tip,
                   const QList<QKeySequence> &Keys) {
    QAction *action = Menu->addAction(Text);
    action->setStatusTip(Tip);
    action->setToolTip(Tip);
    action->setShortcuts(Keys);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

QString Version() {
    return QStringLiteral(TIMESPACE_VERSION);
}

} // namespace

QString KeyboardText(const TTimeSpaceForm &Form) {
    // A table, so that the keys and what they do line up in any font.
    QString rows;
    const auto add = [&rows](const QString &Keys, const QString &What) {
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                    .arg(Keys.toHtmlEscaped(), What.toHtmlEscaped());
    };
    const QMenuBar *bar = Form.findChild<QMenuBar *>(QStringLiteral("MenuBar"));
    if (bar != nullptr) {
        for (const QAction *menu : bar->actions()) {
            for (const QAction *action : menu->menu()->actions()) {
                QStringList keys;
                for (const QKeySequence &key : action->shortcuts()) {
                    keys << key.toString(QKeySequence::NativeText);
                }
                if (!keys.isEmpty()) {
                    add(keys.join(QStringLiteral(", ")), Plain(action->text()));
                }
            }
        }
    }
    QString diagram;
    std::swap(rows, diagram);
    add(QStringLiteral("Up, Down"), QStringLiteral("choose the junction"));
    add(QStringLiteral("Left, Right"), QStringLiteral("move its offset by one second"));
    add(QStringLiteral("Shift+Left, Shift+Right"),
        QStringLiteral("change its cycle by one second"));
    add(QStringLiteral("Ctrl+Left, Ctrl+Right"), QStringLiteral("move its yellow by one second"));
    add(QStringLiteral("Ctrl+Up, Ctrl+Down"),
        QStringLiteral("move JCT #2 to JCT #6 up or down a pixel, 40 ft (then Refresh)"));
    add(QStringLiteral("Delete"), QStringLiteral("reset the junction"));
    add(QStringLiteral("Shift+F10, Menu"), QStringLiteral("open the command menu"));
    std::swap(rows, diagram);
    return QStringLiteral("<p><b>Commands</b></p><table cellspacing=\"4\">%1</table>"
                          "<p><b>On the diagram</b> (the selected junction has a dashed "
                          "frame)</p><table cellspacing=\"4\">%2</table>")
        .arg(rows, diagram);
}

void AddMenuBar(TTimeSpaceForm &Form) {
    TTimeSpaceForm *form = &Form;
    auto *bar = new QMenuBar(form);
    bar->setObjectName(QStringLiteral("MenuBar"));
    bar->setNativeMenuBar(false); // above the form, on every desktop

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    QAction *renew = OwnAction(file, QStringLiteral("&New"),
                               QStringLiteral("Back to the arterial as the program starts"),
                               QKeySequence::keyBindings(QKeySequence::New));
    QObject::connect(renew, &QAction::triggered, form, [form] { form->Files()->NewClick(); });
    AddItems(file, Form,
             {{"&Open...", "Opens a scenario file"},
              {"&Save", "Saves the scenario"},
              {"Save &As...", "Saves the scenario in another file"},
              {"", ""},
              {"&Export Diagram...", "Writes the diagram as a PNG or SVG picture"},
              {"Export &Report as PDF...", "Writes the timing report as a PDF file"},
              {"&Print Report...", "Prints the timing report"},
              {"Export &Table as CSV...", "Writes the junction table for a spreadsheet"},
              {"Export to S&UMO...", "Writes the arterial as a SUMO scenario folder"},
              {"", ""}});
    QAction *quit = OwnAction(file, QStringLiteral("&Quit"), QStringLiteral("Closes the window"),
                              {QKeySequence(Qt::CTRL | Qt::Key_Q)});
    QObject::connect(quit, &QAction::triggered, form, &QWidget::close);

    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    AddItems(edit, Form,
             {{"&Undo", "Takes back the last edit"},
              {"&Redo", "Does the edit taken back again"},
              {"", ""},
              {"&Copy Diagram", "Puts the diagram on the clipboard"},
              {"", ""},
              {"&Timing Table", "Shows every value as a table to type in"}});

    QMenu *view = bar->addMenu(QStringLiteral("&View"));
    AddItems(view, Form,
             {{"&Junction Report", "Shows each junction's figures both ways"},
              {"&Progression Band", "Draws the progression band over the diagram"},
              {"Simulated &Trajectories...",
               "Draws the simulated vehicles' paths of a SUMO run over the diagram"}});

    QMenu *tools = bar->addMenu(QStringLiteral("&Tools"));
    AddItems(tools, Form,
             {{"&Simulate in SUMO...",
               "Runs the arterial in the SUMO traffic simulator, once or many times"},
              {"&Optimise Timing...", "Finds offsets and a cycle for a wider band or less delay"}});

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    QAction *page = OwnAction(help, QStringLiteral("&Help"),
                              QStringLiteral("Opens the help page in the browser"),
                              QKeySequence::keyBindings(QKeySequence::HelpContents));
    QObject::connect(page, &QAction::triggered, form, [form] { form->HelpClick(form->Help); });
    QAction *setup = OwnAction(help, QStringLiteral("Help &Setup..."),
                               QStringLiteral("Sets the browser and the help page"), {});
    QObject::connect(setup, &QAction::triggered, form,
                     [form] { form->HelpSetupClick(form->HelpSetup); });
    QAction *keys =
        OwnAction(help, QStringLiteral("&Keyboard"), QStringLiteral("Lists the window's keys"), {});
    QObject::connect(keys, &QAction::triggered, form, [form] {
        Prompts::ShowMessage(form, Prompts::MessageKind::Information, QStringLiteral("Keyboard"),
                             KeyboardText(*form));
    });
    help->addSeparator();
    QAction *about = OwnAction(help, QStringLiteral("&About TimeSpace"),
                               QStringLiteral("The program's version"), {});
    QObject::connect(about, &QAction::triggered, form, [form] {
        Prompts::ShowMessage(form, Prompts::MessageKind::Information,
                             QStringLiteral("About TimeSpace"),
                             QStringLiteral("TimeSpace %1\n\nCoordinates the traffic signals of an "
                                            "arterial road on a time-space diagram.")
                                 .arg(Version()));
    });
    for (QMenu *menu : {file, edit, view, tools, help}) {
        menu->setToolTipsVisible(true);
    }

    // The form's client area goes below the bar, and the window grows by the bar's height.
    const int height = bar->sizeHint().height();
    bar->setGeometry(0, 0, FormClientSize.width(), height);
    Form.Client()->move(0, height);
    Form.resize(FormClientSize.width(), FormClientSize.height() + height);
}
