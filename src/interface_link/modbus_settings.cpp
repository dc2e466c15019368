#include "interface_link/modbus_settings.h"
#include "platform/services.h"

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

void warnUnusable(const QString& key, const QVariant& value, const QString& keeping)
{
    qCWarning(lcDravik).noquote() << QStringLiteral(
                                         "[modbus] %1: value %2 cannot be used, keeping %3")
                                         .arg(key,
                                              value.toString().left(80).isEmpty()
                                                  ? QStringLiteral("(not text)")
                                                  : value.toString().left(80),
                                              keeping);
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

class Reader
{
  public:
    explicit Reader(QSettings& s) : m_s(s) {}

    // Calls `parse` only for a present key; a failed parse warns once.
    template <typename T, typename Parse>
    void read(const QString& key, T& target, Parse parse, const QString& shownDefault)
    {
        if (!m_s.contains(key))
            return;
        const QVariant v = m_s.value(key);
        if (const auto parsed = parse(v))
            target = *parsed;
        else
            warnUnusable(key, v, shownDefault);
    }

    void readInt(const QString& key, int& target, int lo, int hi)
    {
        read(
            key, target, [lo, hi](const QVariant& v) { return integerIn(v, lo, hi); },
            QString::number(target));
    }

    void readIntOneOf(const QString& key, int& target, std::initializer_list<int> allowed)
    {
        const QList<int> list(allowed);
        read(
            key, target,
            [&list](const QVariant& v) -> std::optional<int> {
                const auto n = integerIn(v, 0, 1 << 30);
                if (n && list.contains(*n))
                    return n;
                return std::nullopt;
            },
            QString::number(target));
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
            shown);
    }

  private:
    QSettings& m_s;
};

bool plausibleHost(const QString& h)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9._:\\-]{1,253}$"));
    return re.match(h).hasMatch();
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
    Reader r(settings);

    r.readWord(QStringLiteral("transport"), m.transport,
               {{"tcp", Transport::Tcp}, {"rtu", Transport::Rtu}}, QStringLiteral("tcp"));
    r.read(
        QStringLiteral("host"), m.host,
        [](const QVariant& v) -> std::optional<QString> {
            auto t = scalarText(v);
            if (t && plausibleHost(*t))
                return t;
            return std::nullopt;
        },
        m.host);
    r.readInt(QStringLiteral("port"), m.port, 1, 65535);
    r.read(
        QStringLiteral("device"), m.serialDevice,
        [](const QVariant& v) -> std::optional<QString> {
            auto t = scalarText(v);
            if (t && plausibleDevice(*t))
                return t;
            return std::nullopt;
        },
        m.serialDevice);
    r.readIntOneOf(QStringLiteral("baud"), m.baudRate,
                   {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200});
    r.readWord(QStringLiteral("parity"), m.parity,
               {{"none", QSerialPort::NoParity},
                {"n", QSerialPort::NoParity},
                {"even", QSerialPort::EvenParity},
                {"e", QSerialPort::EvenParity},
                {"odd", QSerialPort::OddParity},
                {"o", QSerialPort::OddParity}},
               QStringLiteral("none"));
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
