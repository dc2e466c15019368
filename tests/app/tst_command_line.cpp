// The command line. --help and --version answer on a machine without any
// display: the program must end before Qt looks for one. A --settings file
// that cannot be used, an unknown option or a stray argument end with
// status 2 and one line on stderr, before any window.
#include "app/command_line.h"
#include "platform/installation_file.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

class TestCommandLine : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void withoutDisplay_data();
    void withoutDisplay();
    void inProcess_data();
    void inProcess();
    void grading_data();
    void grading();
    void manualPageNamesEveryOption_data();
    void manualPageNamesEveryOption();

  private:
    QTemporaryDir m_dir;
};

void TestCommandLine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile ini(m_dir.filePath(QStringLiteral("school.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[interface]\ntype=simulated\n");
    ini.close();
    QFile locked(m_dir.filePath(QStringLiteral("locked.ini")));
    QVERIFY(locked.open(QIODevice::WriteOnly));
    locked.close();
    locked.setPermissions(QFileDevice::Permissions());
}

void TestCommandLine::withoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // a part of stdout
    QTest::addColumn<QString>("err"); // a part of the one line on stderr
    const QString missing = m_dir.filePath(QStringLiteral("nowhere.ini"));
    QTest::newRow("--version") << QStringList{"--version"} << 0
                               << cmdline::versionLine() + QLatin1Char('\n') << "";
    QTest::newRow("-v") << QStringList{"-v"} << 0 << "Automatiseren 1."
                        << "";
    QTest::newRow("--help") << QStringList{"--help"} << 0 << "--settings <BESTAND>"
                            << "";
    QTest::newRow("--help names the program")
        << QStringList{"-h"} << 0 << "Gebruik: Automatiseren [opties]"
        << "";
    QTest::newRow("--help wins over a bad file")
        << QStringList{"--settings", missing, "--help"} << 0 << "--version"
        << "";
    QTest::newRow("settings file missing")
        << QStringList{"--settings", missing} << 2 << "" << missing + "' does not exist";
    QTest::newRow("settings is a folder") << QStringList{"--settings", m_dir.path()} << 2 << ""
                                          << "cannot be read";
    if (geteuid() != 0) // root reads every file
        QTest::newRow("settings unreadable")
            << QStringList{"--settings=" + m_dir.filePath(QStringLiteral("locked.ini"))} << 2 << ""
            << "locked.ini' cannot be read";
    QTest::newRow("settings without a file") << QStringList{"--settings"} << 2 << ""
                                             << "Missing value after '--settings'";
    QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << ""
                                    << "Unknown option 'colour'";
    QTest::newRow("stray argument") << QStringList{"plan.txt"} << 2 << ""
                                    << "unexpected argument 'plan.txt'";
    QTest::newRow("--csv without --nakijken") << QStringList{"--csv", "uit.csv"} << 2 << ""
                                              << "--csv hoort bij --nakijken";
}

void TestCommandLine::withoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/Automatiseren"), arguments);
    QVERIFY2(p.waitForFinished(20000), "the program did not end");
    const QString stdOut = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(p.exitStatus() == QProcess::NormalExit, qPrintable(stdErr));
    QCOMPARE(p.exitCode(), status);
    if (status == 0) {
        QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
        QCOMPARE(stdErr, QString());
    } else {
        QCOMPARE(stdOut, QString());
        QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
        QCOMPARE(stdErr.count(QLatin1Char('\n')), 1);
    }
}

void TestCommandLine::inProcess_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("file"); // the installation file in force afterwards
    const QString school = m_dir.filePath(QStringLiteral("school.ini"));
    QTest::newRow("no arguments: the lookup") << QStringList{} << -1 << "";
    QTest::newRow("--settings FILE") << QStringList{"--settings", school} << -1 << school;
    QTest::newRow("--settings=FILE") << QStringList{"--settings=" + school} << -1 << school;
    QTest::newRow("Qt's own options pass")
        << QStringList{"-platform", "offscreen", "-style", "fusion", "-reverse"} << -1 << "";
    QTest::newRow("a refused file changes nothing")
        << QStringList{"--settings", m_dir.path()} << 2 << "";
}

void TestCommandLine::inProcess()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, file);
    platform::setInstallationFileOverride(QString());
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    arguments.prepend(QStringLiteral("automatiseren"));
    QCOMPARE(cmdline::readCommandLine(arguments, outStream, errStream), status);
    QCOMPARE(platform::installationFileOverride(), file);
    if (!file.isEmpty())
        QCOMPARE(platform::installationFile(), file);
    platform::setInstallationFileOverride(QString());
}

// Grading plans against a lesson, without a display: the lines on stdout,
// the status, and the CSV when asked.
void TestCommandLine::grading_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("csv"); // empty: none asked

    const QString lesson =
        QFINDTESTDATA("../../assets/Opdrachten/Transportband - metaal naar de glijbaan.json");
    const QString plans = QFINDTESTDATA("../lesson/plans");
    const QString right = plans + QStringLiteral("/transportband-goed.json");
    const QString wrong = plans + QStringLiteral("/transportband-stopper-blijft.json");
    const QString broken = m_dir.filePath(QStringLiteral("z-kapot.json"));
    const QString slide =
        QStringLiteral("scenario 1 \"Een metalen en een kunststof onderdeel\": Aan "
                       "het eind lagen 2 onderdelen in de glijbaan; de opdracht "
                       "vraagt er 1.");
    const QString csv = m_dir.filePath(QStringLiteral("cijfers.csv"));

    QTest::newRow("sorted by file name, failing plans included")
        << QStringList{"--nakijken", lesson, wrong, right} << 0
        << right + ": 1/1\n" + wrong + ": 0/1 " + slide + "\n"
        << "";
    QTest::newRow("an unreadable plan is named with its reason, in file name order")
        << QStringList{"--nakijken", lesson, broken, right} << 1
        << right + ": 1/1\n" + broken +
               ": niet nagekeken: Kan \"z-kapot.json\" niet openen: \"station\" ontbreekt.\n"
        << "";
    QTest::newRow("an unreadable lesson") << QStringList{"--nakijken", right, right} << 2 << ""
                                          << "";
    // Without scenarios every plan would read "0/0" as if all were right.
    QTest::newRow("a fault-finding lesson has no plans to grade")
        << QStringList{"--nakijken",
                       QFINDTESTDATA(
                           "../../assets/Opdrachten/Station handling - storing zoeken.json"),
                       right}
        << 2 << ""
        << "";
    QTest::newRow("the CSV quotes every text")
        << QStringList{"--nakijken", lesson, wrong, "--csv", csv} << 0
        << wrong + ": 0/1 " + slide + "\n"
        << "bestand,goed,totaal,eerste fout\r\n\"" + wrong + "\",0,1,\"" +
               QString(slide).replace("\"", "\"\"") + "\"\r\n";
}

void TestCommandLine::grading()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, csv);
    QFile broken(m_dir.filePath(QStringLiteral("z-kapot.json")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("{\"stappen\": []}");
    broken.close();
    QFile::remove(m_dir.filePath(QStringLiteral("cijfers.csv")));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/Automatiseren"), arguments);
    QVERIFY2(p.waitForFinished(20000), "the program did not end");
    const QString stdErr = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(p.exitStatus() == QProcess::NormalExit, qPrintable(stdErr));
    QCOMPARE(p.exitCode(), status);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), out);
    if (status == 2)
        QVERIFY2(stdErr.startsWith(QStringLiteral("Kan ")), qPrintable(stdErr));
    QFile written(m_dir.filePath(QStringLiteral("cijfers.csv")));
    QCOMPARE(written.exists(), !csv.isEmpty());
    if (!csv.isEmpty()) {
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()), csv);
    }
}

// The manual page the package installs describes each option --help shows.
void TestCommandLine::manualPageNamesEveryOption_data()
{
    QTest::addColumn<QString>("option");
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    QCOMPARE(cmdline::readCommandLine({QStringLiteral("automatiseren"), QStringLiteral("--help")},
                                      outStream, errStream),
             0);
    outStream.flush();
    // "  -h, --help   Toon deze hulp en stop." and "  --settings <BESTAND>  ..."
    const QRegularExpression optionLine(QStringLiteral("^\\s+(-\\w)?(?:, )?(--[\\w-]+)"),
                                        QRegularExpression::MultilineOption);
    int found = 0;
    for (const QRegularExpressionMatch& m : optionLine.globalMatch(out)) {
        for (const QString& option : {m.captured(1), m.captured(2)}) {
            if (!option.isEmpty()) {
                QTest::newRow(qPrintable(option)) << option;
                ++found;
            }
        }
    }
    QVERIFY2(found >= 5, qPrintable(out));
}

void TestCommandLine::manualPageNamesEveryOption()
{
    QFETCH(QString, option);
    const QString path = QFINDTESTDATA("../../packaging/automatiseren.1.in");
    QVERIFY2(!path.isEmpty(), "packaging/automatiseren.1.in is missing");
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString page = QString::fromUtf8(f.readAll());
    const QString options = page.section(QStringLiteral("\n.SH OPTIES\n"), 1, 1)
                                .section(QStringLiteral("\n.SH "), 0, 0);
    // In roff a minus sign is written "\-".
    QString roff = option;
    roff.replace(QLatin1Char('-'), QStringLiteral("\\-"));
    QVERIFY2(options.contains(QStringLiteral(".BR ") + roff) ||
                 options.contains(QStringLiteral(".BI ") + roff) ||
                 options.contains(QStringLiteral(", \" ") + roff),
             qPrintable(option + QStringLiteral(" is not under OPTIES")));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
