// A long run of random pupil actions and interface events. After every
// action the window must still keep its promises: the lamps show the output
// word, only the eight outputs are ever set, exactly one station is active,
// the interlocks refuse exactly the moves they must, and the interface has
// been sent the word the window shows. A failure names the seed and the
// shortest list of actions that still fails.
//
// DRAVIK_RANDOM_SEED and DRAVIK_RANDOM_ACTIONS override the seed and the
// number of actions for long runs by hand. DRAVIK_RANDOM_RECORD=FOLDER writes
// what the run left behind (interface calls, sounds, boxes, a JSON dump of
// every control, and a digest of that dump every 1000 actions) into FOLDER,
// to compare two builds of the program on the same seed.
#include "interface_link/interface_model.h"
#include "outputs/interlocks.h"
#include "support/pupil_actions.h"
#include "support/run_record.h"
#include "support/test_support.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QtTest>
#include <array>
#include <optional>
#include <vector>

using testing::MainFixture;
using testing::PupilAction;

namespace
{

constexpr quint64 kDefaultSeed = 20261208;
// With the default seed, every kind of action has been done on every
// station after 25000 actions, and every press the interlocks judge
// differently (station, output, direction, refused or not, enabled or not:
// 83 of them) after 10000; 100000 actions reach nothing more of either, at
// four times the cost. Longer runs by hand: DRAVIK_RANDOM_ACTIONS.
constexpr int kDefaultActions = 25000;

struct Failure {
    int index = -1; // the action after which the check failed
    QString check;  // which promise was broken
    QString detail;
};

// What the checks need to know from before an action.
struct Before {
    int uit = 0;
    int in = 0;
    QString station;
    bool outputEnabled = false;
    qsizetype boxes = 0;
    qsizetype writes = 0;
    int verbonden = 0;
};

Before snapshot(const MainFixture& fx, const PupilAction& a)
{
    Before b;
    b.uit = fx.main->DecimaalUit();
    b.in = fx.main->DecimaalIn();
    b.station = fx.main->FrameModule->Caption();
    if (a.kind == PupilAction::Output)
        b.outputEnabled = fx.main->CMD_SetReset[a.value]->isEnabled();
    b.boxes = fx.services.messages.shown.size();
    b.writes = fx.port.written.size();
    b.verbonden = fx.main->Verbonden();
    return b;
}

std::optional<Failure> check(const MainFixture& fx, const PupilAction& a, const Before& b)
{
    const Main& w = *fx.main;
    const int uit = w.DecimaalUit();
    auto fail = [](const char* what, const QString& detail) {
        return Failure{-1, QString::fromLatin1(what), detail};
    };
    if (uit & ~0xFF)
        return fail("only outputs 0..7", QStringLiteral("DecimaalUit = %1").arg(uit));
    for (int i = 0; i < 8; ++i) {
        const bool yellow = w.Shape_Lampje[i]->FillColor() == mw::KleurLampAan;
        if (yellow != outputs::bitSet(uit, i))
            return fail("lamp follows the output",
                        QStringLiteral("lamp %1, DecimaalUit = %2").arg(i).arg(uit));
    }
    int green = 0;
    for (const ctl::CommandButton* s :
         {w.CMD_StapelMagazijn, w.CMD_Transportband, w.CMD_Stationhandling, w.CMD_TransHandling,
          w.CMD_Interfacing})
        green += s->BackColor() == mw::KleurLichtgroen ? 1 : 0;
    if (green != 1)
        return fail("one active station", QStringLiteral("%1 light-green buttons").arg(green));
    const QVector<qint16>& written = fx.port.written;
    if (written.isEmpty() ? uit != 0 : written.last() != uit)
        return fail("the interface has the shown word",
                    QStringLiteral("last written %1, DecimaalUit = %2")
                        .arg(written.isEmpty() ? QStringLiteral("nothing")
                                               : QString::number(written.last()))
                        .arg(uit));
    for (int i = 0; i < 8; ++i) {
        const bool yellow = w.Shape_LampjeIn[i + 1]->FillColor() == mw::KleurLampAan;
        if (yellow != outputs::bitSet(w.DecimaalIn(), i))
            return fail("input lamp follows the input",
                        QStringLiteral("lamp %1, DecimaalIn = %2").arg(i + 1).arg(w.DecimaalIn()));
    }
    if (a.kind == PupilAction::Inputs && w.DecimaalIn() != qint16(quint16(quint32(a.value))))
        return fail("the input word is kept",
                    QStringLiteral("DecimaalIn = %1").arg(w.DecimaalIn()));

    // Only the boxes the action can give, and at most one.
    const qsizetype boxes = fx.services.messages.shown.size() - b.boxes;
    if (boxes > 1)
        return fail("at most one message per action", QStringLiteral("%1 boxes").arg(boxes));
    if (boxes == 1) {
        const platform::MessageRequest& r = fx.services.messages.shown.last();
        const bool expected =
            (a.kind == PupilAction::Output && r.title == outputs::refusalTitle()) ||
            (a.kind == PupilAction::Connect && r.text == iface::notFoundMessage()) ||
            ((a.kind == PupilAction::Help || a.kind == PupilAction::VersionClick) &&
             r.icon == platform::MessageIcon::Information);
        if (!expected)
            return fail("only the expected messages", r.title + QStringLiteral(": ") + r.text);
    }

    if (a.kind == PupilAction::Connect && b.verbonden == 0 && w.Verbonden() == -1 && uit != 0)
        return fail("a connect starts with every output off",
                    QStringLiteral("DecimaalUit = %1").arg(uit));

    if (a.kind != PupilAction::Output)
        return std::nullopt;
    const int i = a.value;
    if (!b.outputEnabled) {
        if (uit != b.uit || fx.port.written.size() != b.writes || boxes != 0)
            return fail("a disabled button does nothing", QString());
        return std::nullopt;
    }
    const bool switchingOn = !outputs::bitSet(b.uit, i);
    const bool refuse = outputs::interlock(station::fromDisplayName(b.station).value_or(
                                               station::Station::Interface),
                                           i, switchingOn, b.in, b.uit) != outputs::Refusal::None;
    const QString state = QStringLiteral("station %1, inputs %2, outputs %3 -> %4")
                              .arg(b.station)
                              .arg(b.in)
                              .arg(b.uit)
                              .arg(uit);
    if (fx.port.written.size() != b.writes + 1)
        return fail("every press sends the word once", state);
    if (refuse) {
        if (uit != b.uit || boxes != 1 ||
            fx.services.messages.shown.last().title != outputs::refusalTitle())
            return fail("interlock refuses", state);
    } else if (uit != (b.uit ^ (1 << i)) || boxes != 0) {
        return fail("interlock lets through", state);
    }
    // The two safety rules, told directly: the handling station's slide
    // cylinder never moves while the gripper is down, and the stack
    // magazine's feed cylinder is never sent out against the pressing one.
    if (b.station == QLatin1String("Station handling") && outputs::bitSet(b.in, 3) &&
        (uit & 3) != (b.uit & 3))
        return fail("slide cylinder stays while the gripper is down", state);
    if (b.station == QLatin1String("Stapel magazijn") && outputs::bitSet(b.in, 0) &&
        !outputs::bitSet(b.uit, 0) && outputs::bitSet(uit, 0))
        return fail("feed cylinder stays in while the pressing cylinder is out", state);
    return std::nullopt;
}

// Plays the actions on a fresh window; the first broken promise, if any.
std::optional<Failure> replay(const std::vector<PupilAction>& actions, int* refusals = nullptr,
                              const QString& recordFolder = QString())
{
    MainFixture fx;
    fx.main->show();
    // DRAVIK_RANDOM_PROFILE=1 prints where the time goes, per kind of action.
    static const bool profile = qEnvironmentVariableIsSet("DRAVIK_RANDOM_PROFILE");
    std::array<qint64, PupilAction::Inputs + 1> spent{};
    std::array<int, PupilAction::Inputs + 1> done{};
    QStringList digests;
    QElapsedTimer clock;
    auto report = qScopeGuard([&] {
        if (profile)
            for (size_t kind = 0; kind < spent.size(); ++kind)
                qInfo("kind %2d: %6d actions, %6lld ms", int(kind), done[kind],
                      spent[kind] / 1000000);
    });
    for (int k = 0; k < int(actions.size()); ++k) {
        const Before b = snapshot(fx, actions[size_t(k)]);
        clock.start();
        testing::perform(fx, actions[size_t(k)]);
        spent[actions[size_t(k)].kind] += clock.nsecsElapsed();
        ++done[actions[size_t(k)].kind];
        if (refusals && fx.services.messages.shown.size() > b.boxes &&
            fx.services.messages.shown.last().title == outputs::refusalTitle())
            ++*refusals;
        if (!recordFolder.isEmpty() && (k + 1) % 1000 == 0)
            digests.append(QStringLiteral("%1 %2").arg(k + 1).arg(QString::fromLatin1(
                QCryptographicHash::hash(testing::controlDump(fx), QCryptographicHash::Sha1)
                    .toHex())));
        if (std::optional<Failure> f = check(fx, actions[size_t(k)], b)) {
            f->index = k;
            return f;
        }
    }
    if (!recordFolder.isEmpty()) {
        bool written = testing::writeRunRecord(fx, recordFolder);
        QFile f(recordFolder + QStringLiteral("/digests.txt"));
        written = written && f.open(QIODevice::WriteOnly) &&
                  f.write(digests.join(QLatin1Char('\n')).toUtf8() + '\n') > 0;
        if (!written)
            qWarning("cannot write the run record into %s", qPrintable(recordFolder));
    }
    return std::nullopt;
}

// Cuts a failing run down to a list from which no single action, and no
// block of actions, can be dropped with `stillFails` still true: the run up
// to the failing action, then ever smaller blocks dropped while it fails.
template <typename StillFails>
std::vector<PupilAction> shrink(std::vector<PupilAction> actions, int failingIndex,
                                StillFails stillFails, qint64 budgetMs, bool* finished = nullptr)
{
    QElapsedTimer clock;
    clock.start();
    actions.resize(size_t(failingIndex) + 1);
    for (size_t chunk = actions.size() / 2; chunk >= 1 && clock.elapsed() < budgetMs; chunk /= 2) {
        for (size_t start = 0; start < actions.size() && clock.elapsed() < budgetMs;) {
            std::vector<PupilAction> candidate;
            candidate.reserve(actions.size());
            for (size_t k = 0; k < actions.size(); ++k)
                if (k < start || k >= start + chunk)
                    candidate.push_back(actions[k]);
            if (!candidate.empty() && stillFails(candidate))
                actions = std::move(candidate);
            else
                start += chunk;
        }
    }
    if (finished)
        *finished = clock.elapsed() < budgetMs;
    return actions;
}

quint64 seedFromEnvironment()
{
    bool ok = false;
    const quint64 seed = qEnvironmentVariable("DRAVIK_RANDOM_SEED").toULongLong(&ok);
    return ok ? seed : kDefaultSeed;
}

int countFromEnvironment()
{
    bool ok = false;
    const int count = qEnvironmentVariableIntValue("DRAVIK_RANDOM_ACTIONS", &ok);
    return ok && count > 0 ? count : kDefaultActions;
}

} // namespace

class TestRandomRun : public QObject
{
    Q_OBJECT

  private slots:
    void randomRun();
    void shrinkFindsTheShortestList_data();
    void shrinkFindsTheShortestList();
};

void TestRandomRun::randomRun()
{
    const quint64 seed = seedFromEnvironment();
    const int count = countFromEnvironment();
    testing::PupilActionGenerator generator(seed);
    std::vector<PupilAction> actions;
    actions.reserve(size_t(count));
    for (int k = 0; k < count; ++k)
        actions.push_back(generator.next());

    QElapsedTimer clock;
    clock.start();
    int refusals = 0;
    const std::optional<Failure> f =
        replay(actions, &refusals, qEnvironmentVariable("DRAVIK_RANDOM_RECORD"));
    qInfo("%d actions in %lld ms (seed %llu), %d presses refused", count, clock.elapsed(), seed,
          refusals);
    if (!f) {
        // The interlocks were put to the test, not only passed by.
        QVERIFY2(count < 10000 || refusals > 20, "the run hardly reached an interlock");
        return;
    }
    bool finished = false;
    const std::vector<PupilAction> shortest = shrink(
        actions, f->index,
        [&](const std::vector<PupilAction>& candidate) {
            const std::optional<Failure> again = replay(candidate);
            return again && again->check == f->check;
        },
        120000, &finished);
    QString report =
        QStringLiteral("seed %1: after action %2 (%3) the promise \"%4\" broke: %5\n"
                       "shortest failing list (%6 actions%7):")
            .arg(seed)
            .arg(f->index)
            .arg(actions[size_t(f->index)].describe(), f->check, f->detail)
            .arg(shortest.size())
            .arg(finished ? QString() : QStringLiteral(", shrinking stopped at its time limit"));
    for (const PupilAction& a : shortest)
        report += QStringLiteral("\n  ") + a.describe();
    QFAIL(qPrintable(report));
}

// The shrinking itself: a run that breaks a promise only through a few
// actions among many must come back as just those actions. The interlock
// check is made to fail by a rule the window does not follow: refusing
// nothing on the handling station is not what it does, so the list is
// station, input 3 on, press output 0.
void TestRandomRun::shrinkFindsTheShortestList_data()
{
    QTest::addColumn<int>("noise");
    QTest::newRow("few") << 5;
    QTest::newRow("many") << 60;
}

void TestRandomRun::shrinkFindsTheShortestList()
{
    QFETCH(int, noise);
    std::vector<PupilAction> actions;
    testing::PupilActionGenerator generator(7);
    auto addNoise = [&] {
        for (int k = 0; k < noise; ++k) {
            PupilAction a = generator.next();
            // Noise that cannot change the station, the inputs or output 0.
            if (a.kind == PupilAction::HoverOutput || a.kind == PupilAction::HoverInput ||
                a.kind == PupilAction::TickAlternation || a.kind == PupilAction::Help)
                actions.push_back(a);
        }
    };
    addNoise();
    actions.push_back({PupilAction::Station, 2, 0}); // Station handling
    addNoise();
    actions.push_back({PupilAction::Inputs, 8, 0});
    addNoise();
    actions.push_back({PupilAction::Output, 0, 0});
    addNoise();

    const std::optional<Failure> f = replay(actions);
    QVERIFY2(!f, f ? qPrintable(f->check) : "");
    // The window refuses the press, as it must; shrink as if that refusal
    // were the fault.
    auto refusedAt = [](const std::vector<PupilAction>& list) -> int {
        MainFixture fx;
        for (int k = 0; k < int(list.size()); ++k) {
            testing::perform(fx, list[size_t(k)]);
            if (!fx.services.messages.shown.isEmpty() &&
                fx.services.messages.shown.last().title == outputs::refusalTitle())
                return k;
        }
        return -1;
    };
    const int at = refusedAt(actions);
    QVERIFY(at >= 0);
    const std::vector<PupilAction> list = shrink(
        actions, at, [&](const std::vector<PupilAction>& c) { return refusedAt(c) >= 0; }, 60000);
    QCOMPARE(int(list.size()), 3);
    QCOMPARE(list[0].kind, PupilAction::Station);
    QCOMPARE(list[1].kind, PupilAction::Inputs);
    QCOMPARE(list[2].kind, PupilAction::Output);
}

QTEST_MAIN(TestRandomRun)
#include "tst_random_run.moc"
