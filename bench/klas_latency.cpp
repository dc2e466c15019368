#include "klas_latency.h"

#include "klas/klas_messages.h"
#include "klas/klasoverzicht.h"
#include "klas/mqtt_client.h"
#include "lesson/lesson_file.h"
#include "platform/services.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace
{

const QString kKlas = QStringLiteral("bench");
// A pupil checks the class's lesson once a minute.
constexpr int kResultPeriodMs = 60000;
// A shipped lesson and the example plan a pupil checks against it.
const QString kLessonFile = QStringLiteral("Transportband - metaal naar de glijbaan.json");
const QString kPlanFile = QStringLiteral("Transportband - metaal naar de glijbaan.json");

QString password(const QString& folder, const QString& account)
{
    QFile ini(folder + QLatin1Char('/') + account + QStringLiteral(".ini"));
    if (!ini.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : ini.readAll().split('\n'))
        if (line.startsWith("wachtwoord="))
            return QString::fromUtf8(line.mid(11)).trimmed();
    return {};
}

klas::MqttClient::Options options(int port, const QString& folder, const QString& account)
{
    klas::MqttClient::Options o;
    o.host = QStringLiteral("127.0.0.1");
    o.port = port;
    o.user = account;
    o.password = password(folder, account);
    o.clientId =
        account + QStringLiteral("-bench-") + QString::number(QCoreApplication::applicationPid());
    return o;
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for `ms`, asleep while nothing happens, as the
// program's own loop does (a loop of processEvents() would spin and count
// a core of its own as the teacher's).
void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

} // namespace

int runClassPublishers(int port, const QString& folder, int publishers, int resultPupils,
                       const QString& lessonId, const QString& lessonPath, const QString& planPath)
{
    std::vector<std::unique_ptr<klas::MqttClient>> clients;
    for (int i = 1; i <= publishers; ++i)
        clients.push_back(std::make_unique<klas::MqttClient>(
            options(port, folder, QStringLiteral("pc%1").arg(i, 2, 10, QLatin1Char('0')))));
    for (auto& c : clients)
        c->start();
    QTimer tick;
    int round = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++round;
        for (size_t i = 0; i < clients.size(); ++i) {
            klas::PupilStatus s;
            s.online = true;
            s.naam = QStringLiteral("pc%1").arg(i + 1, 2, 10, QLatin1Char('0'));
            s.uitgangen = round & 0xFF;
            // The send time travels in the plan message.
            s.planBericht = QString::number(QDateTime::currentMSecsSinceEpoch());
            clients[i]->publish(klas::statusTopic(kKlas, s.naam), klas::encodeStatus(s), 1, true);
        }
    });
    tick.start(100);

    // Results: the send time travels in `fout`, shown in the teacher's table.
    QByteArray plan;
    if (QFile f(planPath); resultPupils > 0 && f.open(QIODevice::ReadOnly))
        plan = f.readAll();
    const lesson::ReadResult lesson =
        resultPupils > 0 ? lesson::readLessonFile(lessonPath) : lesson::ReadResult{};
    std::vector<std::unique_ptr<QTimer>> checks;
    std::vector<int> attempts(size_t(std::max(0, resultPupils)), 0);
    for (int i = 0; lesson.lesson && i < resultPupils && i < publishers; ++i) {
        auto check = [&, i] {
            klas::LessonResult r;
            r.id = lessonId;
            r.titel = lesson.lesson->title;
            r.totaal = int(lesson.lesson->scenarios.size());
            r.goed = r.totaal / 2;
            r.fout = QString::number(QDateTime::currentMSecsSinceEpoch());
            r.pogingen = ++attempts[size_t(i)];
            r.seconden = r.pogingen * 60;
            r.plan = plan;
            clients[size_t(i)]->publish(
                klas::resultTopic(kKlas,
                                  QStringLiteral("pc%1").arg(i + 1, 2, 10, QLatin1Char('0'))),
                klas::encodeResult(r), 1, true);
        };
        auto timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, check);
        // The first checks spread over the minute, then one a minute each.
        QTimer::singleShot(i * kResultPeriodMs / resultPupils, timer.get(),
                           [t = timer.get(), check] {
                               check();
                               t->start(kResultPeriodMs);
                           });
        checks.push_back(std::move(timer));
    }
    return QCoreApplication::exec();
}

QList<QPair<QString, double>> measureClassLoad(const QString& programPath, int publishers,
                                               int seconds, int resultPupils)
{
    QTemporaryDir dir;
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const int port = probe.serverPort();
    probe.close();
    QProcess script;
    script.start(QStringLiteral("bash"),
                 {QStringLiteral(DRAVIK_SOURCE_DIR "/scripts/klas-broker.sh"), "--pcs",
                  QString::number(publishers), "--dir", dir.path(), "--klas", kKlas, "--port",
                  QString::number(port), "--listen", "127.0.0.1"});
    if (!script.waitForFinished(30000) || script.exitCode() != 0)
        return {};
    QProcess broker;
    broker.start(QStringLiteral("mosquitto"), {"-c", dir.filePath("mosquitto.conf")});
    if (!broker.waitForStarted(5000))
        return {};
    QThread::msleep(300);

    QStringList accounts;
    for (int i = 1; i <= publishers; ++i)
        accounts.append(QStringLiteral("pc%1").arg(i, 2, 10, QLatin1Char('0')));
    klas::MqttClient teacherClient(options(port, dir.path(), QStringLiteral("docent")));
    // The window's own time on a result, from before its handler to after:
    // the rest of a result's delay is the network's and the other processes'.
    QElapsedTimer handling;
    std::vector<double> resultHandling;
    QObject::connect(&teacherClient, &klas::MqttClient::messageArrived,
                     [&](const QString&, const QByteArray&) { handling.start(); });
    klas::Klasoverzicht window(&teacherClient, kKlas, accounts);
    // Shown, as the teacher has it: painting is part of the cost.
    window.show();
    std::vector<double> delays;
    // Connected after the window's own handler: the model has the status
    // when this runs.
    // The send time is read straight from the bytes: reading the whole
    // status a second time would count the measuring as the teacher's CPU.
    QObject::connect(&teacherClient, &klas::MqttClient::messageArrived,
                     [&](const QString& topic, const QByteArray& payload) {
                         const QString account = klas::accountOfStatusTopic(kKlas, topic);
                         const auto* p = window.model().pupil(account);
                         if (!p || p->status.planBericht.isEmpty())
                             return;
                         const QByteArray sent = p->status.planBericht.toLatin1();
                         if (payload.contains("\"planbericht\":\"" + sent + '"'))
                             delays.push_back(QDateTime::currentMSecsSinceEpoch() -
                                              sent.toLongLong());
                     });
    // A result is shown when its row in the class table holds it (the send
    // time travels in `fout`, the table's last column).
    std::vector<double> resultDelays;
    auto* table = window.findChild<QTableWidget*>();
    QObject::connect(&teacherClient, &klas::MqttClient::messageArrived,
                     [&](const QString& topic, const QByteArray&) {
                         const QString account = klas::accountOfResultTopic(kKlas, topic);
                         const auto* p = window.model().pupil(account);
                         if (!table || !p || !p->result)
                             return;
                         resultHandling.push_back(handling.nsecsElapsed() / 1e6);
                         for (int row = 0; row < table->rowCount(); ++row) {
                             const QTableWidgetItem* name = table->item(row, 0);
                             const QTableWidgetItem* fout =
                                 table->item(row, table->columnCount() - 1);
                             if (name && fout && name->text() == account &&
                                 fout->text() == p->result->fout && !fout->text().isEmpty())
                                 resultDelays.push_back(QDateTime::currentMSecsSinceEpoch() -
                                                        fout->text().toLongLong());
                         }
                     });
    QElapsedTimer wait;
    wait.start();
    while (!teacherClient.isConnected() && wait.elapsed() < 5000)
        runEventsFor(20);

    QStringList childArgs{"--klas-publishers", QString::number(port), dir.path(),
                          QString::number(publishers)};
    if (resultPupils > 0) {
        const QString data = platform::files().dataFolder();
        const QString lessonPath = data + QStringLiteral("/Opdrachten/") + kLessonFile;
        if (!window.verstuurOpdracht(lessonPath))
            return {};
        childArgs << QString::number(resultPupils) << window.opdrachtId() << lessonPath
                  << data + QStringLiteral("/Stappenplannen/") + kPlanFile;
    }
    QProcess children;
    children.start(programPath, childArgs);
    // Warm-up: every publisher connected.
    runEventsFor(3000);
    delays.clear();
    resultDelays.clear();
    resultHandling.clear();
    const double cpuStart = cpuSeconds();
    wait.restart();
    runEventsFor(seconds * 1000);
    const double measuredMs = double(wait.elapsed());
    const double cores = (cpuSeconds() - cpuStart) / (measuredMs / 1000.0);
    children.kill();
    children.waitForFinished(2000);
    broker.terminate();
    broker.waitForFinished(3000);
    const double received = double(delays.size());
    // The host's load changes how many statuses arrive; the cost of one does
    // not change with it.
    const double perStatus = received > 0 ? (cores * measuredMs * 1000.0) / received : 0;
    QList<QPair<QString, double>> figures{
        {QStringLiteral("statuses received per second"), received / seconds},
        {QStringLiteral("teacher CPU per status (us)"), perStatus},
        {QStringLiteral("publish to teacher model, median (ms)"), percentile(delays, 0.5)},
        {QStringLiteral("publish to teacher model, p99 (ms)"), percentile(delays, 0.99)},
        {QStringLiteral("publish to teacher model, max (ms)"), percentile(delays, 1.0)},
        {QStringLiteral("teacher process CPU (cores)"), cores}};
    if (resultPupils > 0) {
        figures.append({QStringLiteral("results shown per minute"),
                        double(resultDelays.size()) * 60.0 / seconds});
        figures.append({QStringLiteral("result publish to teacher table, median (ms)"),
                        percentile(resultDelays, 0.5)});
        figures.append({QStringLiteral("result publish to teacher table, p99 (ms)"),
                        percentile(resultDelays, 0.99)});
        figures.append({QStringLiteral("result publish to teacher table, max (ms)"),
                        percentile(resultDelays, 1.0)});
        figures.append({QStringLiteral("result handled by the teacher's window, max (ms)"),
                        percentile(resultHandling, 1.0)});
    }
    return figures;
}
