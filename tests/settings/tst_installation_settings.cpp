// The one table of the installation file's keys: what each kind of value
// accepts, and that the page in docs/ shows the table as it is.

#include "settings/installation_settings.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestInstallationSettings : public QObject
{
    Q_OBJECT

  private slots:
    void readsByKind_data();
    void readsByKind();
    void everyKeyOnce();
    void docsShowTheTable();
    void exampleFileShowsEveryKey_data();
    void exampleFileShowsEveryKey();
};

void TestInstallationSettings::readsByKind_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("word in any case") << QByteArray("[modbus]\ntransport=RTU") << "modbus/transport"
                                      << true << QVariant(QStringLiteral("rtu"));
    QTest::newRow("word not a choice")
        << QByteArray("[modbus]\ntransport=tcpp") << "modbus/transport" << false << QVariant();
    QTest::newRow("integer at the top")
        << QByteArray("[modbus]\nport=65535") << "modbus/port" << true << QVariant(65535);
    QTest::newRow("integer past the top")
        << QByteArray("[modbus]\nport=65536") << "modbus/port" << false << QVariant();
    QTest::newRow("integer with spaces")
        << QByteArray("[modbus]\nport= 1502 ") << "modbus/port" << true << QVariant(1502);
    QTest::newRow("list is never a value")
        << QByteArray("[modbus]\nport=502,503") << "modbus/port" << false << QVariant();
    QTest::newRow("one of the numbers")
        << QByteArray("[simulated]\nmodel=2") << "simulated/model" << true << QVariant(2);
    QTest::newRow("not one of the numbers")
        << QByteArray("[simulated]\nmodel=3") << "simulated/model" << false << QVariant();
    QTest::newRow("module host with a space")
        << QByteArray("[modbus]\nhost=my module") << "modbus/host" << false << QVariant();
    QTest::newRow("web host with a path") << QByteArray("[video]\nsite_host=example.nl/x")
                                          << "video/site_host" << false << QVariant();
    QTest::newRow("password with a control character")
        << QByteArray("[klas]\nwachtwoord=geheim\\x1bX") << "klas/wachtwoord" << false
        << QVariant();
    QTest::newRow("password") << QByteArray("[klas]\nwachtwoord=Geheim 123!") << "klas/wachtwoord"
                              << true << QVariant(QStringLiteral("Geheim 123!"));
    QTest::newRow("account list") << QByteArray("[klas]\nleerlingen=pc01, pc02,pc03")
                                  << "klas/leerlingen" << true
                                  << QVariant(QStringList{"pc01", "pc02", "pc03"});
    QTest::newRow("account list with the teacher's names")
        << QByteArray("[klas]\nleerlingen=pc01 : Anna de Vries, pc02") << "klas/leerlingen" << true
        << QVariant(QStringList{"pc01:Anna de Vries", "pc02"});
    QTest::newRow("account list with an empty name")
        << QByteArray("[klas]\nleerlingen=pc01:,pc02") << "klas/leerlingen" << false << QVariant();
    QTest::newRow("account list with a wildcard before the name")
        << QByteArray("[klas]\nleerlingen=pc+:Anna") << "klas/leerlingen" << false << QVariant();
    QTest::newRow("account list with a topic wildcard")
        << QByteArray("[klas]\nleerlingen=pc01,pc+") << "klas/leerlingen" << false << QVariant();
    QTest::newRow("account with a slash")
        << QByteArray("[klas]\ngebruiker=pc01/x") << "klas/gebruiker" << false << QVariant();
    QTest::newRow("relative certificate path")
        << QByteArray("[klas]\nca=klas-ca.crt") << "klas/ca" << false << QVariant();
    QTest::newRow("absolute certificate path")
        << QByteArray("[klas]\nca=/etc/automatiseren/ca.crt") << "klas/ca" << true
        << QVariant(QStringLiteral("/etc/automatiseren/ca.crt"));
    QTest::newRow("broker with a port")
        << QByteArray("[klas]\nbroker=docent-pc:8883") << "klas/broker" << true
        << QVariant(QStringLiteral("docent-pc:8883"));
    // "@Variant(...)" holds a value in QDataStream form: type 6 is a double,
    // here big-endian 1e300, a NaN and 2.0.
    QTest::newRow("double past the integers")
        << QByteArray("[simulated]\ncom_port=@Variant(\\0\\0\\0\\x6\\x7e\\x37\\xe4\\x3c"
                      "\\x88\\0\\x75\\x9c)")
        << "simulated/com_port" << false << QVariant();
    QTest::newRow("double not a number")
        << QByteArray("[simulated]\ncom_port=@Variant(\\0\\0\\0\\x6\\x7f\\xf8\\0\\0\\0\\0\\0\\0)")
        << "simulated/com_port" << false << QVariant();
    QTest::newRow("double that is a whole number")
        << QByteArray("[simulated]\nmodel=@Variant(\\0\\0\\0\\x6\\x40\\0\\0\\0\\0\\0\\0\\0)")
        << "simulated/model" << true << QVariant(2);
    QTest::newRow("web host with a port")
        << QByteArray("[video]\nsite_host=example.nl:8080") << "video/site_host" << true
        << QVariant(QStringLiteral("example.nl:8080"));
}

void TestInstallationSettings::readsByKind()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, key);
    QFETCH(bool, usable);
    QFETCH(QVariant, value);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Automatiseren.ini"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(line + "\n");
    f.close();
    QSettings file(path, QSettings::IniFormat);
    const QStringList parts = key.split(QLatin1Char('/'));
    const settings::Value v = settings::read(file, parts[0], parts[1]);
    QVERIFY(v.present);
    QCOMPARE(v.usable, usable);
    if (usable)
        QCOMPARE(v.value, value);
    else
        QVERIFY(!v.expected.isEmpty() && !v.shown.isEmpty());
    // A password is never shown in a message or the log, usable or not.
    if (key == QLatin1String("klas/wachtwoord"))
        QCOMPARE(v.shown, QStringLiteral("(verborgen)"));
}

void TestInstallationSettings::everyKeyOnce()
{
    const QStringList keys = settings::knownKeys();
    QCOMPARE(keys.size(), QSet<QString>(keys.begin(), keys.end()).size());
    for (const settings::Setting& s : settings::table()) {
        QVERIFY2(!s.meaning.isEmpty() && !s.fallback.isEmpty(), qPrintable(s.key()));
        if (s.type == settings::Type::Word || s.type == settings::Type::IntegerOneOf)
            QVERIFY2(!s.choices.isEmpty(), qPrintable(s.key()));
    }
}

// docs/settings.md carries the table between two marker lines; when a key
// is added, the page has to follow.
void TestInstallationSettings::docsShowTheTable()
{
    const QString page = QFINDTESTDATA("../../docs/settings.md");
    QVERIFY2(!page.isEmpty(), "docs/settings.md is missing");
    QFile f(page);
    QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(f.readAll());
    const QString begin = QStringLiteral("<!-- settings table -->\n");
    const QString end = QStringLiteral("<!-- end of settings table -->");
    const int from = text.indexOf(begin);
    const int to = text.indexOf(end);
    QVERIFY2(from >= 0 && to > from, "markers missing in docs/settings.md");
    const QString shown = text.mid(from + begin.size(), to - from - begin.size());
    const QString generated = settings::markdownTable();
    if (shown != generated)
        qWarning().noquote() << "docs/settings.md should hold:\n" << generated;
    QCOMPARE(shown, generated);
}

// The installed Automatiseren.ini.example is made from the table: each key
// appears commented under its group, and the default it shows is a value
// the program takes as it stands once the semicolon is removed.
void TestInstallationSettings::exampleFileShowsEveryKey_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("name");
    for (const settings::Setting& s : settings::table())
        QTest::newRow(qPrintable(s.key())) << s.group << s.name;
}

void TestInstallationSettings::exampleFileShowsEveryKey()
{
    QFETCH(QString, group);
    QFETCH(QString, name);
    const settings::Setting* s = settings::find(group, name);
    QVERIFY(s);
    const QString example = settings::exampleFile();
    const QString section =
        QLatin1Char('\n') + example.section(QStringLiteral("\n[%1]\n").arg(group), 1, 1)
                                .section(QStringLiteral("\n["), 0, 0);
    // The school's technician reads it in Dutch.
    QVERIFY(!s->uitleg.isEmpty());
    QVERIFY2(section.contains(QStringLiteral("\n; %1\n").arg(s->uitleg)), qPrintable(section));
    const QRegularExpression line(
        QStringLiteral("\n;%1=([^\n]*)\n").arg(QRegularExpression::escape(name)));
    const QRegularExpressionMatch shown = line.match(section);
    QVERIFY2(shown.hasMatch(), qPrintable(section));

    QTemporaryDir dir;
    const auto load = [&dir](const QString& text, const QString& fileName) {
        QFile f(dir.filePath(fileName));
        if (f.open(QIODevice::WriteOnly))
            f.write(text.toUtf8());
        return f.fileName();
    };
    // As installed, the file sets nothing.
    QSettings asIs(load(example, QStringLiteral("as-is.ini")), QSettings::IniFormat);
    QCOMPARE(asIs.allKeys(), QStringList());

    QString uncommented = example;
    uncommented.replace(
        QRegularExpression(QStringLiteral("^;(\\w+=)"), QRegularExpression::MultilineOption),
        QStringLiteral("\\1"));
    QSettings file(load(uncommented, QStringLiteral("uncommented.ini")), QSettings::IniFormat);
    const settings::Value v = settings::read(file, group, name);
    QVERIFY(v.present);
    if (s->fallback.startsWith(QLatin1Char('('))) {
        // No default: the line is left empty for the school to fill in.
        QVERIFY2(v.blank, qPrintable(shown.captured(1)));
    } else {
        QVERIFY2(v.usable, qPrintable(shown.captured(1)));
        QVERIFY2(s->fallback.startsWith(v.value.toString()), qPrintable(v.value.toString()));
    }
}

QTEST_GUILESS_MAIN(TestInstallationSettings)
#include "tst_installation_settings.moc"
