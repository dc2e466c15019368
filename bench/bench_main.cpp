// Measures the program's speed and memory and prints each figure beside its
// goal. Start-up and memory are compared in the same run with a plain Qt
// Widgets window holding the same controls as stock widgets (what a
// straightforward port of the window costs) and with an empty Qt Widgets
// window, each started the same way.
#include "interface_link/easyport_control.h"
#include "klas_latency.h"
#include "lesson/lesson_check.h"
#include "lesson/lesson_file.h"
#include "main_window/main.h"
#include "modbus_latency.h"
#include "plain_window.h"
#include "platform/services.h"
#include "plc_latency.h"
#include "step_plan/plan_file.h"
#include "virtual_station_frame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace
{

// An interface control that notes when the word arrived.
class TimingPort : public iface::EasyPortControl
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

// CPU time (user and system) the process has used so far.
double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// The first paint of a widget tells that the window reached the screen.
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

// Child mode: start, show, wait for the first paint, print "ms kb cpu-ms",
// quit.
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
    } else if (what == QLatin1String("plain")) {
        window = makePlainWindow();
    } else {
        window = std::make_unique<QWidget>();
        window->resize(1058, 727);
    }
    // Any widget's paint: a window covered by opaque children gets none
    // itself. The whole window is drawn in the same pass.
    qApp->installEventFilter(&probe);
    window->show();
    while (!probe.painted)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ms = sinceStart.nsecsElapsed() / 1e6;
    std::printf("%.3f %ld %.3f\n", ms, peakRssKb(), cpuMs());
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

// The classroom: 200 pupil programs through a real broker, first with
// statuses alone (the baseline), then with 30 of them also checking the
// class's lesson once a minute, each for a minute (--klas: only these
// figures).
void addClassRows(std::vector<Row>& rows, const QString& program)
{
    constexpr int kPcs = 200;
    constexpr int kPupils = 30;
    constexpr int kSeconds = 60;
    for (const int pupils : {0, kPupils}) {
        const QString run =
            pupils == 0
                ? QStringLiteral("class broker, %1 PCs: ").arg(kPcs)
                : QStringLiteral("class broker, %1 PCs, %2 checking: ").arg(kPcs).arg(pupils);
        for (const auto& [name, value] : measureClassLoad(program, kPcs, kSeconds, pupils)) {
            // Half a core at 2000 statuses a second is 250 us a status.
            const QString goal =
                name.contains(QLatin1String("p99"))          ? QStringLiteral("<= 200")
                : name.contains(QLatin1String("per status")) ? QStringLiteral("< 250")
                : name.contains(QLatin1String("CPU"))        ? QStringLiteral("< 0.5")
                : name.contains(QLatin1String("per second")) ? QStringLiteral("2000 sent")
                : name.contains(QLatin1String("per minute")) ? QStringLiteral("%1 sent").arg(pupils)
                                                             : QString();
            rows.push_back({run + name, value, "", goal});
        }
    }
}

} // namespace

// The PLC station; no window is shown or painted while it is measured.
void addPlcRows(std::vector<Row>& rows)
{
    for (const auto& [name, value] : measurePlcLatency()) {
        const QString goal = name.contains(QLatin1String("p99"))    ? QStringLiteral("<= 2")
                             : name.contains(QLatin1String("lost")) ? QStringLiteral("0")
                             : name.contains(QLatin1String("beyond"))
                                 ? QStringLiteral("about one tick (20)")
                                 : QStringLiteral("-");
        rows.push_back({QStringLiteral("PLC station: ") + name, value, "", goal});
    }
}

// Every shipped lesson checked against every example plan of its station,
// each scenario on its own simulated station on a hand-moved clock
// (--opdrachten: only these figures).
void addLessonRows(std::vector<Row>& rows)
{
    const QString data = platform::files().dataFolder();
    const QDir lessons(data + QStringLiteral("/Opdrachten"));
    const QDir examples(data + QStringLiteral("/Stappenplannen"));
    QVector<plan::Plan> plans;
    for (const QString& name : examples.entryList({QStringLiteral("*.json")}, QDir::Files))
        if (const plan::ReadResult read = plan::readPlanFile(examples.filePath(name)); read.plan)
            plans.append(*read.plan);
    qint64 simulatedMs = 0;
    int scenarios = 0;
    QElapsedTimer wall;
    wall.start();
    for (const QString& name : lessons.entryList({QStringLiteral("*.json")}, QDir::Files)) {
        const lesson::ReadResult read = lesson::readLessonFile(lessons.filePath(name));
        if (!read.lesson)
            continue;
        for (const plan::Plan& p : plans) {
            if (p.station != read.lesson->station)
                continue;
            for (const lesson::Scenario& s : read.lesson->scenarios)
                simulatedMs += qint64(s.seconds) * 1000;
            scenarios += int(read.lesson->scenarios.size());
            lesson::checkPlan(*read.lesson, p);
        }
    }
    const double ms = wall.nsecsElapsed() / 1e6;
    rows.push_back({QStringLiteral("lessons: %1 scenarios, %2 simulated s at most, wall time")
                        .arg(scenarios)
                        .arg(simulatedMs / 1000),
                    ms, "ms", "<= 1000"});
    rows.push_back({"lessons: simulated seconds per wall second (at least)",
                    ms > 0 ? simulatedMs / ms : 0, "x", "(information)"});
}

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
    if (args.size() == 5 && args[1] == QLatin1String("--klas-publishers"))
        return runClassPublishers(args[2].toInt(), args[3], args[4].toInt());
    if (args.size() == 9 && args[1] == QLatin1String("--klas-publishers"))
        return runClassPublishers(args[2].toInt(), args[3], args[4].toInt(), args[5].toInt(),
                                  args[6], args[7], args[8]);
    const bool classOnly = args.contains(QLatin1String("--klas"));

    std::vector<Row> rows;
    if (classOnly) {
        addClassRows(rows, app.applicationFilePath());
        print(rows);
        return 0;
    }
    if (args.contains(QLatin1String("--opdrachten"))) {
        addLessonRows(rows);
        print(rows);
        return 0;
    }
    if (args.contains(QLatin1String("--plc"))) {
        addPlcRows(rows);
        print(rows);
        return 0;
    }

    // Start-up and memory, each in fresh processes, medians of seven.
    enum { kMain, kPlain, kEmpty, kKinds };
    const char* kinds[kKinds] = {"main", "plain", "empty"};
    std::vector<double> ms[kKinds], kb[kKinds], cpu[kKinds], wall[kKinds];
    for (int round = 0; round < 7; ++round)
        for (int k = 0; k < kKinds; ++k) {
            QProcess p;
            QElapsedTimer whole;
            whole.start();
            p.start(app.applicationFilePath(), {"--child", kinds[k]});
            p.waitForFinished(30000);
            wall[k].push_back(whole.nsecsElapsed() / 1e6);
            const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
            if (f.size() == 3) {
                ms[k].push_back(f[0].toDouble());
                kb[k].push_back(f[1].toDouble());
                cpu[k].push_back(f[2].toDouble());
            }
        }
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0; };
    double mMs[kKinds], mKb[kKinds], mCpu[kKinds], mWall[kKinds];
    for (int k = 0; k < kKinds; ++k) {
        mMs[k] = median(ms[k]);
        mKb[k] = median(kb[k]);
        mCpu[k] = median(cpu[k]);
        mWall[k] = median(wall[k]);
    }
    const char* label[kKinds] = {"main window", "plain Qt window, same controls",
                                 "empty Qt window"};
    for (int k = 0; k < kKinds; ++k)
        rows.push_back(
            {QStringLiteral("CPU time to first paint, %1").arg(label[k]), mCpu[k], "ms", ""});
    rows.push_back(
        {"CPU time ratio main / plain", ratio(mCpu[kMain], mCpu[kPlain]), "x", "<= 1.3"});
    for (int k = 0; k < kKinds; ++k)
        rows.push_back(
            {QStringLiteral("peak memory, %1").arg(label[k]), mKb[k] / 1024.0, "MiB", ""});
    rows.push_back(
        {"peak memory ratio main / plain", ratio(mKb[kMain], mKb[kPlain]), "x", "<= 1.3"});
    for (int k = 0; k < kKinds; ++k)
        rows.push_back({QStringLiteral("process: start, first paint, quit - %1").arg(label[k]),
                        mWall[k], "ms", ""});
    rows.push_back({"start to first paint in the process, main window", mMs[kMain], "ms", ""});
    rows.push_back({"start to first paint in the process, plain window", mMs[kPlain], "ms", ""});
    rows.push_back(
        {"CPU time ratio main / empty", ratio(mCpu[kMain], mCpu[kEmpty]), "x", "(information)"});
    rows.push_back(
        {"peak memory ratio main / empty", ratio(mKb[kMain], mKb[kEmpty]), "x", "(information)"});
    rows.push_back({"process wall time ratio main / empty", ratio(mWall[kMain], mWall[kEmpty]), "x",
                    "(information)"});

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

    addLessonRows(rows);
    addPlcRows(rows);
    addClassRows(rows, app.applicationFilePath());

    if (args.contains(QLatin1String("--markdown")))
        printMarkdown(rows);
    else
        print(rows);
    platform::setSounds(nullptr);
    platform::setMessages(nullptr);
    return 0;
}
