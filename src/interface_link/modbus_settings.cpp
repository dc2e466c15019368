#include "interface_link/modbus_settings.h"
#include "platform/services.h"
#include "settings/installation_settings.h"

#include <QDir>
#include <QSettings>
#include <QVariant>
#include <QtDebug>
#include <optional>

namespace iface
{

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
    settings::GroupReader r(settings, QStringLiteral("modbus"),
                            QStringLiteral("the module will not be contacted"), m.problem);

    if (const auto v = r.take("transport"))
        m.transport = v->toString() == QLatin1String("rtu") ? Transport::Rtu : Transport::Tcp;
    // Over TCP the module's address has no sensible default: a guess could
    // reach another module on the school network.
    const bool hostGiven = settings.contains(QStringLiteral("modbus/host"));
    if (const auto v = r.take("host"))
        m.host = v->toString();
    if (const auto v = r.take("port"))
        m.port = v->toInt();
    if (const auto v = r.take("device"))
        m.serialDevice = v->toString();
    if (const auto v = r.take("baud"))
        m.baudRate = v->toInt();
    if (const auto v = r.take("parity")) {
        const QChar first = v->toString().at(0);
        m.parity = first == QLatin1Char('e')   ? QSerialPort::EvenParity
                   : first == QLatin1Char('o') ? QSerialPort::OddParity
                                               : QSerialPort::NoParity;
    }
    if (const auto v = r.take("databits"))
        m.dataBits = v->toInt() == 7 ? QSerialPort::Data7 : QSerialPort::Data8;
    if (const auto v = r.take("stopbits"))
        m.stopBits = v->toInt() == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop;
    if (const auto v = r.take("unit")) {
        // Unit 0 is broadcast on a serial line (nothing answers) and 248..255
        // are reserved there; over TCP a gateway may use 0 or 255.
        const int unit = v->toInt();
        if (m.transport == Transport::Rtu && (unit < 1 || unit > 247)) {
            r.refuse(QStringLiteral("unit"), QString::number(unit),
                     QStringLiteral("een geheel getal van 1 tot en met 247"));
        } else {
            m.unitId = unit;
        }
    }
    if (const auto v = r.take("coils"))
        m.firstCoil = v->toInt();
    if (const auto v = r.take("inputs"))
        m.firstInput = v->toInt();
    if (const auto v = r.take("poll"))
        m.pollMs = v->toInt();
    if (const auto v = r.take("timeout"))
        m.timeoutMs = v->toInt();
    if (const auto v = r.take("module"))
        m.moduleNumber = v->toInt();
    if (const auto v = r.take("comport"))
        m.comPort = v->toInt();

    if (m.transport == Transport::Tcp && !hostGiven && m.problem.isEmpty()) {
        qCWarning(lcDravik) << "[modbus] host is missing; the module will not be contacted";
        m.problem = QStringLiteral("In %1 ontbreekt onder [modbus] de regel host=... met het "
                                   "adres van de module.")
                        .arg(QDir::toNativeSeparators(settings.fileName()));
    }
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

} // namespace iface
