#pragma once

#include <QSerialPort>
#include <QString>

class QSettings;

namespace iface
{

// Where and how the Modbus I/O module is reached. Read once at start from the
// group [modbus] of the installation file. Every key but `host` (over TCP)
// is optional; a value that is present but cannot be used is not replaced
// by a default: the settings are then unusable and nothing is contacted.
//
//   transport   tcp | rtu                          (tcp)
//   host        name or address of the module      (required for tcp)
//   port        TCP port 1..65535                  (502)
//   device      serial device for rtu              (/dev/ttyUSB0, COM1 on Windows)
//   baud        1200..115200, a standard rate      (19200)
//   parity      none | even | odd                  (none)
//   databits    7 | 8                              (8)
//   stopbits    1 | 2                              (1)
//   unit        unit id 1..247 (tcp also 0, 255)   (1)
//   coils       address of the first coil (output 1)           (0)
//   inputs      address of the first discrete input (input 1)  (0)
//   poll        input poll period in ms, 5..1000   (20)
//   timeout     reply timeout in ms, 20..500       (200)
//   module      model code the control reports, 0..32767        (5)
//   comport     port number the control reports, 0..32767       (1)
struct ModbusSettings {
    enum class Transport { Tcp, Rtu };

    Transport transport = Transport::Tcp;
    QString host = QStringLiteral("192.168.0.10");
    int port = 502;
    QString serialDevice = defaultSerialDevice();
    int baudRate = 19200;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    int unitId = 1;
    int firstCoil = 0;
    int firstInput = 0;
    int pollMs = 20;
    int timeoutMs = 200;
    int moduleNumber = 2; // EasyPort D8A: every station stays usable
    int comPort = 1;

    // Why these settings cannot be used, in Dutch naming the file, the key
    // and the value; empty when they can.
    QString problem;
    bool usable() const { return problem.isEmpty(); }

    // Reads the group "modbus" of `settings`. A missing key keeps its
    // default. A key that cannot be used (not a number, out of range, an
    // unknown word, a list) and a TCP link without `host` make the settings
    // unusable: `problem` says why, and each such key is logged.
    static ModbusSettings fromSettings(QSettings& settings);

    // One line naming the connection, for the pupil: "TCP 10.0.0.5:502,
    // unit 1" in Dutch wording.
    QString describe() const;

    static QString defaultSerialDevice();

    bool operator==(const ModbusSettings& o) const;
    bool operator!=(const ModbusSettings& o) const { return !(*this == o); }
};

} // namespace iface
