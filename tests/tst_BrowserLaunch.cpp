#include "FormDriver.h"

#include "help/BrowserLaunch.h"
#include "help/HelpSetup.h"
#include "platform/ProcessStart.h"
#include "platform/Prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

using ProcessStart::ResolveCommandLine;
using ProcessStart::StartDetached;

namespace {

// A stand-in browser: a shell script that records the folder it was started in and its
// arguments, NUL-separated, into "<its own path>.args", published in one rename so that a
// reader never sees half of it.
const char StandInScript[] = "#!/bin/sh\n"
                             "printf '%s\\0' \"$PWD\" \"$@\" > \"$0.args.part\"\n"
                             "mv -f \"$0.args.part\" \"$0.args\"\n";

bool WriteFile(const QString &path, const QByteArray &content, bool executable) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        return false;
    }
    file.close();
    if (executable) {
        return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                   QFile::ReadGroup | QFile::ExeGroup);
    }
    return true;
}

QString RecordPath(const QString &standIn) {
    return standIn + QStringLiteral(".args");
}

// What the stand-in recorded: the folder it ran in, then its arguments.
QStringList Recorded(const QString &standIn) {
    QFile file(RecordPath(standIn));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList fields = QString::fromUtf8(file.readAll()).split(QChar(u'\0'));
    if (!fields.isEmpty() && fields.last().isEmpty()) {
        fields.removeLast();
    }
    return fields;
}

// Children of this process that have ended but were never reaped.
int ZombieChildren() {
    int zombies = 0;
#ifdef Q_OS_LINUX
    const QString self = QString::number(getpid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const QString line = QString::fromUtf8(stat.readAll());
        const QStringList rest =
            line.mid(line.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
        if (rest.size() > 1 && rest.at(0) == QLatin1String("Z") && rest.at(1) == self) {
            ++zombies;
        }
    }
#endif
    return zombies;
}

using FormDriver::Retype;

// Files that a shell would have created had it read one of the hostile texts.
QStringList ShellTraces(const QDir &dir) {
    return dir.entryList({QStringLiteral("pwned*")}, QDir::Files);
}

} // namespace

class tst_BrowserLaunch : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FStandIn;      // <dir>/browser
    QString FBlankStandIn; // <dir>/My Browser/run browser
    QString FDefaultName = BrowserLaunch::DefaultBrowserPath;
    QByteArray FOriginalPath;

    QString InDir(const QString &name) const { return FDir.filePath(name); }

    // Replaces %D by the test's folder.
    QString Expand(QString text) const { return text.replace(QStringLiteral("%D"), FDir.path()); }

  private slots:
    void initTestCase() {
#ifndef Q_OS_LINUX
        QSKIP("The stand-in browser is a POSIX shell script and the zombie check reads /proc.");
#endif
        QVERIFY(FDir.isValid());
        FStandIn = InDir("browser");
        QVERIFY(WriteFile(FStandIn, StandInScript, true));
        QVERIFY(QDir(FDir.path()).mkdir("My Browser"));
        FBlankStandIn = InDir("My Browser/run browser");
        QVERIFY(WriteFile(FBlankStandIn, StandInScript, true));
        // The default browser's Windows path is a legal file name here; found through PATH.
        QVERIFY(QDir(FDir.path()).mkdir("bin"));
        QVERIFY(WriteFile(InDir("bin/" + FDefaultName), StandInScript, true));
        // Files for the resolution rules.
        QVERIFY(WriteFile(InDir("prog"), StandInScript, true));
        QVERIFY(WriteFile(InDir("prog two"), StandInScript, true));
        QVERIFY(WriteFile(InDir("plain"), "not a program", false));
        QVERIFY(QDir(FDir.path()).mkdir("folder"));
        // Help pages: one in the start folder and beside the program, one beside it only.
        QVERIFY(WriteFile(InDir("page.html"), "<html></html>", false));
        QVERIFY(WriteFile(InDir("bin/page.html"), "<html></html>", false));
        QVERIFY(WriteFile(InDir("bin/beside.html"), "<html></html>", false));
        FOriginalPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(InDir("bin") + ":" + FDir.path() + ":") + FOriginalPath);
    }

    void cleanupTestCase() {
        qputenv("PATH", FOriginalPath);
    }

    void init() {
        // Failing to start a browser is silent: no warning may appear anywhere.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        for (const QString &standIn : {FStandIn, FBlankStandIn, InDir("bin/" + FDefaultName)}) {
            QFile::remove(RecordPath(standIn));
        }
    }

    void cleanup() {
        Prompts::SetUrlOpener({});
        Prompts::SetMessageAnswerer({});
        const QDir dir(FDir.path());
        const QStringList traces = ShellTraces(dir);
        for (const QString &trace : traces) {
            QFile::remove(dir.filePath(trace)); // so that one failure does not fail the next rows
        }
        QCOMPARE(traces, QStringList());
        QTRY_COMPARE(ZombieChildren(), 0);
    }

    void commandLine_data() {
        QTest::addColumn<QString>("browser");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("line");
        QTest::newRow("defaults")
            << BrowserLaunch::DefaultBrowserPath << BrowserLaunch::DefaultHelpFile
            << "C:\\Program Files\\Netscape\\Communicator\\Program\\netscape.exe "
               "file:\\\\\\MainHelp.html";
        QTest::newRow("blanks kept, nothing quoted") << "/opt/My Browser/run"
                                                     << "a b.html"
                                                     << "/opt/My Browser/run file:\\\\\\a b.html";
        QTest::newRow("both empty") << ""
                                    << ""
                                    << " file:\\\\\\";
    }

    void commandLine() {
        QFETCH(QString, browser);
        QFETCH(QString, page);
        QFETCH(QString, line);
        QCOMPARE(BrowserLaunch::BrowserCommandLine(browser, page), line);
    }

    void resolve_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("program"); // empty: nothing to start
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("absolute path, one argument") << "%D/browser x"
                                                     << "%D/browser" << QStringList{"x"};
        QTest::newRow("no arguments") << "%D/browser"
                                      << "%D/browser" << QStringList{};
        QTest::newRow("shortest existing prefix wins") << "%D/prog two x"
                                                       << "%D/prog" << QStringList{"two", "x"};
        QTest::newRow("blank inside the program's name")
            << "%D/My Browser/run browser --new a"
            << "%D/My Browser/run browser" << QStringList{"--new", "a"};
        QTest::newRow("runs of blanks separate arguments") << "%D/browser  a   b "
                                                           << "%D/browser" << QStringList{"a", "b"};
        QTest::newRow("leading blanks skipped") << "  %D/browser a"
                                                << "%D/browser" << QStringList{"a"};
        QTest::newRow("found through PATH") << "prog two"
                                            << "%D/prog" << QStringList{"two"};
        QTest::newRow("Windows default name through PATH")
            << BrowserLaunch::BrowserCommandLine(FDefaultName, "MainHelp.html")
            << "%D/bin/" + FDefaultName << QStringList{"file:\\\\\\MainHelp.html"};
        QTest::newRow("not executable") << "%D/plain x"
                                        << "" << QStringList{};
        QTest::newRow("a folder") << "%D/folder x"
                                  << "" << QStringList{};
        QTest::newRow("missing") << "%D/missing x"
                                 << "" << QStringList{};
        QTest::newRow("relative path not looked up in PATH") << "bin/prog"
                                                             << "" << QStringList{};
        QTest::newRow("empty") << ""
                               << "" << QStringList{};
        QTest::newRow("only blanks") << "   "
                                     << "" << QStringList{};
        QTest::newRow("quoted program") << "\"%D/browser\" x"
                                        << "" << QStringList{};
        QTest::newRow("NUL after the program")
            << QStringLiteral("%D/browser a") + QChar(u'\0') + "b"
            << "" << QStringList{};
        QTest::newRow("10,000 characters") << QString(10000, u'a') << "" << QStringList{};
        QTest::newRow("10,000 blanks between words")
            << QString(5000, u' ') + "%D/browser" + QString(5000, u' ') + "x"
            << "%D/browser" << QStringList{"x"};
    }

    void resolve() {
        QFETCH(QString, line);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        const auto resolved = ResolveCommandLine(Expand(line));
        if (program.isEmpty()) {
            QVERIFY(!resolved.has_value());
            return;
        }
        QVERIFY(resolved.has_value());
        QCOMPARE(resolved->Program, Expand(program));
        QCOMPARE(resolved->Arguments, arguments);
    }

    void defaultPathsStartTheDefaultProgram() {
        const QString standIn = InDir("bin/" + FDefaultName);
        QVERIFY(StartDetached(BrowserLaunch::BrowserCommandLine(BrowserLaunch::DefaultBrowserPath,
                                                                BrowserLaunch::DefaultHelpFile)));
        QTRY_VERIFY(QFile::exists(RecordPath(standIn)));
        // The browser runs in our own folder with the single argument file:\\\MainHelp.html.
        QCOMPARE(Recorded(standIn), (QStringList{QDir::currentPath(), "file:\\\\\\MainHelp.html"}));
    }

    void browserPathWithBlanksWorksUnquoted() {
        QVERIFY(StartDetached(BrowserLaunch::BrowserCommandLine(FBlankStandIn, "Main Help.html")));
        QTRY_VERIFY(QFile::exists(RecordPath(FBlankStandIn)));
        // Like the program name, the page is not quoted: its blank separates two arguments.
        QCOMPARE(Recorded(FBlankStandIn).mid(1), (QStringList{"file:\\\\\\Main", "Help.html"}));
    }

    void missingBrowserStartsNothing_data() {
        QTest::addColumn<QString>("browser");
        QTest::newRow("missing file") << "%D/no such browser";
        QTest::newRow("empty path") << "";
        QTest::newRow("folder") << "%D/folder";
        QTest::newRow("not executable") << "%D/plain";
        QTest::newRow("Windows path, nothing installed") << "C:\\Program Files\\None\\none.exe";
    }

    void missingBrowserStartsNothing() {
        QFETCH(QString, browser);
        const int windowsBefore = QApplication::topLevelWidgets().size();
        QVERIFY(
            !StartDetached(BrowserLaunch::BrowserCommandLine(Expand(browser), "MainHelp.html")));
        QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore); // no message box
    }

    void hostileTextIsNeverInterpreted_data() {
        QTest::addColumn<QString>("browser");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("started");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("page: ; and command substitution")
            << "%D/browser"
            << "x; touch %D/pwned1 $(touch %D/pwned2)" << true
            << QStringList{"file:\\\\\\x;", "touch", "%D/pwned1", "$(touch", "%D/pwned2)"};
        QTest::newRow("page: backquotes and quotes")
            << "%D/browser"
            << "`touch %D/pwned3` \"a b\" 'c'" << true
            << QStringList{"file:\\\\\\`touch", "%D/pwned3`", "\"a", "b\"", "'c'"};
        QTest::newRow("page: newline and pipe")
            << "%D/browser"
            << "a\ntouch %D/pwned4 | touch %D/pwned5 && touch %D/pwned6" << true
            << QStringList{"file:\\\\\\a\ntouch", "%D/pwned4", "|",     "touch",
                           "%D/pwned5",           "&&",        "touch", "%D/pwned6"};
        QTest::newRow("page: 10,000 characters")
            << "%D/browser" << QString(10000, u'x') << true
            << QStringList{"file:\\\\\\" + QString(10000, u'x')};
        QTest::newRow("browser: command substitution") << "$(touch %D/pwned7)"
                                                       << "MainHelp.html" << false << QStringList{};
        QTest::newRow("browser: backquotes") << "`touch %D/pwned8`"
                                             << "MainHelp.html" << false << QStringList{};
        QTest::newRow("browser: ; then a command") << "%D/browser;touch %D/pwned9"
                                                   << "MainHelp.html" << false << QStringList{};
        QTest::newRow("browser: newline then a command")
            << "%D/browser\ntouch %D/pwned10"
            << "MainHelp.html" << false << QStringList{};
        QTest::newRow("browser: quoted") << "\"%D/browser\""
                                         << "MainHelp.html" << false << QStringList{};
        QTest::newRow("browser: 10,000 characters")
            << QString(10000, u'b') << "MainHelp.html" << false << QStringList{};
    }

    void hostileTextIsNeverInterpreted() {
        QFETCH(QString, browser);
        QFETCH(QString, page);
        QFETCH(bool, started);
        QFETCH(QStringList, arguments);
        QCOMPARE(StartDetached(BrowserLaunch::BrowserCommandLine(Expand(browser), Expand(page))),
                 started);
        if (started) {
            QTRY_VERIFY(QFile::exists(RecordPath(FStandIn)));
            QStringList expected = arguments;
            for (QString &argument : expected) {
                argument = Expand(argument);
            }
            QCOMPARE(Recorded(FStandIn).mid(1), expected);
        }
        // cleanup() checks that no shell left a trace and no zombie is left behind.
    }

    // The page the desktop is asked to open: taken from the start folder as the browser takes
    // it, else from beside the program; a "#name" is the address's fragment.
    void helpPageUrl_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("url");
        QTest::newRow("in the start folder first") << "page.html"
                                                   << "file://%D/page.html";
        QTest::newRow("only beside the program") << "beside.html"
                                                 << "file://%D/bin/beside.html";
        QTest::newRow("in neither: the start folder's") << "none.html"
                                                        << "file://%D/none.html";
        QTest::newRow("a fragment") << "beside.html#signals"
                                    << "file://%D/bin/beside.html#signals";
        QTest::newRow("an absolute path") << "%D/folder/../page.html"
                                          << "file://%D/page.html";
    }
    void helpPageUrl() {
        QFETCH(QString, page);
        QFETCH(QString, url);
        QCOMPARE(BrowserLaunch::HelpPageUrl(Expand(page), FDir.path(), InDir("bin")),
                 QUrl(Expand(url)));
    }

    // Help on the window, with the paths set in Help Setup: the browser when it starts;
    // otherwise the desktop opens the page; when that fails too, or the page is missing, a
    // message says where the page is.
    void helpClickFallsBackToTheDesktop_data() {
        QTest::addColumn<QString>("browser");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("desktopOpens");
        QTest::addColumn<QString>("desktopAsked"); // empty: not asked
        QTest::addColumn<QString>("message");      // a part of it; empty: no message
        QTest::newRow("the browser starts") << "%D/browser"
                                            << "%D/page.html" << true << ""
                                            << "";
        QTest::newRow("Windows browser, the desktop opens the page")
            << "C:\\Program Files\\None\\none.exe"
            << "%D/page.html#signals" << true << "file://%D/page.html#signals"
            << "";
        QTest::newRow("no browser, no desktop") << "%D/no such browser"
                                                << "%D/page.html" << false << "file://%D/page.html"
                                                << "Open the help page yourself:\n\n%D/page.html\n";
        QTest::newRow("no browser, no page") << "%D/no such browser"
                                             << "%D/gone.html" << true << ""
                                             << "The help page was not found:\n\n%D/gone.html\n";
    }
    void helpClickFallsBackToTheDesktop() {
        QFETCH(QString, browser);
        QFETCH(QString, page);
        QFETCH(bool, desktopOpens);
        QFETCH(QString, desktopAsked);
        QFETCH(QString, message);
        QList<QUrl> asked;
        QStringList messages;
        Prompts::SetUrlOpener([&](const QUrl &url) {
            asked << url;
            return desktopOpens;
        });
        Prompts::SetMessageAnswerer(
            [&](Prompts::MessageKind kind, const QString &, const QString &text) {
                if (kind == Prompts::MessageKind::Warning) {
                    messages << text;
                }
            });
        TTimeSpaceForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        THelpForm *setup = form.HelpForm();
        QTimer::singleShot(0, setup, [&] {
            Retype(setup->BrowserPath, Expand(browser));
            Retype(setup->HelpURL, Expand(page));
            QTest::mouseClick(setup->OK, Qt::LeftButton);
            if (setup->isVisible()) {
                setup->reject();
            }
        });
        QTest::mouseClick(form.HelpSetup, Qt::LeftButton);
        QCOMPARE(form.HelpFile(), Expand(page));
        QTest::mouseClick(form.Help, Qt::LeftButton);

        if (browser == "%D/browser") {
            QTRY_VERIFY(QFile::exists(RecordPath(FStandIn)));
            QCOMPARE(Recorded(FStandIn).mid(1), QStringList{"file:\\\\\\" + Expand(page)});
        }
        QCOMPARE(asked,
                 desktopAsked.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl(Expand(desktopAsked))});
        QCOMPARE(messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QVERIFY2(messages[0].contains(Expand(message)), qPrintable(messages[0]));
        }
    }

    void okChangesWhatTheNextHelpClickStarts() {
        THelpForm form;
        QString browser = BrowserLaunch::DefaultBrowserPath;
        QString helpFile = BrowserLaunch::DefaultHelpFile;
        QTimer::singleShot(0, &form, [&] {
            Retype(form.BrowserPath, FBlankStandIn);
            QTest::keyClick(form.HelpURL, Qt::Key_End);
            QTest::keyClicks(form.HelpURL, "#signals");
            QTest::mouseClick(form.OK, Qt::LeftButton);
            if (form.isVisible()) {
                form.reject();
            }
        });
        RunHelpSetup(form, browser, helpFile, {});

        QVERIFY(StartDetached(BrowserLaunch::BrowserCommandLine(browser, helpFile)));
        QTRY_VERIFY(QFile::exists(RecordPath(FBlankStandIn)));
        QCOMPARE(Recorded(FBlankStandIn).mid(1), QStringList{"file:\\\\\\MainHelp.html#signals"});
        QVERIFY(!QFile::exists(RecordPath(InDir("bin/" + FDefaultName))));
    }

    void cancelKeepsWhatTheNextHelpClickStarts() {
        THelpForm form;
        QString browser = FStandIn;
        QString helpFile = BrowserLaunch::DefaultHelpFile;
        bool hints = false;
        QTimer::singleShot(0, &form, [&] {
            Retype(form.BrowserPath, FBlankStandIn);
            Retype(form.HelpURL, "Other.html");
            QTest::mouseClick(form.HintState, Qt::LeftButton);
            QTest::mouseClick(form.Cancel, Qt::LeftButton);
            if (form.isVisible()) {
                form.reject();
            }
        });
        RunHelpSetup(form, browser, helpFile, [&](bool on) { hints = on; });
        QVERIFY(hints);

        QVERIFY(StartDetached(BrowserLaunch::BrowserCommandLine(browser, helpFile)));
        QTRY_VERIFY(QFile::exists(RecordPath(FStandIn)));
        QCOMPARE(Recorded(FStandIn).mid(1), QStringList{"file:\\\\\\MainHelp.html"});
        QVERIFY(!QFile::exists(RecordPath(FBlankStandIn)));
    }
};

QTEST_MAIN(tst_BrowserLaunch)
#include "tst_BrowserLaunch.moc"
