#include "step_plan/plan_file.h"
#include "support/plan_doubles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using plan::Plan;
using plan::WaitKind;

namespace
{

// A whole file around the given steps.
QByteArray file(const QString& station, const QString& steps, const QString& more = QString())
{
    return QStringLiteral(R"({"station": "%1", "stappen": [%2]%3})")
        .arg(station, steps, more)
        .toUtf8();
}

const QString Handling = QStringLiteral("Station handling");
const QString Okay = QStringLiteral(R"({"zet": {"1": true}, "tot": {"knop": true}})");

} // namespace

class TestPlanFile : public QObject
{
    Q_OBJECT

  private slots:
    void refused_data();
    void refused();
    void documentedExample();
    void accepted_data();
    void accepted();
    void roundTrip();
    void unreadableFiles_data();
    void unreadableFiles();
    void saveErrors_data();
    void saveErrors();
    void examplesAreValid();
};

void TestPlanFile::refused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");

    const QString pre = QStringLiteral("Kan \"plan.json\" niet openen: ");
    QTest::newRow("not JSON") << QByteArray("{\"station\": \"Station handling\",\n  stappen")
                              << pre +
                                     "het is beschadigd of geen JSON (fout bij regel 2, teken 4).";
    QTest::newRow("empty") << QByteArray()
                           << pre + "het is beschadigd of geen JSON (fout bij "
                                    "regel 1, teken 1).";
    QTest::newRow("cut off") << file(Handling, Okay).left(40)
                             << pre +
                                    "het is beschadigd of geen JSON (fout bij regel 1, teken 41).";
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)
                            << pre + "het is beschadigd of geen JSON (fout bij regel 1, teken 2).";
    QTest::newRow("a list") << QByteArray("[1, 2]")
                            << pre + "het is geen stappenplan (een object met \"station\" en "
                                     "\"stappen\" ontbreekt).";
    QTest::newRow("no station") << QByteArray(R"({"stappen": []})")
                                << pre + "\"station\" ontbreekt.";
    QTest::newRow("unknown station")
        << file("Station Handling", Okay)
        << pre + "het station \"Station Handling\" bestaat niet; kies Stapel magazijn, "
                 "Transportband, Station handling of Transportband en Station handling.";
    QTest::newRow("no steps") << QByteArray(R"({"station": "Transportband"})")
                              << pre + "\"stappen\" ontbreekt of is geen lijst.";
    QTest::newRow("step not an object")
        << file(Handling, Okay + ", 3") << pre + "stap 2 is geen object met \"zet\" en \"tot\".";
    QTest::newRow("zet a list") << file(Handling, R"({"zet": [1], "tot": {"knop": true}})")
                                << pre +
                                       "stap 1: \"zet\" moet een object zijn, zoals {\"1\": true}.";
    QTest::newRow("output 9") << file(Handling, R"({"zet": {"9": true}, "tot": {"knop": true}})")
                              << pre + "stap 1: \"zet\" noemt uitgang \"9\"; de uitgangen zijn "
                                       "genummerd van 1 tot en met 8.";
    QTest::newRow("output 01") << file(Handling, R"({"zet": {"01": true}, "tot": {"knop": true}})")
                               << pre + "stap 1: \"zet\" noemt uitgang \"01\"; de uitgangen zijn "
                                        "genummerd van 1 tot en met 8.";
    QTest::newRow("output value 1")
        << file(Handling, R"({"zet": {"2": 1}, "tot": {"knop": true}})")
        << pre + "stap 1: uitgang 2 in \"zet\" moet true of false zijn.";
    QTest::newRow("no tot") << file(Handling, R"({"zet": {}})")
                            << pre + "stap 1: \"tot\" ontbreekt of is geen object.";
    const QString oneOf = pre + "stap 1: \"tot\" moet precies een van \"ingang\", \"seconden\" of "
                                "\"knop\" hebben.";
    QTest::newRow("tot empty") << file(Handling, R"({"tot": {}})") << oneOf;
    QTest::newRow("tot two kinds")
        << file(Handling, R"({"tot": {"knop": true, "seconden": 1}})") << oneOf;
    const QString inputNumber = pre + "stap 1: \"ingang\" moet een getal van 1 tot en met 8 zijn.";
    QTest::newRow("input 0") << file(Handling, R"({"tot": {"ingang": 0, "aan": true}})")
                             << inputNumber;
    QTest::newRow("input 2.5") << file(Handling, R"({"tot": {"ingang": 2.5, "aan": true}})")
                               << inputNumber;
    QTest::newRow("input as text")
        << file(Handling, R"({"tot": {"ingang": "2", "aan": true}})") << inputNumber;
    QTest::newRow("no aan") << file(Handling, R"({"tot": {"ingang": 2}})")
                            << pre + "stap 1: bij ingang 2 moet \"aan\" true of false zijn.";
    const QString seconds = pre + "stap 1: \"seconden\" moet een getal tussen 0,1 en 60 zijn.";
    QTest::newRow("0 seconds") << file(Handling, R"({"tot": {"seconden": 0}})") << seconds;
    QTest::newRow("61 seconds") << file(Handling, R"({"tot": {"seconden": 61}})") << seconds;
    QTest::newRow("seconds as text") << file(Handling, R"({"tot": {"seconden": "1"}})") << seconds;
    QTest::newRow("knop false") << file(Handling, R"({"tot": {"knop": false}})")
                                << pre + "stap 1: \"knop\" kan alleen true zijn.";
    QTest::newRow("negative time-out")
        << file(Handling, R"({"tot": {"ingang": 1, "aan": true}, "maxSeconden": -1})")
        << pre + "stap 1: \"maxSeconden\" moet een getal tussen 0,1 en 600 zijn.";
    QTest::newRow("uitleg a number") << file(Handling, R"({"tot": {"knop": true}, "uitleg": 3})")
                                     << pre + "stap 1: \"uitleg\" moet een tekst van hoogstens "
                                              "500 tekens zijn.";
    QTest::newRow("herhaal as text") << file(Handling, Okay, R"(, "herhaal": "ja")")
                                     << pre + "\"herhaal\" moet true of false zijn.";

    // Points the station does not use.
    QTest::newRow("stack magazine has no output 4")
        << file("Stapel magazijn", Okay + R"(, {"zet": {"4": true}, "tot": {"knop": true}})")
        << pre + "stap 2 zet uitgang 4, maar Stapel magazijn gebruikt uitgang 4 niet.";
    QTest::newRow("conveyor has no input 3")
        << file("Transportband", R"({"tot": {"ingang": 3, "aan": false}})")
        << pre + "stap 1 wacht op ingang 3, maar Transportband gebruikt ingang 3 niet.";
    QTest::newRow("combined station skips input 3")
        << file("Transportband en Station handling", R"({"tot": {"ingang": 3, "aan": true}})")
        << pre + "stap 1 wacht op ingang 3, maar Transportband en Station handling gebruikt "
                 "ingang 3 niet.";
    QTest::newRow("handling has no output 6")
        << file(Handling, R"({"zet": {"6": false}, "tot": {"knop": true}})")
        << pre + "stap 1 zet uitgang 6, maar Station handling gebruikt uitgang 6 niet.";
    // The last point is checked like any other.
    for (const QString& station :
         {QStringLiteral("Stapel magazijn"), QStringLiteral("Transportband"), Handling}) {
        QTest::addRow("%s has no output 8", qPrintable(station))
            << file(station, Okay + R"(, {"zet": {"8": true}, "tot": {"knop": true}})")
            << pre + "stap 2 zet uitgang 8, maar " + station + " gebruikt uitgang 8 niet.";
        QTest::addRow("%s has no input 8", qPrintable(station))
            << file(station, R"({"tot": {"ingang": 8, "aan": true}})")
            << pre + "stap 1 wacht op ingang 8, maar " + station + " gebruikt ingang 8 niet.";
    }
    QTest::newRow("combined station has no input 8")
        << file("Transportband en Station handling", R"({"tot": {"ingang": 8, "aan": false}})")
        << pre + "stap 1 wacht op ingang 8, maar Transportband en Station handling gebruikt "
                 "ingang 8 niet.";
}

void TestPlanFile::refused()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    const plan::ReadResult r = plan::parsePlan(json, QStringLiteral("plan.json"));
    QVERIFY(!r.plan);
    QCOMPARE(r.error, error);
}

void TestPlanFile::documentedExample()
{
    const QByteArray json = R"({"station": "Station handling",
   "stappen": [
     {"zet": {"1": true}, "tot": {"ingang": 2, "aan": true}},
     {"zet": {"1": false, "2": true}, "tot": {"ingang": 1, "aan": true}, "maxSeconden": 5},
     {"zet": {"2": false}, "tot": {"seconden": 0.5}},
     {"zet": {}, "tot": {"knop": true}}
   ],
   "herhaal": false})";
    const plan::ReadResult r = plan::parsePlan(json, QStringLiteral("x.json"));
    QVERIFY2(r.plan, qPrintable(r.error));
    const Plan& p = *r.plan;
    QCOMPARE(p.station, station::Station::Stationhandling);
    QCOMPARE(p.steps.size(), 4);
    QCOMPARE(p.steps[0].named, quint8(0b1));
    QCOMPARE(p.steps[0].on, quint8(0b1));
    QCOMPARE(p.steps[0].wait.kind, WaitKind::Input);
    QCOMPARE(p.steps[0].wait.input, 2);
    QCOMPARE(p.steps[0].timeoutMs, plan::DefaultTimeoutMs);
    QCOMPARE(p.steps[1].named, quint8(0b11));
    QCOMPARE(p.steps[1].on, quint8(0b10));
    QCOMPARE(p.steps[1].timeoutMs, 5000);
    QCOMPARE(p.steps[2].wait.kind, WaitKind::Time);
    QCOMPARE(p.steps[2].wait.ms, 500);
    QCOMPARE(p.steps[3].named, quint8(0));
    QCOMPARE(p.steps[3].wait.kind, WaitKind::Button);
    QVERIFY(!p.repeat);
}

void TestPlanFile::accepted_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("steps");

    QTest::newRow("keys it does not know") << file(Handling, R"({"zet": {}, "tot": {"knop": true},
        "kleur": "rood"})",
                                                   R"(, "auteur": "Sanne", "versie": 2)")
                                           << 1;
    QTest::newRow("zet left out") << file(Handling, R"({"tot": {"seconden": 60}})") << 1;
    QTest::newRow("herhaal left out, no steps") << file("Transportband", QString()) << 0;
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + file(Handling, Okay) << 1;
    QTest::newRow("shortest time and longest time-out")
        << file(Handling, R"({"tot": {"seconden": 0.1}}, {"tot": {"ingang": 7, "aan": true},
            "maxSeconden": 600})")
               .replace("Station handling", "Transportband en Station handling")
        << 2;
    // The last output and input each station uses.
    const auto lastPoints = [](const QString& station, int output, int input) {
        return file(station, QStringLiteral(R"({"zet": {"%1": true}, "tot": {"ingang": %2,
            "aan": true}})")
                                 .arg(output)
                                 .arg(input));
    };
    QTest::newRow("stack magazine: output 3, input 1") << lastPoints("Stapel magazijn", 3, 1) << 1;
    QTest::newRow("conveyor: output 3, input 2") << lastPoints("Transportband", 3, 2) << 1;
    QTest::newRow("handling: output 5, input 4") << lastPoints(Handling, 5, 4) << 1;
    QTest::newRow("combined station: output 8, input 7")
        << lastPoints("Transportband en Station handling", 8, 7) << 1;
}

void TestPlanFile::accepted()
{
    QFETCH(QByteArray, json);
    QFETCH(int, steps);
    const plan::ReadResult r = plan::parsePlan(json, QStringLiteral("x.json"));
    QVERIFY2(r.plan, qPrintable(r.error));
    QCOMPARE(r.plan->steps.size(), steps);
}

void TestPlanFile::roundTrip()
{
    Plan p;
    p.station = station::Station::TransHandling;
    p.repeat = true;
    plan::Step a;
    a.setTarget(8, true);
    a.setTarget(4, false);
    a.wait = {WaitKind::Input, 7, false, 1000};
    a.timeoutMs = 2500;
    a.note = QStringLiteral("Grijper \"dicht\"");
    plan::Step b;
    b.wait.kind = WaitKind::Time;
    b.wait.ms = 100;
    p.steps = {a, b, plan::Step()};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.json"));
    QCOMPARE(plan::savePlanFile(p, path), QString());
    const plan::ReadResult r = plan::readPlanFile(path);
    QVERIFY2(r.plan, qPrintable(r.error));
    QVERIFY(*r.plan == p);
}

void TestPlanFile::unreadableFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << "missing"
                             << "Kan \"plan.json\" niet openen: het bestand bestaat niet.";
    QTest::newRow("a folder") << "folder"
                              << "Kan \"plan.json\" niet openen: het bestand bestaat niet.";
    QTest::newRow("too large")
        << "large"
        << "Kan \"plan.json\" niet openen: het bestand is te groot voor een stappenplan.";
}

void TestPlanFile::unreadableFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.json"));
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("large")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file(Handling, Okay));
        f.write(QByteArray(plan::MaxFileBytes, ' '));
    }
    QCOMPARE(plan::readPlanFile(path).error, error);
}

void TestPlanFile::saveErrors_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("folder missing") << "nergens/plan.json";
    QTest::newRow("a folder in the way") << "plan.json";
}

// A save that cannot be done says so and leaves nothing behind.
void TestPlanFile::saveErrors()
{
    QFETCH(QString, target);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("plan.json")));
    const QString error = plan::savePlanFile(Plan(), dir.filePath(target));
    QVERIFY2(error.startsWith(QStringLiteral("Kan \"plan.json\" niet opslaan: ")),
             qPrintable(error));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("plan.json"))).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

void TestPlanFile::examplesAreValid()
{
    const QDir folder(testing::examplePlanFolder());
    const QStringList names = folder.entryList({QStringLiteral("*.json")}, QDir::Files);
    QSet<station::Station> stations;
    for (const QString& name : names) {
        const plan::ReadResult r = plan::readPlanFile(folder.filePath(name));
        QVERIFY2(r.plan, qPrintable(r.error));
        QVERIFY2(!r.plan->steps.isEmpty(), qPrintable(name));
        stations.insert(r.plan->station);
    }
    // At least one plan per station.
    QCOMPARE(stations.size(), 4);
}

QTEST_GUILESS_MAIN(TestPlanFile)
#include "tst_plan_file.moc"
