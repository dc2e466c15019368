// The installation file Automatiseren.ini beside the program is written by
// hand at schools. Whatever it holds, or whatever stands in its place, the
// program starts on the built-in simulated interface with its defaults, the
// video addresses stay unconfigured, and the log says what was wrong.
#include "app/interface_factory.h"
#include "instruction/video_links.h"
#include "interface_link/modbus_settings.h"
#include "interface_link/simulated_interface.h"
#include "platform/services.h"
#include "support/warning_log.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

class Folder : public platform::FileService
{
  public:
    QString programFolder() const override { return m_dir.path(); }
    QString iniPath() const { return m_dir.filePath(QStringLiteral("Automatiseren.ini")); }

  private:
    QTemporaryDir m_dir;
};

enum class Stands { File, Directory, Unreadable };

} // namespace

Q_DECLARE_METATYPE(Stands)

class TestInstallationFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<testing::WarningLog> m_log;

  private slots:
    void init();
    void cleanup();
    void defaults_data();
    void defaults();
    void goodFileGivesNoWarning();
};

void TestInstallationFile::init()
{
    m_log = std::make_unique<testing::WarningLog>();
}

void TestInstallationFile::cleanup()
{
    m_log.reset();
    platform::setFiles(nullptr);
}

void TestInstallationFile::defaults_data()
{
    QTest::addColumn<Stands>("stands");
    QTest::addColumn<QByteArray>("content");

    QByteArray garbage;
    for (int i = 0; i < 3000; ++i)
        garbage.append(char((i * 2654435761u >> 13) & 0xFF));
    QTest::newRow("garbage bytes") << Stands::File << garbage;
    QTest::newRow("garbage with a bracket")
        << Stands::File << QByteArray("[interface\n\x01\x02=\xff\xfe\n[[]]=\n");
    QTest::newRow("unknown keys")
        << Stands::File
        << QByteArray("[interface]\ntyp=modbus\n[simulated]\ncomport=3\nmodell=2\n"
                      "[video]\nsite=example.org\n[algemeen]\ntaal=nl\n");
    QTest::newRow("key outside a group") << Stands::File << QByteArray("type=modbus\n");
    QTest::newRow("wrong types")
        << Stands::File
        << QByteArray(
               "[interface]\ntype=1, 2\n[simulated]\ncom_port=COM3\nmodel=mini\n"
               "[video]\nsite_host=\"a b\"\nvideo_host=x,y\nstapel_magazijn_id=@Variant(\\0)\n"
               "station_handling_id=../../etc\n");
    // In QDataStream form, a list (type 9) announcing 16 million values that
    // are not there; Qt reserves room for them first.
    QTest::newRow("a stored list of values that are not there")
        << Stands::File
        << QByteArray("[simulated]\ncom_port=@Variant(\\0\\0\\0\\t\\x1\\0\\0\\0)\n");
    QTest::newRow("numbers out of range")
        << Stands::File
        << QByteArray("[interface]\ntype=simulated\n[simulated]\ncom_port=99999\n"
                      "model=-1\n");
    QTest::newRow("empty file") << Stands::File << QByteArray();
    QTest::newRow("only blanks") << Stands::File << QByteArray("\n\n   \n");
    QTest::newRow("directory") << Stands::Directory << QByteArray();
    QTest::newRow("unreadable") << Stands::Unreadable
                                << QByteArray("[interface]\ntype=modbus\n[simulated]\nmodel=2\n");
}

void TestInstallationFile::defaults()
{
    QFETCH(Stands, stands);
    QFETCH(QByteArray, content);

    Folder folder;
    platform::setFiles(&folder);
    const QString path = folder.iniPath();
    if (stands == Stands::Directory) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        if (stands == Stands::Unreadable) {
            QVERIFY(f.setPermissions(QFileDevice::Permissions()));
            // As root a chmod 000 file can still be read.
            if (QFile(path).open(QIODevice::ReadOnly))
                QSKIP("the file stays readable (running as root?)");
        }
    }

    // The start: the interface control.
    const std::unique_ptr<iface::EasyPortControl> port = app::createInterfaceFromInstallation();
    auto* simulated = qobject_cast<iface::SimulatedInterface*>(port.get());
    QVERIFY2(simulated, "not the simulated interface");
    QCOMPARE(simulated->settings().comPort, iface::SimulatedSettings::DefaultComPort);
    QCOMPARE(simulated->settings().model, iface::SimulatedSettings::DefaultModel);
    QVERIFY2(!m_log->messages().isEmpty(), "nothing logged about the installation file");
    for (const QString& w : m_log->messages())
        QVERIFY2(!w.trimmed().isEmpty(), "an empty warning");

    // The video addresses, read later from the same file.
    const instr::VideoSettings& video = instr::VideoSettings::installed();
    QVERIFY(video.siteHost.isEmpty());
    QVERIFY(video.videoHost.isEmpty());
    QVERIFY(video.stapelMagazijnId.isEmpty());
    QVERIFY(video.stationHandlingId.isEmpty());

    // Each reader on its own.
    QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(iface::ModbusSettings::fromSettings(settings), iface::ModbusSettings{});
    const iface::SimulatedSettings sim = iface::SimulatedSettings::fromSettings(settings);
    QCOMPARE(sim.comPort, iface::SimulatedSettings::DefaultComPort);
    QCOMPARE(sim.model, iface::SimulatedSettings::DefaultModel);
    const instr::VideoSettings v = instr::VideoSettings::fromSettings(settings);
    QVERIFY(v.siteHost.isEmpty() && v.videoHost.isEmpty() && v.stapelMagazijnId.isEmpty() &&
            v.stationHandlingId.isEmpty());

    if (stands == Stands::Unreadable)
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// The other side: a sound installation file is read without a word in the log.
void TestInstallationFile::goodFileGivesNoWarning()
{
    Folder folder;
    platform::setFiles(&folder);
    QFile f(folder.iniPath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[interface]\ntype=simulated\n[simulated]\ncom_port=4\nmodel=2\n"
            "[video]\nsite_host=example.org\nvideo_host=video.example.org\n"
            "stapel_magazijn_id=abc\nstation_handling_id=def\n"
            "[modbus]\nhost=10.0.0.5\nport=1502\n");
    f.close();
    const std::unique_ptr<iface::EasyPortControl> port = app::createInterfaceFromInstallation();
    auto* simulated = qobject_cast<iface::SimulatedInterface*>(port.get());
    QVERIFY(simulated);
    QCOMPARE(simulated->settings().comPort, qint16(4));
    QCOMPARE(simulated->settings().model, qint16(2));
    QCOMPARE(instr::VideoSettings::installed().siteHost, QStringLiteral("example.org"));
    QVERIFY2(m_log->messages().isEmpty(), qPrintable(m_log->messages().join(QLatin1String(" | "))));
}

QTEST_GUILESS_MAIN(TestInstallationFile)
#include "tst_installation_file.moc"
