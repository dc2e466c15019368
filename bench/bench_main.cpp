// Measures the program's speed and memory and prints each figure beside its
// goal. Start-up and memory are compared in the same run with an empty Qt
// Widgets window started the same way.
#include "interface_link/easyport_control.h"
#include "main_window/main.h"
#include "modbus_latency.h"
#include "platform/services.h"
#include "virtual_station_frame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

// An interface control that notes when the word arrived.
class TimingPort : public link::EasyPortControl
{
  public:
    qint16 SearchAndConnect() override { return 1; }
    qint16 GetComPort(qint16) override { return 1; }
    qint16 GetModuleNumber(qint16) override { return 5; }
    void Disconnect() override {}
    void WriteOutputs(qint16 word) override
    {
        last = word;
        writtenAt = clock.nsecsElapsed();
    }
    void AboutBox() override {}
    void raise(qint32 w) { emit InputsChanged(0, 0, w); }
    QElapsedTimer clock;
    qint64 writtenAt = 0;
    qint16 last = 0;
};

class SilentSounds : public platform::SoundService
{
  public:
    void play(const QString&) override {}
};

class SilentMessages : public platform::MessageService
{
  public:
    int show(QWidget*, const platform::MessageRequest&) override { return platform::ResultOk; }
};

long peakRssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// A paint of the window's top-level widget tells that it reached the screen.
class FirstPaint : public QObject
{
  public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
    bool painted = false;
};

// Child mode: start, show, wait for the first paint, print "ms kb", quit.
int runChild(const QString& what, QElapsedTimer& sinceStart)
{
    SilentSounds sounds;
    platform::setSounds(&sounds);
    FirstPaint probe;
    std::unique_ptr<QWidget> window;
    TimingPort port;
    if (what == QLatin1String("main")) {
        auto* m = new Main(&port);
        m->setQuitHandler([] {});
        window.reset(m);
    } else {
        window = std::make_unique<QWidget>();
        window->resize(1058, 727);
    }
    window->installEventFilter(&probe);
    window->show();
    while (!probe.painted)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ms = sinceStart.nsecsElapsed() / 1e6;
    std::printf("%.3f %ld\n", ms, peakRssKb());
    window.reset();
    platform::setSounds(nullptr);
    return 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Row {
    QString name;
    double value;
    QString unit;
    QString goal;
};

void printMarkdown(const std::vector<Row>& rows)
{
    QTextStream out(stdout);
    out << "| Figure | Measured | Goal |\n|---|---|---|\n";
    for (const Row& r : rows)
        out << "| " << r.name << " | " << QString::number(r.value, 'f', 3) << ' ' << r.unit << " | "
            << (r.goal.isEmpty() ? QStringLiteral("-") : r.goal) << " |\n";
}

void print(const std::vector<Row>& rows)
{
    QTextStream out(stdout);
    out << QStringLiteral("%1 | %2 | %3\n").arg("figure", -52).arg("value", 14).arg("goal");
    for (const Row& r : rows)
        out << QStringLiteral("%1 | %2 | %3\n")
                   .arg(r.name, -52)
                   .arg(QStringLiteral("%1 %2").arg(r.value, 0, 'f', 3).arg(r.unit), 14)
                   .arg(r.goal);
}

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--child"))
        return runChild(args[2], sinceStart);

    std::vector<Row> rows;

    // Start-up and memory, each in fresh processes, medians of seven.
    std::vector<double> ms[2], kb[2], wall[2];
    const char* kinds[] = {"main", "empty"};
    for (int round = 0; round < 7; ++round)
        for (int k = 0; k < 2; ++k) {
            QProcess p;
            QElapsedTimer whole;
            whole.start();
            p.start(app.applicationFilePath(), {"--child", kinds[k]});
            p.waitForFinished(30000);
            wall[k].push_back(whole.nsecsElapsed() / 1e6);
            const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
            if (f.size() == 2) {
                ms[k].push_back(f[0].toDouble());
                kb[k].push_back(f[1].toDouble());
            }
        }
    const double mainMs = median(ms[0]), emptyMs = median(ms[1]);
    const double mainKb = median(kb[0]), emptyKb = median(kb[1]);
    const double mainWall = median(wall[0]), emptyWall = median(wall[1]);
    rows.push_back({"process: start, first paint, quit - main window", mainWall, "ms", ""});
    rows.push_back({"process: start, first paint, quit - empty window", emptyWall, "ms", ""});
    rows.push_back({"process wall time ratio main / empty",
                    emptyWall > 0 ? mainWall / emptyWall : 0, "x", "<= 1.3"});
    rows.push_back({"start to first paint, main window", mainMs, "ms", ""});
    rows.push_back({"start to first paint, empty Qt window", emptyMs, "ms", ""});
    rows.push_back({"in-process ratio main / empty", emptyMs > 0 ? mainMs / emptyMs : 0, "x",
                    "(information)"});
    rows.push_back({"peak memory, main window", mainKb / 1024.0, "MiB", ""});
    rows.push_back({"peak memory, empty Qt window", emptyKb / 1024.0, "MiB", ""});
    rows.push_back(
        {"peak memory ratio main / empty", emptyKb > 0 ? mainKb / emptyKb : 0, "x", "<= 1.3"});

    SilentSounds sounds;
    SilentMessages messages;
    platform::setSounds(&sounds);
    platform::setMessages(&messages);
    TimingPort port;
    port.clock.start();
    Main main(&port);
    main.setQuitHandler([] {});
    main.show();
    QApplication::processEvents();

    // One full rescale of all 84 controls, alternating between two sizes.
    {
        const int n = 200;
        QElapsedTimer t;
        t.start();
        qint64 resizing = 0;
        for (int i = 0; i < n; ++i) {
            t.restart();
            main.resize(i % 2 ? QSize(1058, 727) : QSize(1400, 900));
            QApplication::sendPostedEvents(&main, QEvent::Resize);
            resizing += t.nsecsElapsed();
            QApplication::sendPostedEvents();
        }
        rows.push_back({"window resize: rescale of 84 controls and text redraw", resizing / 1e6 / n,
                        "ms", "<= 2"});
        t.restart();
        for (int i = 0; i < n; ++i) {
            main.resize(i % 2 ? QSize(1058, 727) : QSize(1400, 900));
            QApplication::sendPostedEvents();
        }
        rows.push_back({"window resize including the repaint at the new size",
                        t.nsecsElapsed() / 1e6 / n, "ms", "(information)"});
        t.restart();
        const mw::ScaleFactors big = mw::scaleFactors(1.3, 1.2, 1, 1);
        const mw::ScaleFactors one = mw::scaleFactors(1, 1, 1, 1);
        for (int i = 0; i < n; ++i)
            mw::applyScaling(main.BeginPosities(), i % 2 ? one : big, {});
        rows.push_back(
            {"rescale of the 84 controls alone", t.nsecsElapsed() / 1e6 / n, "ms", "<= 2"});
        main.resize(1058, 727);
        QApplication::processEvents();
    }

    // An output button press until the word is handed to the interface.
    {
        auto* button = main.findChild<QAbstractButton*>(QStringLiteral("CMD_SetReset(2)"));
        std::vector<double> d;
        for (int i = 0; i < 400; ++i) {
            const qint64 start = port.clock.nsecsElapsed();
            button->click();
            d.push_back((port.writtenAt - start) / 1e6);
        }
        rows.push_back({"output press to WriteOutputs (median)", median(d) * 1000, "us", "< 1000"});
    }

    // An input event until all eight lamps are repainted.
    {
        QWidget* lamps = main.findChild<QWidget*>(QStringLiteral("Frame6"));
        std::vector<double> d;
        for (int i = 0; i < 400; ++i) {
            QElapsedTimer t;
            t.start();
            port.raise(i % 2 ? 0xFF : 0x00);
            lamps->repaint();
            d.push_back(t.nsecsElapsed() / 1e6);
        }
        rows.push_back({"input event to eight lamps repainted (median)", median(d), "ms", "< 1"});
    }

    // The instruction text: a full redraw, and a page turn with every
    // distinct pixel position shown.
    {
        main.findChild<QAbstractButton*>(QStringLiteral("CMD_Stationhandling"))->click();
        std::vector<double> d;
        for (int i = 0; i < 100; ++i) {
            QElapsedTimer t;
            t.start();
            main.PlaatsTekst();
            d.push_back(t.nsecsElapsed() / 1e6);
        }
        rows.push_back({"instruction text redraw, PlaatsTekst (median)", median(d), "ms", "<= 5"});
        std::vector<double> turns;
        for (int i = 0; i < 6; ++i) {
            QElapsedTimer t;
            t.start();
            main.VerschuifTekst(i % 2);
            turns.push_back(t.nsecsElapsed() / 1e6);
        }
        rows.push_back({"one page turn, VerschuifTekst (median)", median(turns), "ms", "<= 250"});
    }

    rows.push_back({"virtual station: one frame while a cylinder moves",
                    measureVirtualStationFrameMs(), "ms", "<= 4"});

    for (const auto& [name, value] : measureModbusLatency()) {
        const QString goal = name.contains(QLatin1String("write"), Qt::CaseInsensitive)
                                 ? QStringLiteral("< 5")
                                 : QStringLiteral("< poll period + 5 (25)");
        rows.push_back({QStringLiteral("Modbus loopback: ") + name, value, "ms", goal});
    }

    if (args.contains(QLatin1String("--markdown")))
        printMarkdown(rows);
    else
        print(rows);
    platform::setSounds(nullptr);
    platform::setMessages(nullptr);
    return 0;
}
