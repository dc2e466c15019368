// The installation file readers, fed bytes as the content of
// Automatiseren.ini: every group reader and the unknown-key warning. Each
// reader must give values it accepts, or its defaults, whatever the file
// holds.
//
// Qt's INI parser is reached only through a file (QSettings takes a path, and
// a custom format would bypass the parser under test), so every input is
// written to a file in a RAM folder. Each input gets a file name of its own:
// QSettings keeps parsed files and trusts a cached one whose size and
// millisecond time stamp match, which two quick inputs of the same length
// could share.
#include "instruction/video_links.h"
#include "interface_link/modbus_settings.h"
#include "interface_link/simulated_settings.h"
#include "settings/installation_settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{

std::unique_ptr<QTemporaryDir> folder;
quint64 inputCount = 0;

[[noreturn]] void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "fuzz_installation_file: %s: %s\n", what, qPrintable(detail));
    std::abort();
}

// The messages are built (that code runs too) but not printed: the fuzzer
// would spend its time writing them.
void dropMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        std::abort();
    }
}

void checkSimulated(QSettings& file)
{
    const iface::SimulatedSettings s = iface::SimulatedSettings::fromSettings(file);
    if (s.comPort < 1 || s.comPort > 255)
        fail("simulated com_port out of range", QString::number(s.comPort));
    if (s.model != 1 && s.model != 2 && s.model != 5)
        fail("simulated model not a known model", QString::number(s.model));
}

void checkModbus(QSettings& file)
{
    const iface::ModbusSettings m = iface::ModbusSettings::fromSettings(file);
    const QString shown = m.describe();
    if (shown.isEmpty())
        fail("modbus settings without a description", QString());
    if (!m.usable())
        return;
    const bool inRange = m.port >= 1 && m.port <= 65535 && m.unitId >= 0 && m.unitId <= 255 &&
                         m.firstCoil >= 0 && m.firstCoil <= 65528 && m.firstInput >= 0 &&
                         m.firstInput <= 65528 && m.pollMs >= 5 && m.pollMs <= 1000 &&
                         m.timeoutMs >= 20 && m.timeoutMs <= 500;
    if (!inRange)
        fail("usable modbus settings out of range", shown);
    if (m.transport == iface::ModbusSettings::Transport::Tcp && !settings::isModuleHost(m.host))
        fail("usable modbus settings with a bad host", m.host);
    if (m.transport == iface::ModbusSettings::Transport::Rtu && (m.unitId < 1 || m.unitId > 247))
        fail("usable rtu settings with a broadcast or reserved unit", shown);
}

void checkVideo(QSettings& file)
{
    const instr::VideoSettings v = instr::VideoSettings::fromSettings(file);
    for (const QString& host : {v.siteHost, v.videoHost}) {
        if (!host.isEmpty() && !instr::isValidHost(host))
            fail("a video host that is no host", host);
    }
    for (const QString& id : {v.stapelMagazijnId, v.stationHandlingId}) {
        if (!id.isEmpty() && !instr::isValidVideoId(id))
            fail("a video identifier that is no identifier", id);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The program reads the file with its application object in place, and
    // a value such as "@Variant(...)" may hold a picture, which needs one.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    qInstallMessageHandler(dropMessage);
    const QString ram = QStringLiteral("/dev/shm");
    const QString base =
        QFileInfo(ram).isDir() && QFileInfo(ram).isWritable() ? ram : QDir::tempPath();
    folder = std::make_unique<QTemporaryDir>(base + QStringLiteral("/dravik-fuzz-XXXXXX"));
    if (!folder->isValid())
        fail("no folder for the input files", base);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = folder->filePath(QString::number(inputCount++) + QStringLiteral(".ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            fail("cannot write the input file", path);
    }
    {
        QSettings file(path, QSettings::IniFormat);
        settings::warnAboutContent(file);
        checkSimulated(file);
        checkModbus(file);
        checkVideo(file);
        if (!file.group().isEmpty())
            fail("a reader left a group open", file.group());
    }
    QFile::remove(path);
    return 0;
}
