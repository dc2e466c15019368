// The serial (RTU) road: the control on one end of a pseudo terminal, a
// small RTU module in the test on the other end.

#include "interface_link/modbus_module.h"
#include "support/try_wait.h"

#include <QFile>
#include <QSocketNotifier>
#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>

using iface::ModbusModule;
using iface::ModbusSettings;

namespace
{

constexpr int kUnit = 17;
constexpr int kFirstCoil = 100;
constexpr int kFirstInput = 200;

quint16 crc16(const QByteArray& bytes)
{
    quint16 crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

QByteArray withCrc(QByteArray frame)
{
    const quint16 crc = crc16(frame);
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

int word16(const QByteArray& b, int at)
{
    return (quint8(b.at(at)) << 8) | quint8(b.at(at + 1));
}

// The module: answers "read discrete inputs" and "write multiple coils" for
// its own unit and addresses, and records what it was asked.
class RtuModule : public QObject
{
  public:
    bool open()
    {
        const int fd = posix_openpt(O_RDWR | O_NOCTTY);
        if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0)
            return false;
        const char* name = ptsname(fd);
        if (!name)
            return false;
        slaveName = QString::fromLocal8Bit(name);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        if (!m_master.open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered,
                           QFileDevice::AutoCloseHandle))
            return false;
        m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { serve(); });
        return true;
    }

    QString slaveName;
    bool mute = false;
    quint8 inputs = 0;
    quint8 coils = 0;
    QList<quint8> writtenWords;
    int badFrames = 0;

  private:
    void serve()
    {
        char chunk[256];
        const qint64 n = m_master.read(chunk, sizeof chunk);
        if (n > 0)
            m_buffer.append(chunk, int(n));
        while (m_buffer.size() >= 8) {
            const int fc = quint8(m_buffer.at(1));
            int length = 8;
            if (fc == 0x0F) {
                if (m_buffer.size() < 7)
                    return;
                length = 9 + quint8(m_buffer.at(6));
            }
            if (m_buffer.size() < length)
                return;
            const QByteArray frame = m_buffer.left(length);
            m_buffer.remove(0, length);
            if (withCrc(frame.left(length - 2)) != frame || quint8(frame.at(0)) != kUnit) {
                ++badFrames;
                continue;
            }
            if (mute)
                continue;
            answer(frame);
        }
    }

    void answer(const QByteArray& frame)
    {
        const char fc = frame.at(1);
        QByteArray reply = frame.left(2);
        if (fc == 0x02 && word16(frame, 2) == kFirstInput && word16(frame, 4) == 8) {
            reply.append(char(1));
            reply.append(char(inputs));
        } else if (fc == 0x0F && word16(frame, 2) == kFirstCoil && word16(frame, 4) == 8) {
            coils = quint8(frame.at(7));
            writtenWords.append(coils);
            reply.append(frame.mid(2, 4));
        } else {
            reply = frame.left(1);
            reply.append(char(fc | 0x80));
            reply.append(char(2)); // illegal data address
        }
        m_master.write(withCrc(reply));
    }

    QFile m_master;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_buffer;
};

ModbusSettings rtuSettings(const QString& device)
{
    ModbusSettings s;
    s.transport = ModbusSettings::Transport::Rtu;
    s.serialDevice = device;
    s.baudRate = 115200;
    s.unitId = kUnit;
    s.firstCoil = kFirstCoil;
    s.firstInput = kFirstInput;
    return s;
}

} // namespace

class TestModbusRtu : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        RtuModule probe;
        if (!probe.open())
            QSKIP("no pseudo terminals on this system");
    }

    void connectWriteAndRead();
    void silentModuleIsLost();
};

void TestModbusRtu::connectWriteAndRead()
{
    RtuModule module;
    QVERIFY(module.open());
    module.inputs = 0x81;
    ModbusModule control(rtuSettings(module.slaveName));
    QSignalSpy spy(&control, &iface::EasyPortControl::InputsChanged);

    // The first read may already have answered inside SearchAndConnect.
    QVERIFY(control.SearchAndConnect() != 0);
    TRY_VERIFY_WITH_TIMEOUT(!spy.isEmpty(), 5000);
    QCOMPARE(spy.last().at(2).toInt(), 0x81);

    const QList<quint8> words{0x01, 0x03, 0x80, 0x00};
    for (const quint8 w : words)
        control.WriteOutputs(qint16(w));
    QVERIFY(control.flush(5000));
    QCOMPARE(module.writtenWords, QList<quint8>{0x00} + words);

    module.inputs = 0x10;
    TRY_COMPARE_WITH_TIMEOUT(spy.last().at(2).toInt(), 0x10, 5000);
    QCOMPARE(module.badFrames, 0);
}

void TestModbusRtu::silentModuleIsLost()
{
    RtuModule module;
    QVERIFY(module.open());
    ModbusModule control(rtuSettings(module.slaveName));
    QVERIFY(control.SearchAndConnect() != 0);
    module.mute = true;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Modbus link lost")));
    TRY_COMPARE_WITH_TIMEOUT(control.linkState(), ModbusModule::LinkState::Lost, 3000);
}

QTEST_GUILESS_MAIN(TestModbusRtu)
#include "tst_modbus_rtu.moc"
