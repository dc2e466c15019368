#include "settings/installation_settings.h"

#include "platform/installation_file.h"
#include "platform/services.h"

#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>
#include <cmath>
#include <memory>

namespace settings
{

namespace
{

// `uitleg` is the meaning in Dutch and `standaard` the default as the
// example file shows it, where that is a remark ("(geen)"); without one the
// default shows as `fallback`.
Setting row(const char* group, const char* name, Type type, int min, int max, QStringList choices,
            const char* fallback, const char* meaning, const char* uitleg,
            const char* standaard = nullptr)
{
    return {QString::fromLatin1(group),
            QString::fromLatin1(name),
            type,
            min,
            max,
            std::move(choices),
            QString::fromUtf8(fallback),
            QString::fromUtf8(meaning),
            QString::fromUtf8(uitleg),
            QString::fromUtf8(standaard ? standaard : fallback)};
}

QStringList numbers(std::initializer_list<int> list)
{
    QStringList out;
    for (const int n : list)
        out.append(QString::number(n));
    return out;
}

// Text of a scalar value; nothing for lists and other composite types (an
// ini line "port=1,2" arrives as a list).
std::optional<QString> scalarText(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return v.toString().trimmed();
    case QMetaType::Double:
    case QMetaType::Float: {
        // A whole number is shown as one. Only a finite value within
        // qlonglong's range may be converted: "@Variant(...)" can hold
        // 1e300 or a NaN, and converting those is undefined.
        const double d = v.toDouble();
        if (std::isfinite(d) && std::abs(d) <= 9.0e18 && d == std::trunc(d))
            return QString::number(qlonglong(d));
        return v.toString().trimmed();
    }
    default:
        return std::nullopt;
    }
}

QString shownValue(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).left(80);
    QString text = value.toString().left(80);
    for (QChar& c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char('?');
    }
    return text.isEmpty() ? QStringLiteral("(leeg)") : text;
}

} // namespace

bool isModuleHost(const QString& h)
{
    if (h.isEmpty() || h.size() > 253)
        return false;
    QHostAddress address;
    if (address.setAddress(h))
        return true;
    static const QRegularExpression name(
        QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
                       "(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*\\.?$"));
    return name.match(h).hasMatch();
}

bool isWebHost(const QString& host)
{
    // Labels of letters, digits and inner hyphens, dot separated, with an
    // optional port: nothing that could add a path, query or user part.
    static const QRegularExpression re(
        QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,"
                       "61}[A-Za-z0-9])?)*"
                       "(:[0-9]{1,5})?$"));
    if (host.size() > 253 || !re.match(host).hasMatch())
        return false;
    const int colon = host.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return true;
    const int port = host.mid(colon + 1).toInt();
    return port >= 1 && port <= 65535;
}

bool isSerialDevice(const QString& d)
{
    if (d.isEmpty() || d.size() > 255)
        return false;
    for (const QChar c : d) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

bool isIpv4Address(const QString& text)
{
    // QHostAddress also takes "1" or "1.2" as IPv4; a technician means four parts.
    static const QRegularExpression re(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    QHostAddress address;
    return re.match(text).hasMatch() && address.setAddress(text) &&
           address.protocol() == QAbstractSocket::IPv4Protocol;
}

std::optional<QList<QPair<QHostAddress, int>>> addressList(const QString& text)
{
    QList<QPair<QHostAddress, int>> out;
    for (const QString& raw : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString entry = raw.trimmed();
        const QString host = entry.section(QLatin1Char('/'), 0, 0);
        int prefix = 32;
        if (entry.contains(QLatin1Char('/'))) {
            bool ok = false;
            prefix = entry.section(QLatin1Char('/'), 1).toInt(&ok);
            if (!ok || prefix < 0 || prefix > 32)
                return std::nullopt;
        }
        if (!isIpv4Address(host))
            return std::nullopt;
        out.append({QHostAddress(host), prefix});
    }
    return out;
}

bool isPrintable(const QString& text, int maxLength)
{
    if (text.isEmpty() || text.size() > maxLength)
        return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

bool isVideoId(const QString& id)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    return re.match(id).hasMatch();
}

namespace
{

QString expectedText(const Setting& s)
{
    switch (s.type) {
    case Type::Word:
    case Type::IntegerOneOf:
        return QStringLiteral("een van %1").arg(s.choices.join(QStringLiteral(", ")));
    case Type::Integer:
        return QStringLiteral("een geheel getal van %1 tot en met %2").arg(s.min).arg(s.max);
    case Type::ModuleHost:
        return QStringLiteral("een IP-adres of een computernaam (letters, cijfers, punten en "
                              "streepjes, zonder spaties)");
    case Type::WebHost:
        return QStringLiteral("een computernaam, eventueel met :poort");
    case Type::SerialDevice:
        return QStringLiteral("de naam van een seriële poort, zoals /dev/ttyUSB0 of COM3");
    case Type::VideoId:
        return QStringLiteral("letters, cijfers, _ en -, hoogstens 64 tekens");
    case Type::Ipv4Address:
        return QStringLiteral("een IPv4-adres zoals 127.0.0.1 of 0.0.0.0");
    case Type::AddressList:
        return QStringLiteral("leeg, of IPv4-adressen en reeksen zoals 192.168.0.0/24, "
                              "gescheiden door komma's");
    case Type::FilePath:
        return QStringLiteral(
            "een volledig pad naar een bestand, zoals /etc/automatiseren/klas-ca.crt");
    case Type::Account:
        return QStringLiteral("letters, cijfers, _ en -, hoogstens 64 tekens");
    case Type::AccountList:
        return QStringLiteral("accounts van letters, cijfers, _ en -, elk eventueel met :naam, "
                              "gescheiden door komma's");
    case Type::Text:
        return QStringLiteral("tekst van hoogstens 64 tekens");
    case Type::Secret:
        return QStringLiteral("tekst van hoogstens 256 tekens");
    }
    return {};
}

QString typeText(const Setting& s)
{
    switch (s.type) {
    case Type::Word:
        return s.choices.join(QStringLiteral(" \\| "));
    case Type::IntegerOneOf:
        return s.choices.join(QStringLiteral(", "));
    case Type::Integer:
        return QStringLiteral("%1..%2").arg(s.min).arg(s.max);
    case Type::ModuleHost:
        return QStringLiteral("IP address or host name");
    case Type::WebHost:
        return QStringLiteral("host name[:port]");
    case Type::SerialDevice:
        return QStringLiteral("device name");
    case Type::VideoId:
        return QStringLiteral("video identifier");
    case Type::Ipv4Address:
        return QStringLiteral("IPv4 address");
    case Type::AddressList:
        return QStringLiteral("IPv4 addresses and a.b.c.d/prefix ranges, comma separated");
    case Type::FilePath:
        return QStringLiteral("absolute file path");
    case Type::Account:
        return QStringLiteral("account name");
    case Type::AccountList:
        return QStringLiteral("account[:name], comma separated");
    case Type::Text:
        return QStringLiteral("text");
    case Type::Secret:
        return QStringLiteral("text (never shown)");
    }
    return {};
}

} // namespace

const QList<Setting>& table()
{
    static const QList<Setting> rows = {
        row("interface", "type", Type::Word, 0, 0, {"simulated", "modbus", "plc"}, "simulated",
            "the built-in simulated interface, a Modbus I/O module, or the simulated station "
            "served to a PLC",
            "de ingebouwde gesimuleerde interface, een Modbus I/O-module, of het gesimuleerde "
            "station voor een PLC",
            nullptr),
        row("simulated", "com_port", Type::Integer, 1, 255, {}, "1",
            "port number the simulated interface reports",
            "het poortnummer dat de gesimuleerde interface meldt", nullptr),
        row("simulated", "model", Type::IntegerOneOf, 0, 0, numbers({1, 2, 5}), "2",
            "model it reports: 1 EasyPort D16, 2 EasyPort D8A, 5 EasyPort Mini",
            "het model dat hij meldt: 1 EasyPort D16, 2 EasyPort D8A, 5 EasyPort Mini", nullptr),
        row("modbus", "transport", Type::Word, 0, 0, {"tcp", "rtu"}, "tcp",
            "Ethernet (Modbus TCP) or a serial line (Modbus RTU)",
            "Ethernet (Modbus TCP) of een seriële lijn (Modbus RTU)", nullptr),
        row("modbus", "host", Type::ModuleHost, 0, 0, {}, "(required for tcp)",
            "address or name of the module", "adres of naam van de module", "(nodig bij tcp)"),
        row("modbus", "port", Type::Integer, 1, 65535, {}, "502", "TCP port of the module",
            "TCP-poort van de module", nullptr),
        row("modbus", "device", Type::SerialDevice, 0, 0, {}, "/dev/ttyUSB0 (COM1 on Windows)",
            "serial device for rtu", "seriële poort bij rtu", "/dev/ttyUSB0 (COM1 onder Windows)"),
        row("modbus", "baud", Type::IntegerOneOf, 0, 0,
            numbers({1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}), "19200", "serial speed",
            "seriële snelheid", nullptr),
        row("modbus", "parity", Type::Word, 0, 0, {"none", "even", "odd", "n", "e", "o"}, "none",
            "serial parity", "seriële pariteit", nullptr),
        row("modbus", "databits", Type::IntegerOneOf, 0, 0, numbers({7, 8}), "8",
            "serial data bits", "seriële databits", nullptr),
        row("modbus", "stopbits", Type::IntegerOneOf, 0, 0, numbers({1, 2}), "1",
            "serial stop bits", "seriële stopbits", nullptr),
        row("modbus", "unit", Type::Integer, 0, 255, {}, "1",
            "unit id (slave address); over rtu 1..247", "unit-id (slave-adres); bij rtu 1..247",
            nullptr),
        row("modbus", "coils", Type::Integer, 0, 65528, {}, "0",
            "address of the first coil (output 1)", "adres van de eerste coil (uitgang 1)",
            nullptr),
        row("modbus", "inputs", Type::Integer, 0, 65528, {}, "0",
            "address of the first discrete input (input 1)",
            "adres van de eerste discrete input (ingang 1)", nullptr),
        row("modbus", "poll", Type::Integer, 5, 1000, {}, "20",
            "how often the inputs are read, in ms", "hoe vaak de ingangen gelezen worden, in ms",
            nullptr),
        row("modbus", "timeout", Type::Integer, 20, 500, {}, "200",
            "how long to wait for each answer, in ms",
            "hoe lang op elk antwoord gewacht wordt, in ms", nullptr),
        row("modbus", "module", Type::Integer, 0, 32767, {}, "2",
            "model number shown after connecting (decides the picture)",
            "modelnummer dat na het verbinden getoond wordt (bepaalt de afbeelding)", nullptr),
        row("modbus", "comport", Type::Integer, 0, 32767, {}, "1",
            "port number shown after connecting", "poortnummer dat na het verbinden getoond wordt",
            nullptr),
        row("plc", "listen", Type::Ipv4Address, 0, 0, {}, "127.0.0.1",
            "address the station listens on for PLCs (0.0.0.0: every network)",
            "adres waarop het station naar PLC's luistert (0.0.0.0: elk netwerk)", nullptr),
        row("plc", "port", Type::Integer, 1, 65535, {}, "1502", "TCP port for PLCs",
            "TCP-poort voor PLC's", nullptr),
        row("plc", "unit", Type::Integer, 0, 247, {}, "0",
            "unit id answered: 0 every id, else that id and 255",
            "unit-id waarop geantwoord wordt: 0 elk id, anders dat id en 255", nullptr),
        row("plc", "watchdog", Type::Integer, 0, 60000, {}, "1000",
            "ms without a request from the owning PLC before all outputs go off; 0 off, "
            "else 100..60000",
            "ms zonder verzoek van de PLC die de uitgangen bestuurt, waarna alle uitgangen "
            "uitgaan; 0 uit, anders 100..60000",
            nullptr),
        row("plc", "allow", Type::AddressList, 0, 0, {}, "(empty: every address)",
            "the only PLC addresses let in", "de enige PLC-adressen die binnen mogen",
            "(leeg: elk adres)"),
        row("video", "site_host", Type::WebHost, 0, 0, {}, "(none)",
            "host of the school site with the conveyor film",
            "host van de schoolsite met de film van de transportband", "(geen)"),
        row("video", "video_host", Type::WebHost, 0, 0, {}, "(none)", "host of the video site",
            "host van de videosite", "(geen)"),
        row("video", "stapel_magazijn_id", Type::VideoId, 0, 0, {}, "(none)",
            "video of the stack magazine", "video van het stapelmagazijn", "(geen)"),
        row("video", "station_handling_id", Type::VideoId, 0, 0, {}, "(none)",
            "video of the handling station", "video van station handling", "(geen)"),
        row("klas", "broker", Type::WebHost, 0, 0, {}, "(none: no class)",
            "the class broker, host or host:port (1883 plain, 8883 with ca)",
            "de klasbroker, host of host:poort (1883 zonder, 8883 met ca)", "(geen: geen klas)"),
        row("klas", "ca", Type::FilePath, 0, 0, {}, "(none: plain)",
            "certificate authority of the class broker; given means TLS",
            "certificaatautoriteit van de klasbroker; ingevuld betekent TLS", "(geen: zonder TLS)"),
        row("klas", "gebruiker", Type::Account, 0, 0, {}, "(none)",
            "this PC's account at the broker (pc01, ..., docent)",
            "het account van deze pc bij de broker (pc01, ..., docent)", "(geen)"),
        row("klas", "wachtwoord", Type::Secret, 0, 0, {}, "(none)",
            "the account's password (never shown or logged)",
            "het wachtwoord van het account (nooit getoond of gelogd)", "(geen)"),
        row("klas", "naam", Type::Text, 0, 0, {}, "(the host name)",
            "this PC as the teacher sees it", "deze pc zoals de docent hem ziet",
            "(de computernaam)"),
        row("klas", "klas", Type::Account, 0, 0, {}, "klas",
            "the class, the first part of every topic", "de klas, het eerste deel van elk topic",
            nullptr),
        row("klas", "leerlingen", Type::AccountList, 0, 0, {}, "(none)",
            "the teacher's PC only: the class's accounts, comma separated; pc01:Anna names "
            "pc01's tile Anna",
            "alleen de pc van de docent: de accounts van de klas, gescheiden door komma's; "
            "pc01:Anna geeft de tegel van pc01 de naam Anna",
            "(geen)"),
    };
    return rows;
}

const Setting* find(const QString& group, const QString& name)
{
    for (const Setting& s : table()) {
        if (s.group == group && s.name == name)
            return &s;
    }
    return nullptr;
}

QStringList knownKeys()
{
    QStringList keys;
    for (const Setting& s : table())
        keys.append(s.key());
    return keys;
}

Value read(QSettings& file, const QString& group, const QString& name)
{
    Value v;
    const Setting* s = find(group, name);
    Q_ASSERT_X(s, "settings::read", qPrintable(group + QLatin1Char('/') + name));
    const QString key = group + QLatin1Char('/') + name;
    if (!s || !file.contains(key))
        return v;
    v.present = true;
    v.expected = expectedText(*s);
    const QVariant raw = file.value(key);
    v.shown = shownValue(raw);
    if (s->type == Type::Secret)
        v.shown = QStringLiteral("(verborgen)");
    // An ini line with commas arrives as a list; only the lists are one.
    const bool listType = s->type == Type::AddressList || s->type == Type::AccountList;
    const std::optional<QString> text =
        listType && raw.metaType().id() == QMetaType::QStringList
            ? std::optional<QString>(raw.toStringList().join(QLatin1Char(',')).trimmed())
            : scalarText(raw);
    if (!text)
        return v;
    v.blank = text->isEmpty();
    switch (s->type) {
    case Type::Word:
        for (const QString& word : s->choices) {
            if (text->compare(word, Qt::CaseInsensitive) == 0) {
                v.usable = true;
                v.value = word;
            }
        }
        break;
    case Type::Integer:
    case Type::IntegerOneOf: {
        bool ok = false;
        const qlonglong n = text->toLongLong(&ok, 10);
        const bool inRange = s->type == Type::Integer ? (n >= s->min && n <= s->max)
                                                      : s->choices.contains(QString::number(n));
        if (ok && inRange) {
            v.usable = true;
            v.value = int(n);
        }
        break;
    }
    case Type::ModuleHost:
        v.usable = isModuleHost(*text);
        break;
    case Type::WebHost:
        v.usable = isWebHost(*text);
        break;
    case Type::SerialDevice:
        v.usable = isSerialDevice(*text);
        break;
    case Type::VideoId:
        v.usable = isVideoId(*text);
        break;
    case Type::Ipv4Address:
        v.usable = isIpv4Address(*text);
        break;
    case Type::AddressList:
        v.usable = addressList(*text).has_value();
        break;
    case Type::FilePath:
        v.usable = isPrintable(*text, 1024) && QDir::isAbsolutePath(*text);
        break;
    case Type::Account:
        v.usable = isVideoId(*text);
        break;
    case Type::AccountList: {
        // Each an account, or an account and the name the teacher sees.
        const QStringList names = text->split(QLatin1Char(','), Qt::SkipEmptyParts);
        QStringList trimmed;
        for (const QString& n : names) {
            const int colon = n.indexOf(QLatin1Char(':'));
            const QString account = (colon < 0 ? n : n.left(colon)).trimmed();
            const QString name = colon < 0 ? QString() : n.mid(colon + 1).trimmed();
            if (!isVideoId(account) || (colon >= 0 && !isPrintable(name, 64)))
                break;
            trimmed.append(colon < 0 ? account : account + QLatin1Char(':') + name);
        }
        v.usable = !names.isEmpty() && names.size() <= 250 && trimmed.size() == names.size();
        if (v.usable)
            v.value = trimmed;
        break;
    }
    case Type::Text:
        v.usable = isPrintable(*text, 64);
        break;
    case Type::Secret:
        v.usable = isPrintable(*text, 256);
        break;
    }
    if (v.usable && !v.value.isValid())
        v.value = *text;
    return v;
}

GroupReader::GroupReader(QSettings& file, QString group, QString consequence, QString& problem)
    : m_file(file), m_group(std::move(group)), m_consequence(std::move(consequence)),
      m_problem(problem)
{
}

std::optional<QVariant> GroupReader::take(const char* name)
{
    const Value v = read(m_file, m_group, QString::fromLatin1(name));
    if (!v.present)
        return std::nullopt;
    if (v.usable)
        return v.value;
    refuse(QString::fromLatin1(name), v.shown, v.expected);
    return std::nullopt;
}

void GroupReader::refuse(const QString& key, const QString& shown, const QString& expected)
{
    qCWarning(lcDravik).noquote() << QStringLiteral("[%1] %2: value %3 cannot be used (expected: "
                                                    "%4); %5")
                                         .arg(m_group, key, shown, expected, m_consequence);
    if (m_problem.isEmpty()) {
        m_problem =
            QStringLiteral("In %1 staat onder [%2] %3=%4. Die waarde is niet "
                           "bruikbaar: verwacht is %5.")
                .arg(QDir::toNativeSeparators(m_file.fileName()), m_group, key, shown, expected);
    }
}

void warnAboutContent(QSettings& file)
{
    const QStringList all = file.allKeys();
    if (all.isEmpty()) {
        qCWarning(lcDravik) << "the installation file" << file.fileName()
                            << "holds no settings; using the defaults";
        return;
    }
    const QStringList known = knownKeys();
    QStringList unknown;
    for (const QString& key : all) {
        if (!known.contains(key))
            unknown.append(key);
    }
    if (unknown.isEmpty())
        return;
    constexpr int kShown = 5;
    const QString shown = QStringList(unknown.mid(0, kShown)).join(QStringLiteral(", "));
    qCWarning(lcDravik).noquote() << QStringLiteral("the installation file %1 has %2 unknown "
                                                    "key(s), which are not used: %3%4")
                                         .arg(file.fileName())
                                         .arg(unknown.size())
                                         .arg(shown.left(200), unknown.size() > kShown
                                                                   ? QStringLiteral(", ...")
                                                                   : QString());
}

QString markdownTable()
{
    QStringList lines{QStringLiteral("| Group | Key | Value | Default | Meaning |"),
                      QStringLiteral("|---|---|---|---|---|")};
    for (const Setting& s : table()) {
        lines.append(QStringLiteral("| [%1] | `%2` | %3 | %4 | %5 |")
                         .arg(s.group, s.name, typeText(s), s.fallback, s.meaning));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

namespace
{

// What a commented key shows after "=": the default where it is a value
// ("/dev/ttyUSB0 (COM1 on Windows)" shows /dev/ttyUSB0), nothing where the
// default is a remark such as "(none)".
QString exampleValue(const Setting& s)
{
    if (s.fallback.startsWith(QLatin1Char('(')))
        return {};
    return s.fallback.section(QStringLiteral(" ("), 0, 0);
}

} // namespace

QString exampleFile()
{
    QStringList lines{
        QStringLiteral("; Installatiebestand van Automatiseren voor het VMBO. Kopieer het naar"),
        QStringLiteral("; /etc/automatiseren/Automatiseren.ini (voor elk account op deze pc) of"),
        QStringLiteral("; naast het programma, en haal de puntkomma weg voor elke sleutel die de"),
        QStringLiteral("; school instelt. Een sleutel die commentaar blijft, houdt de getoonde"),
        QStringLiteral("; standaardwaarde. Zonder dit bestand gelden alle standaardwaarden: de"),
        QStringLiteral("; ingebouwde gesimuleerde interface."),
        QStringLiteral(
            "; Gemaakt uit de eigen lijst met sleutels van het programma; zie settings.md.")};
    QString group;
    for (const Setting& s : table()) {
        lines << QString();
        if (s.group != group) {
            group = s.group;
            lines << QStringLiteral("[%1]").arg(group);
        }
        lines << QStringLiteral("; %1").arg(s.uitleg)
              << QStringLiteral("; waarde: %1; standaard: %2").arg(expectedText(s), s.standaard)
              << QStringLiteral(";%1=%2").arg(s.name, exampleValue(s));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString installationFilePath()
{
    return platform::installationFile();
}

QSettings* installationFile()
{
    static std::unique_ptr<QSettings> file;
    static QString openedPath;
    const QString path = installationFilePath();
    if (file && path == openedPath)
        return file.get();
    openedPath = path;
    file.reset();
    if (!QFileInfo::exists(path))
        return nullptr;
    if (!QFileInfo(path).isReadable())
        qCWarning(lcDravik) << "the installation file" << path
                            << "is not readable; using the defaults";
    file = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (file->status() != QSettings::NoError)
        qCWarning(lcDravik) << "the installation file" << path << "cannot be read";
    else
        warnAboutContent(*file);
    return file.get();
}

} // namespace settings
