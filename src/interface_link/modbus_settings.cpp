#include "interface_link/modbus_settings.h"
#include "platform/services.h"

#include <QDir>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSettings>
#include <QVariant>
#include <QtDebug>
#include <initializer_list>
#include <optional>
#include <type_traits>
#include <utility>

namespace link
{

namespace
{

constexpr int kWordBits = 8;
constexpr int kHighestFirstAddress = 0xFFFF - (kWordBits - 1);

// The value as the file has it, shortened, for the log and the pupil.
QString shownValue(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).left(80);
    const QString text = value.toString().left(80);
    return text.isEmpty() ? QStringLiteral("(leeg)") : text;
}

// Text of a scalar value; nothing for lists, maps and other composite types
// (an ini line "port=1,2" arrives as a list).
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
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toString().trimmed();
    default:
        return std::nullopt;
    }
}

std::optional<int> integerIn(const QVariant& v, int lo, int hi)
{
    const auto text = scalarText(v);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const qlonglong n = text->toLongLong(&ok, 10);
    if (!ok || n < lo || n > hi)
        return std::nullopt;
    return static_cast<int>(n);
}

// Reads the keys of the group. A missing key keeps its default; a present
// key whose value cannot be used is a problem: the first one is kept (for
// the pupil) and every one is logged.
class Reader
{
  public:
    Reader(QSettings& s, QString& problem) : m_s(s), m_problem(problem) {}

    // Calls `parse` only for a present key. `expected` says in Dutch what a
    // usable value looks like.
    template <typename T, typename Parse>
    void read(const QString& key, T& target, Parse parse, const QString& expected)
    {
        if (!m_s.contains(key))
            return;
        const QVariant v = m_s.value(key);
        if (const auto parsed = parse(v)) {
            target = *parsed;
            return;
        }
        qCWarning(lcDravik).noquote()
            << QStringLiteral("[modbus] %1: value %2 cannot be used (expected: %3); the module "
                              "will not be contacted")
                   .arg(key, shownValue(v), expected);
        if (m_problem.isEmpty()) {
            m_problem =
                QStringLiteral("In %1 staat onder [modbus] %2=%3. Die waarde is niet "
                               "bruikbaar: verwacht is %4.")
                    .arg(QDir::toNativeSeparators(m_s.fileName()), key, shownValue(v), expected);
        }
    }

    void readInt(const QString& key, int& target, int lo, int hi)
    {
        read(
            key, target, [lo, hi](const QVariant& v) { return integerIn(v, lo, hi); },
            QStringLiteral("een geheel getal van %1 tot en met %2").arg(lo).arg(hi));
    }

    void readIntOneOf(const QString& key, int& target, std::initializer_list<int> allowed)
    {
        const QList<int> list(allowed);
        QStringList shown;
        for (const int n : list)
            shown.append(QString::number(n));
        read(
            key, target,
            [&list](const QVariant& v) -> std::optional<int> {
                const auto n = integerIn(v, 0, 1 << 30);
                if (n && list.contains(*n))
                    return n;
                return std::nullopt;
            },
            QStringLiteral("een van %1").arg(shown.join(QStringLiteral(", "))));
    }

    template <typename E>
    void readWord(
        const QString& key, E& target,
        std::initializer_list<std::pair<const char*, typename std::common_type<E>::type>> words,
        const QString& shown)
    {
        const QList<std::pair<const char*, E>> list(words);
        read(
            key, target,
            [&list](const QVariant& v) -> std::optional<E> {
                const auto text = scalarText(v);
                if (!text)
                    return std::nullopt;
                for (const auto& [word, value] : list) {
                    if (text->compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
                        return value;
                }
                return std::nullopt;
            },
            QStringLiteral("een van %1").arg(shown));
    }

  private:
    QSettings& m_s;
    QString& m_problem;
};

// An IPv4 or IPv6 address, or a host name made of labels of letters,
// digits and hyphens (not at either end of a label).
bool usableHost(const QString& h)
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

bool plausibleDevice(const QString& d)
{
    if (d.isEmpty() || d.size() > 255)
        return false;
    for (const QChar c : d) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

} // namespace

QString ModbusSettings::defaultSerialDevice()
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM1");
#else
    return QStringLiteral("/dev/ttyUSB0");
#endif
}

ModbusSettings ModbusSettings::fromSettings(QSettings& settings)
{
    ModbusSettings m;
    settings.beginGroup(QStringLiteral("modbus"));
    Reader r(settings, m.problem);

    r.readWord(QStringLiteral("transport"), m.transport,
               {{"tcp", Transport::Tcp}, {"rtu", Transport::Rtu}}, QStringLiteral("tcp of rtu"));
    // Over TCP the module's address has no sensible default: a guess could
    // reach another module on the school network.
    const bool hostGiven = settings.contains(QStringLiteral("host"));
    r.read(
        QStringLiteral("host"), m.host,
        [](const QVariant& v) -> std::optional<QString> {
            auto t = scalarText(v);
            if (t && usableHost(*t))
                return t;
            return std::nullopt;
        },
        QStringLiteral("een IP-adres of een computernaam (letters, cijfers, punten en "
                       "streepjes, zonder spaties)"));
    r.readInt(QStringLiteral("port"), m.port, 1, 65535);
    r.read(
        QStringLiteral("device"), m.serialDevice,
        [](const QVariant& v) -> std::optional<QString> {
            auto t = scalarText(v);
            if (t && plausibleDevice(*t))
                return t;
            return std::nullopt;
        },
        QStringLiteral("de naam van een seriële poort, zoals /dev/ttyUSB0 of COM3"));
    r.readIntOneOf(QStringLiteral("baud"), m.baudRate,
                   {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200});
    r.readWord(QStringLiteral("parity"), m.parity,
               {{"none", QSerialPort::NoParity},
                {"n", QSerialPort::NoParity},
                {"even", QSerialPort::EvenParity},
                {"e", QSerialPort::EvenParity},
                {"odd", QSerialPort::OddParity},
                {"o", QSerialPort::OddParity}},
               QStringLiteral("none, even of odd"));
    int dataBits = m.dataBits;
    r.readIntOneOf(QStringLiteral("databits"), dataBits, {7, 8});
    m.dataBits = static_cast<QSerialPort::DataBits>(dataBits);
    int stopBits = m.stopBits;
    r.readIntOneOf(QStringLiteral("stopbits"), stopBits, {1, 2});
    m.stopBits = stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    // Unit 0 is broadcast on a serial line (nothing answers); over TCP a
    // gateway may use 0 or 255 for "this device".
    if (m.transport == Transport::Rtu)
        r.readInt(QStringLiteral("unit"), m.unitId, 1, 247);
    else
        r.readInt(QStringLiteral("unit"), m.unitId, 0, 255);
    r.readInt(QStringLiteral("coils"), m.firstCoil, 0, kHighestFirstAddress);
    r.readInt(QStringLiteral("inputs"), m.firstInput, 0, kHighestFirstAddress);
    r.readInt(QStringLiteral("poll"), m.pollMs, 5, 1000);
    r.readInt(QStringLiteral("timeout"), m.timeoutMs, 20, 500);
    r.readInt(QStringLiteral("module"), m.moduleNumber, 0, 32767);
    r.readInt(QStringLiteral("comport"), m.comPort, 0, 32767);

    if (m.transport == Transport::Tcp && !hostGiven && m.problem.isEmpty()) {
        qCWarning(lcDravik) << "[modbus] host is missing; the module will not be contacted";
        m.problem = QStringLiteral("In %1 ontbreekt onder [modbus] de regel host=... met het "
                                   "adres van de module.")
                        .arg(QDir::toNativeSeparators(settings.fileName()));
    }
    settings.endGroup();
    return m;
}

QString ModbusSettings::describe() const
{
    if (transport == Transport::Tcp) {
        return QStringLiteral("Modbus TCP, adres %1, poort %2, unit %3")
            .arg(host)
            .arg(port)
            .arg(unitId);
    }
    const QChar parityLetter = parity == QSerialPort::EvenParity  ? QLatin1Char('E')
                               : parity == QSerialPort::OddParity ? QLatin1Char('O')
                                                                  : QLatin1Char('N');
    return QStringLiteral("Modbus RTU, poort %1, %2 baud %3%4%5, unit %6")
        .arg(serialDevice)
        .arg(baudRate)
        .arg(int(dataBits))
        .arg(parityLetter)
        .arg(stopBits == QSerialPort::TwoStop ? 2 : 1)
        .arg(unitId);
}

bool ModbusSettings::operator==(const ModbusSettings& o) const
{
    return transport == o.transport && host == o.host && port == o.port &&
           serialDevice == o.serialDevice && baudRate == o.baudRate && parity == o.parity &&
           dataBits == o.dataBits && stopBits == o.stopBits && unitId == o.unitId &&
           firstCoil == o.firstCoil && firstInput == o.firstInput && pollMs == o.pollMs &&
           timeoutMs == o.timeoutMs && moduleNumber == o.moduleNumber && comPort == o.comPort;
}

} // namespace link
