// The way out of the program with a Modbus module behind the window: every
// way of ending leaves the module's outputs off, within the exit bound.

#include "interface_link/modbus_module.h"
#include "main_window/main.h"
#include "platform/exit_signals.h"
#include "support/modbus_peers.h"
#include "support/test_support.h"
#include "support/try_wait.h"

#include <QElapsedTimer>
#include <QModbusTcpServer>
#include <QProcess>
#include <QTcpServer>
#include <QTextStream>
#include <QtTest>
#include <csignal>
#include <memory>
#include <unistd.h>

constexpr int kSigHup = SIGHUP;
constexpr int kSigInt = SIGINT;
constexpr int kSigTerm = SIGTERM;

using testing::freeTcpPort;

namespace
{

class Module : public QModbusTcpServer
{
  public:
    bool start(int port)
    {
        QModbusDataUnitMap map;
        map.insert(QModbusDataUnit::Coils, {QModbusDataUnit::Coils, 0, 8});
        map.insert(QModbusDataUnit::DiscreteInputs, {QModbusDataUnit::DiscreteInputs, 0, 8});
        setMap(map);
        setServerAddress(1);
        setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
        setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
        return connectDevice();
    }

    int coils() const
    {
        int word = 0;
        for (int i = 0; i < 8; ++i) {
            quint16 v = 0;
            data(QModbusDataUnit::Coils, quint16(i), &v);
            if (v)
                word |= 1 << i;
        }
        return word;
    }
};

} // namespace

class TestModbusExitPath : public QObject
{
    Q_OBJECT

  private slots:
    void outputsEndOff_data();
    void outputsEndOff();
    void hangUpEndsChildWithOutputsOff();
};

void TestModbusExitPath::outputsEndOff_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("moduleGone");
    QTest::newRow("Afsluiten") << "Afsluiten" << false;
    QTest::newRow("window closed") << "close" << false;
    QTest::newRow("SIGTERM") << "SIGTERM" << false;
    QTest::newRow("SIGINT") << "SIGINT" << false;
    QTest::newRow("SIGHUP") << "SIGHUP" << false;
    QTest::newRow("Afsluiten, module gone") << "Afsluiten" << true;
    QTest::newRow("window closed, module gone") << "close" << true;
}

void TestModbusExitPath::outputsEndOff()
{
    QFETCH(QString, way);
    QFETCH(bool, moduleGone);

    testing::ServiceScope services;
    const int port = freeTcpPort();
    QVERIFY(port > 0);
    Module module;
    QVERIFY(module.start(port));
    iface::ModbusSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    auto control = std::make_unique<iface::ModbusModule>(settings);
    auto window = std::make_unique<Main>(control.get());
    int quits = 0;
    window->setQuitHandler([&quits] { ++quits; });
    window->show();

    window->CMD_Verbinding->click();
    QCOMPARE(window->Verbonden(), -1);
    window->CMD_SetReset[0]->click();
    window->CMD_SetReset[2]->click();
    QCOMPARE(window->DecimaalUit(), 0x05);
    QVERIFY(control->flush(1000));
    QCOMPARE(module.coils(), 0x05);
    if (moduleGone)
        module.disconnectDevice();

    if (way == QLatin1String("Afsluiten")) {
        window->CMD_Afsluiten->click();
    } else if (way == QLatin1String("close")) {
        window->close();
    } else {
        platform::ExitSignals* exitSignals = platform::ExitSignals::install(nullptr);
        QVERIFY(exitSignals);
        connect(exitSignals, &platform::ExitSignals::exitRequested, window.get(),
                &Main::exitProgram);
        ::raise(way == QLatin1String("SIGTERM")  ? kSigTerm
                : way == QLatin1String("SIGHUP") ? kSigHup
                                                 : kSigInt);
        TRY_COMPARE_WITH_TIMEOUT(quits, 1, 1000);
    }
    QCOMPARE(quits, 1);
    QCOMPARE(window->DecimaalUit(), 0);

    // As main() ends: the window goes, then the control, with no event loop
    // turning in between.
    QElapsedTimer clock;
    clock.start();
    window.reset();
    control.reset();
    const qint64 took = clock.elapsed();
    QVERIFY2(took <= iface::ModbusModule::kExitBoundMs + 100, qPrintable(QString::number(took)));
    if (!moduleGone)
        QCOMPARE(module.coils(), 0);
}

// The terminal that started the program is closed: the program gets SIGHUP.
// A child process, wired as main() wires the program, is connected with two
// outputs on and then hung up on.
void TestModbusExitPath::hangUpEndsChildWithOutputsOff()
{
    const int port = freeTcpPort();
    QVERIFY(port > 0);
    Module module;
    QVERIFY(module.start(port));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QString::number(port)});
    QVERIFY(child.waitForStarted(5000));
    // The module lives in this process: keep its event loop turning.
    TRY_VERIFY_WITH_TIMEOUT(child.canReadLine(), 10000);
    QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
    QCOMPARE(module.coils(), 0x05);

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(::kill(int(child.processId()), kSigHup), 0);
    TRY_COMPARE_WITH_TIMEOUT(child.state(), QProcess::NotRunning, 3000);
    const qint64 took = clock.elapsed();
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(module.coils(), 0);
    QVERIFY2(took <= 1500, qPrintable(QString::number(took)));
}

namespace
{

// The child of hangUpEndsChildWithOutputsOff.
int childSession(int port)
{
    testing::ServiceScope services;
    iface::ModbusSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    auto control = std::make_unique<iface::ModbusModule>(settings);
    int status = 0;
    {
        Main window(control.get());
        platform::ExitSignals* exitSignals = platform::ExitSignals::install(qApp);
        if (!exitSignals)
            return 3;
        QObject::connect(exitSignals, &platform::ExitSignals::exitRequested, &window,
                         &Main::exitProgram);
        window.show();
        window.CMD_Verbinding->click();
        window.CMD_SetReset[0]->click();
        window.CMD_SetReset[2]->click();
        if (window.Verbonden() != -1 || !control->flush(2000))
            return 4;
        QTextStream(stdout) << "ready" << Qt::endl;
        status = QApplication::exec();
    }
    control.reset();
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--child") == 0)
        return childSession(QByteArray(argv[2]).toInt());
    TestModbusExitPath test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_modbus_exit_path.moc"
