#include "interface_link/modbus_settings.h"
#include "support/warning_log.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using iface::ModbusSettings;

namespace
{

QVariant field(const ModbusSettings& s, const QString& name)
{
    if (name == QLatin1String("transport"))
        return s.transport == ModbusSettings::Transport::Tcp ? QStringLiteral("tcp")
                                                             : QStringLiteral("rtu");
    if (name == QLatin1String("host"))
        return s.host;
    if (name == QLatin1String("port"))
        return s.port;
    if (name == QLatin1String("device"))
        return s.serialDevice;
    if (name == QLatin1String("baud"))
        return s.baudRate;
    if (name == QLatin1String("parity"))
        return int(s.parity);
    if (name == QLatin1String("databits"))
        return int(s.dataBits);
    if (name == QLatin1String("stopbits"))
        return int(s.stopBits);
    if (name == QLatin1String("unit"))
        return s.unitId;
    if (name == QLatin1String("coils"))
        return s.firstCoil;
    if (name == QLatin1String("inputs"))
        return s.firstInput;
    if (name == QLatin1String("poll"))
        return s.pollMs;
    if (name == QLatin1String("timeout"))
        return s.timeoutMs;
    if (name == QLatin1String("module"))
        return s.moduleNumber;
    if (name == QLatin1String("comport"))
        return s.comPort;
    return {};
}

} // namespace

class TestModbusSettings : public QObject
{
    Q_OBJECT

  private:
    std::unique_ptr<testing::WarningLog> m_log;

  private slots:
    void init() { m_log = std::make_unique<testing::WarningLog>(); }
    void cleanup() { m_log.reset(); }

    void readsOrRefuses_data();
    void readsOrRefuses();
    void garbageFileIsRefused();

  private:
    ModbusSettings readFile(const QByteArray& content)
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Automatiseren.ini"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write the test file");
        f.write(content);
        f.close();
        QSettings settings(path, QSettings::IniFormat);
        return ModbusSettings::fromSettings(settings);
    }
};

void TestModbusSettings::readsOrRefuses_data()
{
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<int>("warnings");

    const int none = QSerialPort::NoParity;
    QTest::newRow("only the host: defaults") << QByteArray() << "port" << QVariant(502) << 0;
    QTest::newRow("port") << QByteArray("port=1502") << "port" << QVariant(1502) << 0;
    QTest::newRow("port 0") << QByteArray("port=0") << "port" << QVariant(502) << 1;
    QTest::newRow("port 65536") << QByteArray("port=65536") << "port" << QVariant(502) << 1;
    QTest::newRow("port text") << QByteArray("port=vijf") << "port" << QVariant(502) << 1;
    QTest::newRow("port list") << QByteArray("port=502,503") << "port" << QVariant(502) << 1;
    QTest::newRow("port fraction") << QByteArray("port=50.5") << "port" << QVariant(502) << 1;
    QTest::newRow("port typed value")
        << QByteArray("port=@Rect(1 2 3 4)") << "port" << QVariant(502) << 1;
    QTest::newRow("transport RTU any case")
        << QByteArray("transport=RTU") << "transport" << QVariant("rtu") << 0;
    QTest::newRow("transport unknown")
        << QByteArray("transport=udp") << "transport" << QVariant("tcp") << 1;
    QTest::newRow("host address") << QByteArray("host=10.0.0.5") << "host" << QVariant("10.0.0.5")
                                  << 0;
    QTest::newRow("host with space") << QByteArray("host=io module") << "host" << QVariant() << 1;
    QTest::newRow("host empty") << QByteArray("host=") << "host" << QVariant() << 1;
    QTest::newRow("host name") << QByteArray("host=io-module.school.lan") << "host"
                               << QVariant("io-module.school.lan") << 0;
    QTest::newRow("host label ending in a hyphen")
        << QByteArray("host=module-.lan") << "host" << QVariant() << 1;
    QTest::newRow("host IPv6") << QByteArray("host=\"fe80::1\"") << "host" << QVariant("fe80::1")
                               << 0;
    QTest::newRow("no host over tcp")
        << QByteArray("; without host\ntransport=tcp") << "host" << QVariant() << 1;
    QTest::newRow("no host over rtu is fine")
        << QByteArray("transport=rtu") << "transport" << QVariant("rtu") << 0;
    QTest::newRow("device") << QByteArray("device=/dev/ttyACM0") << "device"
                            << QVariant("/dev/ttyACM0") << 0;
    QTest::newRow("baud standard") << QByteArray("baud=9600") << "baud" << QVariant(9600) << 0;
    QTest::newRow("baud odd rate") << QByteArray("baud=12345") << "baud" << QVariant(19200) << 1;
    QTest::newRow("parity even") << QByteArray("parity=even") << "parity"
                                 << QVariant(int(QSerialPort::EvenParity)) << 0;
    QTest::newRow("parity unknown") << QByteArray("parity=mark") << "parity" << QVariant(none) << 1;
    QTest::newRow("databits 9") << QByteArray("databits=9") << "databits" << QVariant(8) << 1;
    QTest::newRow("stopbits 2") << QByteArray("stopbits=2") << "stopbits"
                                << QVariant(int(QSerialPort::TwoStop)) << 0;
    QTest::newRow("stopbits 3") << QByteArray("stopbits=3") << "stopbits"
                                << QVariant(int(QSerialPort::OneStop)) << 1;
    QTest::newRow("unit 0 over tcp") << QByteArray("unit=0") << "unit" << QVariant(0) << 0;
    QTest::newRow("unit 255 over tcp (gateway)")
        << QByteArray("unit=255") << "unit" << QVariant(255) << 0;
    QTest::newRow("unit 256") << QByteArray("unit=256") << "unit" << QVariant(1) << 1;
    QTest::newRow("unit -1 over tcp") << QByteArray("unit=-1") << "unit" << QVariant(1) << 1;
    QTest::newRow("unit 1 over rtu")
        << QByteArray("transport=rtu\nunit=1") << "unit" << QVariant(1) << 0;
    QTest::newRow("unit 0 over rtu (broadcast)")
        << QByteArray("transport=rtu\nunit=0") << "unit" << QVariant(1) << 1;
    QTest::newRow("unit 247 over rtu")
        << QByteArray("transport=rtu\nunit=247") << "unit" << QVariant(247) << 0;
    QTest::newRow("unit 248 over rtu (reserved)")
        << QByteArray("transport=rtu\nunit=248") << "unit" << QVariant(1) << 1;
    QTest::newRow("first coil highest")
        << QByteArray("coils=65528") << "coils" << QVariant(65528) << 0;
    QTest::newRow("first coil past the end")
        << QByteArray("coils=65529") << "coils" << QVariant(0) << 1;
    QTest::newRow("poll 50") << QByteArray("poll=50") << "poll" << QVariant(50) << 0;
    QTest::newRow("poll 0") << QByteArray("poll=0") << "poll" << QVariant(20) << 1;
    QTest::newRow("poll too slow") << QByteArray("poll=1001") << "poll" << QVariant(20) << 1;
    QTest::newRow("timeout too short")
        << QByteArray("timeout=10") << "timeout" << QVariant(200) << 1;
    QTest::newRow("module D16") << QByteArray("module=1") << "module" << QVariant(1) << 0;
    QTest::newRow("module negative") << QByteArray("module=-5") << "module" << QVariant(5) << 1;
    QTest::newRow("three bad keys, three warnings")
        << QByteArray("port=x\npoll=y\nunit=z") << "port" << QVariant(502) << 3;
    QTest::newRow("one bad key among good ones")
        << QByteArray("poll=y\nport=1502") << "poll" << QVariant() << 1;
    QTest::newRow("control bytes in a value")
        << QByteArray("port=\x01\x02\x7f") << "port" << QVariant(502) << 1;
}

// A usable value is taken. A present value that cannot be used is never
// replaced by a default: the settings become unusable and the pupil's text
// names the key and the value.
void TestModbusSettings::readsOrRefuses()
{
    QFETCH(QByteArray, group);
    QFETCH(QString, key);
    QFETCH(QVariant, expected);
    QFETCH(int, warnings);

    // Over TCP the address is required; give one unless the row is about it.
    const QByteArray host =
        group.contains("host") || group.contains("transport=rtu") ? "" : "host=10.0.0.9\n";
    const ModbusSettings s = readFile("[interface]\ntype=modbus\n[modbus]\n" + host + group + "\n");
    QCOMPARE(m_log->messages().size(), warnings);
    if (warnings == 0) {
        QVERIFY2(s.usable(), qPrintable(s.problem));
        QCOMPARE(field(s, key), expected);
        return;
    }
    QVERIFY(!s.usable());
    QVERIFY2(s.problem.contains(QStringLiteral("Automatiseren.ini")), qPrintable(s.problem));
    QVERIFY2(s.problem.contains(key + QLatin1Char('=')), qPrintable(s.problem));
}

void TestModbusSettings::garbageFileIsRefused()
{
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 7919 + 13) % 256));
    // Without [modbus] host there is nothing to contact.
    const ModbusSettings fromJunk = readFile(junk);
    const ModbusSettings fromNothing = readFile(QByteArray());
    QVERIFY(!fromJunk.usable());
    QVERIFY(!fromNothing.usable());
    QVERIFY(fromNothing.problem.contains(QLatin1String("host=")));
    ModbusSettings defaults;
    defaults.problem = fromJunk.problem;
    QVERIFY(fromJunk == defaults);
}

QTEST_GUILESS_MAIN(TestModbusSettings)
#include "tst_modbus_settings.moc"
