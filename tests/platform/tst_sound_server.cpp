// The program's sound service against a real sound server: a private
// PulseAudio server with a null sink, whose monitor is recorded while the
// service plays; the sounds in the recording are counted. Skipped when
// pulseaudio or its tools are not installed (test.sh installs them).

#include "platform/services.h"
#include "platform/sound_player.h"
#include "support/try_wait.h"

#include <QAudioDevice>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

namespace
{

constexpr int kRate = 16000;        // recorded mono at this rate
constexpr int kWindow = kRate / 50; // 20 ms
constexpr int kLoud = 3000;         // a window sounds when a sample passes this
constexpr int kQuietBetween = 2;    // quiet windows that part two sounds

QString tool(const char* name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// How long `path` (a 16-bit PCM WAV) is loud, in ms: a sound from the
// program's folder sounds only at its start and is silent after that.
int loudLengthMs(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray wav = f.readAll();
    // The canonical 44-byte header: channels at 22, rate at 24, bits at 34.
    if (wav.size() < 44 || !wav.startsWith("RIFF"))
        return 0;
    auto le = [&wav](int at, int bytes) {
        quint32 v = 0;
        for (int k = bytes - 1; k >= 0; --k)
            v = (v << 8) | quint8(wav[at + k]);
        return v;
    };
    const int channels = int(le(22, 2));
    const int rate = int(le(24, 4));
    if (le(34, 2) != 16 || channels < 1 || rate < 1)
        return 0;
    const auto* s = reinterpret_cast<const qint16*>(wav.constData() + 44);
    const int count = int((wav.size() - 44) / 2);
    int last = -1;
    for (int i = 0; i < count; ++i)
        if (std::abs(int(s[i])) >= kLoud)
            last = i;
    return last < 0 ? 0 : int(qint64(last / channels + 1) * 1000 / rate);
}

// Start times (ms into the recording) of the sounds in raw s16 mono audio.
// A sound starts after a quiet stretch, or where it is loud once the one
// before has ended: each is loud for only `loudMs`, so a start that follows
// another too closely for a pause between them is still counted.
QList<int> soundStarts(const QByteArray& raw, int loudMs)
{
    const auto* s = reinterpret_cast<const qint16*>(raw.constData());
    const int count = int(raw.size() / 2);
    // Windows a single sound keeps sounding, with one to spare for a sound
    // that straddles a window's edge.
    const int windowsPerSound = (loudMs * kRate / 1000 + kWindow - 1) / kWindow + 1;
    QList<int> starts;
    int quiet = kQuietBetween;
    int lastStart = 0; // window
    for (int w = 0; w + kWindow <= count; w += kWindow) {
        int peak = 0;
        for (int i = w; i < w + kWindow; ++i)
            peak = std::max(peak, std::abs(int(s[i])));
        if (peak < kLoud) {
            ++quiet;
            continue;
        }
        const int window = w / kWindow;
        if (starts.isEmpty() || quiet >= kQuietBetween || window - lastStart >= windowsPerSound) {
            starts.append(w * 1000 / kRate);
            lastStart = window;
        }
        quiet = 0;
    }
    return starts;
}

// Collects what the program logs, at every level.
class ProgramLog
{
  public:
    ProgramLog()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&ProgramLog::handle);
    }
    ~ProgramLog()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    QStringList lines;

  private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (context.category && qstrcmp(context.category, "dravik") == 0)
            s_current->lines.append(text);
        else if (s_current->m_previous)
            s_current->m_previous(type, context, text);
    }
    static inline ProgramLog* s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
};

} // namespace

class TestSoundServer : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void soundStartsInARecording_data();
    void soundStartsInARecording();
    void everyPlayIsHeard_data();
    void everyPlayIsHeard();
    void burstKeepsFewPlayers();
    void brokenFileIsToldOnce_data();
    void brokenFileIsToldOnce();
    void deviceThatAppearsLaterIsUsed();

  private:
    QProcessEnvironment toolEnvironment(bool server) const;
    bool runTool(const char* name, const QStringList& args, QString* output = nullptr);
    bool startRecording(const QString& source);
    // Stops once the sounds of `path` asked for up to `lastAskedMs` have been
    // recorded; their start times.
    QList<int> stopRecording(const QString& path, qint64 lastAskedMs);
    // Plays `times` times, at least `gapMs` apart; returns when each play
    // was asked.
    QList<qint64> playSpaced(platform::SoundService& service, const QString& path, int times,
                             int gapMs);

    QString m_folder; // runtime folder and home of the private server
    bool m_started = false;
    QProcess m_recorder;
    QByteArray m_recorded;
    QElapsedTimer m_clock; // runs from the first recorded byte
};

QProcessEnvironment TestSoundServer::toolEnvironment(bool server) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_folder);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folder + QStringLiteral("/config"));
    // Keep the private server off the desktop's session bus and server.
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("PULSE_COOKIE"));
    if (server)
        env.remove(QStringLiteral("PULSE_SERVER"));
    else
        env.insert(QStringLiteral("PULSE_SERVER"), m_folder + QStringLiteral("/pulse/native"));
    return env;
}

bool TestSoundServer::runTool(const char* name, const QStringList& args, QString* output)
{
    QProcess p;
    p.setProcessEnvironment(toolEnvironment(qstrcmp(name, "pulseaudio") == 0));
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool(name), args);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void TestSoundServer::initTestCase()
{
    if (tool("pulseaudio").isEmpty() || tool("parecord").isEmpty() || tool("pactl").isEmpty())
        QSKIP("pulseaudio, parecord or pactl is not installed: no sound server to test against");
    // One folder per build: a server left by a crashed run is stopped by the
    // next one, and two builds never share a server. A short path, as the
    // server's socket lives in it.
    const QByteArray build = QCryptographicHash::hash(
        QCoreApplication::applicationFilePath().toUtf8(), QCryptographicHash::Sha1);
    m_folder = QDir::tempPath() + QStringLiteral("/dravik-sound-") +
               QString::fromLatin1(build.toHex().left(10));
    QVERIFY(QDir().mkpath(m_folder));
    QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    runTool("pulseaudio", {QStringLiteral("--kill")});
    // Without rewinds the monitor records what is played as it is played; a
    // sink that rewinds to mix a new stream in early leaves the recording
    // with sounds cut or missing that were played in full.
    QString out;
    QVERIFY2(runTool("pulseaudio",
                     {QStringLiteral("--daemonize=yes"), QStringLiteral("--exit-idle-time=-1"),
                      QStringLiteral("-n"),
                      QStringLiteral("--load=module-null-sink sink_name=nul norewinds=1"),
                      QStringLiteral("--load=module-native-protocol-unix")},
                     &out),
             qPrintable(out));
    m_started = true;
    TRY_VERIFY_WITH_TIMEOUT(runTool("pactl", {QStringLiteral("info")}), 10000);
    // The program under test (this process) plays into the private server.
    qputenv("PULSE_SERVER", QFile::encodeName(m_folder + QStringLiteral("/pulse/native")));
    qputenv("PULSE_COOKIE", QFile::encodeName(m_folder + QStringLiteral("/config/pulse/cookie")));
    TRY_VERIFY_WITH_TIMEOUT(!QMediaDevices::audioOutputs().isEmpty(), 10000);
}

void TestSoundServer::cleanupTestCase()
{
    if (!m_started)
        return;
    QVERIFY(runTool("pulseaudio", {QStringLiteral("--kill")}));
    QDir(m_folder).removeRecursively();
}

bool TestSoundServer::startRecording(const QString& source)
{
    m_recorded.clear();
    m_recorder.setProcessEnvironment(toolEnvironment(false));
    m_recorder.start(tool("parecord"),
                     {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                      QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--channels=1"),
                      QStringLiteral("--latency-msec=20"), QStringLiteral("-d"), source});
    if (!m_recorder.waitForStarted(5000))
        return false;
    // The recording runs once the monitor delivers (silent) audio.
    QElapsedTimer t;
    t.start();
    while (m_recorded.isEmpty() && t.elapsed() < 10000) {
        m_recorder.waitForReadyRead(100);
        m_recorded += m_recorder.readAllStandardOutput();
    }
    m_clock.start();
    return !m_recorded.isEmpty();
}

QList<int> TestSoundServer::stopRecording(const QString& path, qint64 lastAskedMs)
{
    const int loudMs = loudLengthMs(path);
    // The last sound, and the server's and the recorder's latency.
    QTest::qWait(int(std::max<qint64>(0, lastAskedMs + loudMs + 600 - m_clock.elapsed())));
    m_recorded += m_recorder.readAllStandardOutput();
    m_recorder.terminate();
    if (!m_recorder.waitForFinished(5000)) {
        m_recorder.kill();
        m_recorder.waitForFinished();
    }
    m_recorded += m_recorder.readAllStandardOutput();
    return soundStarts(m_recorded, loudMs);
}

QList<qint64> TestSoundServer::playSpaced(platform::SoundService& service, const QString& path,
                                          int times, int gapMs)
{
    QList<qint64> asked;
    for (int i = 0; i < times; ++i) {
        asked.append(m_clock.elapsed());
        service.play(path);
        // From when this one was asked: a play that took a while, or a
        // stall of the machine, must not bring the next one closer than
        // the gap (two clicks that close sound as one).
        QTest::qWait(int(std::max<qint64>(0, asked.last() + gapMs - m_clock.elapsed())));
    }
    return asked;
}

void TestSoundServer::everyPlayIsHeard_data()
{
    QTest::addColumn<QString>("sound");
    QTest::addColumn<int>("times");
    QTest::addColumn<int>("gapMs");
    // Six plays: one more than a full round of the players a sound may
    // have, so a player that fails when taken up again is heard missing.
    // The pace of a pupil pressing an output button: each click's player
    // has ended (the file lasts 0.45 s) before the next.
    QTest::newRow("output click every 0.5 s") << QStringLiteral("Klik 01.wav") << 6 << 500;
    // Inputs that change quickly: a tick starts while the one before still
    // has its player.
    QTest::newRow("input click every 0.2 s") << QStringLiteral("Klik 02.wav") << 6 << 200;
    QTest::newRow("connect sound twice") << QStringLiteral("Verbonden.wav") << 2 << 800;
}

// The counting itself, on made-up recordings: loud stretches given as
// (start ms, length ms) pairs, for a sound loud for `loudMs`.
void TestSoundServer::soundStartsInARecording_data()
{
    QTest::addColumn<QList<int>>("loud");
    QTest::addColumn<int>("loudMs");
    QTest::addColumn<QList<int>>("starts");
    QTest::newRow("silence") << QList<int>{} << 17 << QList<int>{};
    QTest::newRow("two clicks 200 ms apart")
        << QList<int>{100, 17, 300, 17} << 17 << QList<int>{100, 300};
    // A late click right behind the one before: no pause between them.
    QTest::newRow("two clicks 40 ms apart")
        << QList<int>{100, 17, 140, 17} << 17 << QList<int>{100, 140};
    QTest::newRow("a long sound with a short dip")
        << QList<int>{100, 200, 320, 180} << 400 << QList<int>{100};
    // Found a window late: the one before might have started late in its
    // first window.
    QTest::newRow("a long sound, the next one right behind it")
        << QList<int>{100, 400, 500, 400} << 400 << QList<int>{100, 520};
}

void TestSoundServer::soundStartsInARecording()
{
    QFETCH(QList<int>, loud);
    QFETCH(int, loudMs);
    QFETCH(QList<int>, starts);
    QByteArray raw(2 * kRate * 2, '\0'); // two seconds of silence
    auto* samples = reinterpret_cast<qint16*>(raw.data());
    for (int i = 0; i + 1 < loud.size(); i += 2)
        for (int k = loud[i] * kRate / 1000; k < (loud[i] + loud[i + 1]) * kRate / 1000; ++k)
            samples[k] = qint16(k % 2 ? 12000 : -12000);
    QCOMPARE(soundStarts(raw, loudMs), starts);
}

// Through the program's own service, as the windows use it.
void TestSoundServer::everyPlayIsHeard()
{
    QFETCH(QString, sound);
    QFETCH(int, times);
    QFETCH(int, gapMs);
    const QString path = platform::resolvedSound(sound);
    QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    QVERIFY(startRecording(QStringLiteral("nul.monitor")));
    const QList<qint64> asked = playSpaced(platform::sounds(), path, times, gapMs);
    const QList<int> starts = stopRecording(path, asked.last());
    qInfo("%s: %d of %d heard", qPrintable(sound), int(starts.size()), times);
    QCOMPARE(starts.size(), times);
    // Each sound starts when it is asked for, not queued behind another.
    for (int i = 1; i < times; ++i) {
        const qint64 late = (starts[i] - starts[0]) - (asked[i] - asked[0]);
        QVERIFY2(std::abs(late) < 150,
                 qPrintable(QStringLiteral("sound %1 is %2 ms off").arg(i + 1).arg(late)));
    }
}

// Faster than the sounds can end: the newest is heard, the oldest are cut,
// no more than a few players are alive at any time, and the last ones are
// let go when they have sounded.
void TestSoundServer::burstKeepsFewPlayers()
{
    platform::SoundPlayer player;
    const QString path = platform::resolvedSound(QStringLiteral("Verbroken.wav"));
    QVERIFY(startRecording(QStringLiteral("nul.monitor")));
    for (int i = 0; i < 12; ++i) {
        player.play(path);
        QVERIFY(player.livePlayers(path) <= platform::SoundPlayer::kMaxPlayersPerSound);
    }
    QCOMPARE(player.livePlayers(path), platform::SoundPlayer::kMaxPlayersPerSound);
    QVERIFY(!stopRecording(path, m_clock.elapsed()).isEmpty());
    TRY_COMPARE_WITH_TIMEOUT(player.livePlayers(path), 0, 5000);
}

void TestSoundServer::brokenFileIsToldOnce_data()
{
    QTest::addColumn<QByteArray>("content");
    QFile good(platform::resolvedSound(QStringLiteral("Klik 01.wav")));
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray wav = good.readAll();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray(3000, 'x');
    QTest::newRow("header only") << wav.left(36);
    QTest::newRow("cut off") << wav.left(wav.size() / 3);
    QByteArray mp3 = wav; // a format tag no decoder here knows
    mp3[20] = char(0x55);
    QTest::newRow("unknown encoding") << mp3;
}

// Told once, never tried again, no player left behind; and nothing hangs
// (the test's end deletes the players).
void TestSoundServer::brokenFileIsToldOnce()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Klik 01.wav"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    platform::SoundPlayer player;
    ProgramLog log;
    player.play(path);
    TRY_COMPARE_WITH_TIMEOUT(player.livePlayers(path), 0, 5000);
    for (int i = 0; i < 3; ++i) {
        player.play(path);
        QCOMPARE(player.livePlayers(path), 0);
    }
    QCoreApplication::processEvents();
    QCOMPARE(log.lines.size(), 1);
    QVERIFY2(log.lines.first().contains(QLatin1String("cannot play")),
             qPrintable(log.lines.first()));
}

// Without an output nothing plays and that is said once; a device that
// turns up later (a headset plugged in) is used from then on.
void TestSoundServer::deviceThatAppearsLaterIsUsed()
{
    platform::SoundPlayer player;
    const QString path = platform::resolvedSound(QStringLiteral("Klik 01.wav"));
    QVERIFY(
        runTool("pactl", {QStringLiteral("unload-module"), QStringLiteral("module-null-sink")}));
    TRY_VERIFY_WITH_TIMEOUT(QMediaDevices::audioOutputs().isEmpty(), 5000);
    {
        ProgramLog log;
        for (int i = 0; i < 3; ++i) {
            player.play(path);
            QCOMPARE(player.livePlayers(path), 0);
        }
        QCOMPARE(log.lines.size(), 1);
        QVERIFY2(log.lines.first().contains(QLatin1String("no audio output")),
                 qPrintable(log.lines.first()));
    }
    QVERIFY(runTool("pactl", {QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                              QStringLiteral("sink_name=kop"), QStringLiteral("norewinds=1")}));
    TRY_VERIFY_WITH_TIMEOUT(!QMediaDevices::audioOutputs().isEmpty(), 5000);
    QVERIFY(startRecording(QStringLiteral("kop.monitor")));
    const QList<qint64> asked = playSpaced(player, path, 3, 400);
    QCOMPARE(stopRecording(path, asked.last()).size(), 3);
}

QTEST_MAIN(TestSoundServer)
#include "tst_sound_server.moc"
