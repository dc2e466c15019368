#include "app/hold_banner.h"
#include "app/program.h"
#include "main_window/main.h"
#include "plc/plc_interface.h"
#include "plc/plc_server.h"
#include "plc/request_handler.h"
#include "simulation/station_runner.h"
#include "support/manual_time.h"
#include "support/modbus_peers.h"
#include "support/plc_doubles.h"
#include "support/test_support.h"
#include "support/warning_log.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

namespace
{

// A PLC on a raw socket: one request, one answer.
class RawPlc
{
  public:
    explicit RawPlc(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        m_socket.waitForConnected(2000);
    }
    QString send(const QString& request)
    {
        m_socket.write(plc::encodeFrame(++m_transaction, 1, testing::requestPdu(request)));
        QElapsedTimer waited;
        waited.start();
        while (m_socket.bytesAvailable() < 9 && waited.elapsed() < 2000)
            QTest::qWait(5);
        const QByteArray answer = m_socket.readAll();
        return testing::describeResponse(answer.mid(plc::FrameReader::HeaderSize));
    }

  private:
    QTcpSocket m_socket;
    quint16 m_transaction = 0;
};

} // namespace

class TestPlcInterface : public QObject
{
    Q_OBJECT

  private slots:
    void pupilAndPlc_data();
    void pupilAndPlc();
    void aboutLines_data();
    void aboutLines();
    void settingsReadOrRefused_data();
    void settingsReadOrRefused();
};

void TestPlcInterface::pupilAndPlc_data()
{
    // "plc REQUEST -> ANSWER", "silent", "noodstop", "release", "station",
    // "force N" (input N + 1 on), "faults OPEN SHORT" (the teacher's masks)
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("outputBefore");  // the station's output word before the press
    QTest::addColumn<bool>("pressApplies"); // the pupil's press of output 1
    QTest::addColumn<QString>("status");    // the PLC status line before the press
    QTest::addColumn<QString>("about");     // the about window's line on the owner or hold
    const QString nobody = QStringLiteral("Geen PLC bestuurt de uitgangen.");
    const QString owner = QStringLiteral("De PLC op 127.0.0.1 bestuurt de uitgangen.");
    const QString hold =
        QStringLiteral("Noodstop: alle uitgangen blijven uit tot \"Noodstop opheffen\".");

    QTest::newRow("no PLC: the pupil drives")
        << QStringList{} << 0 << true << "Wacht op een PLC op poort %1" << nobody;
    QTest::newRow("a PLC owns: refused") << QStringList{"plc w5 2 on -> ok"} << 0x04 << false
                                         << "PLC 127.0.0.1 bestuurt de uitgangen" << owner;
    QTest::newRow("the PLC went silent: the pupil again")
        << QStringList{"plc w15 0x06 -> ok", "silent"} << 0 << true
        << "PLC stil: alle uitgangen uit" << nobody;
    QTest::newRow("Noodstop: the PLC is refused, the pupil is not")
        << QStringList{"noodstop", "plc w5 2 on -> ex04"} << 0 << true
        << "PLC 127.0.0.1 geweigerd: de Noodstop houdt alle uitgangen uit" << hold;
    QTest::newRow("released: the PLC's write is refused until it writes all off")
        << QStringList{"plc w5 2 on -> ok", "noodstop", "release", "plc w5 3 on -> ex04"} << 0
        << false << "Wacht tot de PLC alle uitgangen uitzet"
        << "Wacht tot de PLC alle uitgangen uitzet; tot dan zet de PLC niets aan.";
    QTest::newRow("released, all off written: the PLC's next write applies")
        << QStringList{"plc w5 2 on -> ok", "noodstop", "release", "plc w15 0x00 -> ok",
                       "plc w5 3 on -> ok"}
        << 0x08 << false << "PLC 127.0.0.1 bestuurt de uitgangen" << owner;
    QTest::newRow("the hold stays on the status line when the owner falls silent")
        << QStringList{"plc w5 2 on -> ok", "noodstop", "silent"} << 0 << true
        << "Noodstop: alle uitgangen blijven uit tot \"Noodstop opheffen\"" << hold;
    QTest::newRow("another station while a PLC owns: its all-off word applies")
        << QStringList{"plc w5 2 on -> ok", "station"} << 0 << false
        << "PLC 127.0.0.1 bestuurt de uitgangen" << owner;
    QTest::newRow("the PLC reads the inputs with the teacher's hidden faults")
        << QStringList{"force 1", "force 2", "faults 0x02 0x10", "plc r4 -> =0014"} << 0 << true
        << "Wacht op een PLC op poort %1" << nobody;
}

void TestPlcInterface::pupilAndPlc()
{
    QFETCH(QStringList, before);
    QFETCH(int, outputBefore);
    QFETCH(bool, pressApplies);
    QFETCH(QString, status);
    QFETCH(QString, about);

    testing::ServiceScope services;
    testing::WarningLog log;
    testing::ManualTime time;
    plc::PlcSettings settings;
    settings.port = testing::freeTcpPort();
    plc::PlcInterface port(settings, {}, time.newClock());
    Main main(&port);
    app::handCapabilities(main, app::capabilitiesOf(&port));
    port.stationRunner()->setStation(main.stationState().current());
    main.findChild<QAbstractButton*>("CMD_Verbinding")->click();
    QCOMPARE(main.Verbonden(), -1);
    QCOMPARE(port.GetModuleNumber(0), plc::PlcInterface::Model);

    // The about window stays open and follows what happens.
    port.AboutBox();
    QPointer<QDialog> aboutBox;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("PlcAbout"))
            aboutBox = qobject_cast<QDialog*>(top);
    QVERIFY(aboutBox);

    RawPlc plcClient(quint16(settings.port));
    for (const QString& step : before) {
        if (step == QLatin1String("silent")) {
            time.advance(settings.watchdogMs);
        } else if (step == QLatin1String("station")) {
            main.findChild<QAbstractButton*>("CMD_Stationhandling")->click();
        } else if (step == QLatin1String("noodstop")) {
            main.findChild<QAbstractButton*>("CMD_ResetAlles")->click();
        } else if (step.startsWith(QLatin1String("force "))) {
            port.stationRunner()->setInputForce(step.mid(6).toInt(), sim::Force::On);
        } else if (step.startsWith(QLatin1String("faults "))) {
            main.setHiddenFaults(step.section(QLatin1Char(' '), 1, 1).toInt(nullptr, 0),
                                 step.section(QLatin1Char(' '), 2, 2).toInt(nullptr, 0));
        } else if (step == QLatin1String("release")) {
            QWidget* bar = app::makeStatusBar(port.drivenElsewhere());
            bar->findChild<QAbstractButton*>("PLC_NoodstopOpheffen")->click();
            delete bar;
        } else {
            const QStringList parts = step.mid(4).split(QStringLiteral(" -> "));
            QCOMPARE(plcClient.send(parts[0]), parts[1]);
        }
    }
    QCOMPARE(port.statusText(),
             status.replace(QLatin1String("%1"), QString::number(settings.port)));
    const QStringList aboutText =
        aboutBox->findChild<QLabel*>(QStringLiteral("PlcAboutText"))->text().split('\n');
    QVERIFY2(aboutText.contains(about), qPrintable(aboutText.join('|')));
    QVERIFY(aboutText.contains(
        QStringLiteral("Luistert op adres 127.0.0.1, poort %1.").arg(settings.port)));
    QVERIFY(aboutText.contains(QStringLiteral("Waakhond: 1 s. Stuurt de PLC die de uitgangen "
                                              "bestuurt zo lang niets, dan gaan alle uitgangen "
                                              "uit.")));
    delete aboutBox;
    // The main window shows what the station was given, no more.
    QCOMPARE(main.DecimaalUit(), outputBefore);
    QCOMPARE(int(port.stationRunner()->outputs()), outputBefore);
    const int boxes = int(services.messages.shown.size());
    const int clicks = int(services.sounds.names().count("Klik 01.wav"));

    main.findChild<QAbstractButton*>("CMD_SetReset(0)")->click();

    const int expected = pressApplies ? (outputBefore | 1) : outputBefore;
    QCOMPARE(main.DecimaalUit(), expected);
    QCOMPARE(int(port.stationRunner()->outputs()), expected);
    if (pressApplies) {
        QCOMPARE(services.messages.shown.size(), boxes);
    } else {
        QCOMPARE(services.messages.shown.size(), boxes + 1);
        QCOMPARE(services.messages.shown.last().text,
                 QStringLiteral("De PLC bestuurt de uitgangen."));
        QCOMPARE(services.sounds.names().count("Klik 01.wav"), clicks);
    }

    // "Verbreek": every PLC connection closed, outputs off.
    main.findChild<QAbstractButton*>("CMD_Verbinding")->click();
    QCOMPARE(port.server().connectionCount(), 0);
    QCOMPARE(int(port.stationRunner()->outputs()), 0);
    QVERIFY(!port.server().isListening());
}

void TestPlcInterface::aboutLines_data()
{
    QTest::addColumn<QString>("facts"); // "off", "unusable", "dog=MS", "unit=N"
    QTest::addColumn<QString>("line");
    QTest::newRow("not yet connected: where it will listen")
        << "off"
        << "Luistert nog niet (adres 127.0.0.1, poort 1502): klik eerst op \"Zoek en verbind\".";
    QTest::newRow("unusable settings say why")
        << "unusable"
        << "Er wordt niet naar PLC's geluisterd: In x staat onder [plc] port=0.";
    QTest::newRow("half a second in Dutch") << "dog=500"
                                            << "Waakhond: 0,5 s. Stuurt de PLC die de uitgangen "
                                               "bestuurt zo lang niets, dan gaan alle uitgangen "
                                               "uit.";
    QTest::newRow("no watchdog")
        << "dog=0"
        << "Geen waakhond: de uitgangen gaan pas uit als de PLC zijn laatste verbinding sluit.";
    QTest::newRow("one unit id") << "unit=7"
                                 << "Antwoordt op unit-id 7 (en 255).";
}

void TestPlcInterface::aboutLines()
{
    QFETCH(QString, facts);
    QFETCH(QString, line);
    plc::AboutFacts f;
    f.listening = facts != QLatin1String("off");
    f.listen = QStringLiteral("127.0.0.1");
    f.port = 1502;
    f.watchdogMs = 1000;
    if (facts == QLatin1String("unusable")) {
        f.usable = false;
        f.listening = false;
        f.problem = QStringLiteral("In x staat onder [plc] port=0.");
    } else if (facts.startsWith(QLatin1String("dog="))) {
        f.watchdogMs = facts.mid(4).toInt();
    } else if (facts.startsWith(QLatin1String("unit="))) {
        f.unit = facts.mid(5).toInt();
    }
    const QStringList lines = plc::aboutLines(f);
    QVERIFY2(lines.contains(line), qPrintable(lines.join('|')));
}

void TestPlcInterface::settingsReadOrRefused_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("usable");
    const QList<QPair<const char*, bool>> rows{
        {"listen=0.0.0.0", true},
        {"listen=192.168.0.5", true},
        {"listen=localhost", false},
        {"listen=1.2.3", false},
        {"listen=::1", false},
        {"port=1", true},
        {"port=0", false},
        {"port=65536", false},
        {"port=15o2", false},
        {"unit=0", true},
        {"unit=247", true},
        {"unit=248", false},
        {"unit=-1", false},
        {"watchdog=0", true},
        {"watchdog=100", true},
        {"watchdog=60000", true},
        {"watchdog=50", false},
        {"watchdog=60001", false},
        {"allow=", true},
        {"allow=10.0.0.1, 10.0.0.0/24", true},
        {"allow=10.0.0.0/33", false},
        {"allow=school.example", false},
        {"allow=10.0.0.1,,", true},
        {"allow=10.0.0.1/", false},
    };
    for (const auto& [line, usable] : rows)
        QTest::newRow(line) << QString::fromLatin1(line) << usable;
}

// A [plc] value that cannot be used: nothing listens, and the box names the
// file, the key and the value.
void TestPlcInterface::settingsReadOrRefused()
{
    QFETCH(QString, line);
    QFETCH(bool, usable);
    testing::ServiceScope services;
    testing::WarningLog log;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Automatiseren.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // Any port the row does not set is a free one.
    const QString port = line.startsWith(QLatin1String("port="))
                             ? QString()
                             : QStringLiteral("port=%1\n").arg(testing::freeTcpPort());
    file.write(QStringLiteral("[interface]\ntype=plc\n[plc]\n%1%2\n").arg(port, line).toUtf8());
    file.close();
    QSettings ini(path, QSettings::IniFormat);
    const plc::PlcSettings settings = plc::PlcSettings::fromSettings(ini);
    QCOMPARE(settings.usable(), usable);
    if (usable)
        return;
    plc::PlcInterface plcPort(settings, {});
    QCOMPARE(plcPort.SearchAndConnect(), qint16(0));
    const QString text = plcPort.searchFailureText();
    QVERIFY2(text.contains(QStringLiteral("[plc] ") + line.trimmed()), qPrintable(text));
    QVERIFY(text.contains(QDir::toNativeSeparators(path)));
    QVERIFY(!plcPort.server().isListening());
    QCOMPARE(log.count(), 1);
}

QTEST_MAIN(TestPlcInterface)
#include "tst_plc_interface.moc"
