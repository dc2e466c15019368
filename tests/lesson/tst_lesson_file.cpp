#include "lesson/lesson_file.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace
{

// A whole lesson for `station` around one scenario's keys after its name.
QByteArray lessonJson(const QString& station, const QString& scenario,
                      const QString& more = QString())
{
    return QStringLiteral(R"({"titel": "T", "station": "%1", "tekst": ["a"]%3,
                              "scenarios": [{"naam": "Eerste", %2}]})")
        .arg(station, scenario, more)
        .toUtf8();
}

const QString Belt = QStringLiteral("Transportband");
const QString Stack = QStringLiteral("Stapel magazijn");
const QString Prefix = QStringLiteral("Kan \"les.json\" niet openen: ");
const QString First = QStringLiteral("scenario 1 (\"Eerste\"): ");

// A fault-finding lesson for `station` with `more` after its title.
QByteArray huntJson(const QString& station, const QString& more)
{
    return QStringLiteral(R"({"titel": "T", "station": "%1", "tekst": ["a"], %2})")
        .arg(station, more)
        .toUtf8();
}
const QString Handling = QStringLiteral("Station handling");

} // namespace

class TestLessonFile : public QObject
{
    Q_OBJECT

  private slots:
    void refused_data();
    void refused();
    void acceptedAndWrittenBack_data();
    void acceptedAndWrittenBack();
    void shippedLessonsRead();
};

void TestLessonFile::refused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");

    QTest::newRow("not JSON") << QByteArray("{\"titel\": \"T\",\n  station")
                              << "het is beschadigd of geen JSON (fout bij regel 2, teken 4).";
    QTest::newRow("no title") << QByteArray(R"({"station": "Transportband"})")
                              << "\"titel\" ontbreekt of is langer dan 200 tekens.";
    QTest::newRow("unknown station")
        << QByteArray(R"({"titel": "T", "station": "Lopende band"})")
        << "het station \"Lopende band\" bestaat niet; kies Stapel magazijn, Transportband, "
           "Station handling of Transportband en Station handling.";
    QTest::newRow("text not a list")
        << QByteArray(R"({"titel": "T", "station": "Transportband", "tekst": "a"})")
        << "\"tekst\" moet een lijst van hoogstens 100 regels van hoogstens 500 tekens zijn.";
    QTest::newRow("no scenarios")
        << QByteArray(R"({"titel": "T", "station": "Transportband", "tekst": [], "scenarios": []})")
        << "\"scenarios\" moet een lijst van 1 tot en met 20 scenario's zijn.";
    QTest::newRow("scenario without a name")
        << QByteArray(R"({"titel": "T", "station": "Transportband", "tekst": [],
                          "scenarios": [{"seconden": 5}]})")
        << "scenario 1: \"naam\" ontbreekt of is langer dan 200 tekens.";
    QTest::newRow("seconds not whole") << lessonJson(Belt, R"("seconden": 2.5)")
                                       << First + "\"seconden\" moet een heel getal van 1 tot "
                                                  "en met 600 zijn.";
    QTest::newRow("seconds above 600") << lessonJson(Belt, R"("seconden": 601)")
                                       << First + "\"seconden\" moet een heel getal van 1 tot "
                                                  "en met 600 zijn.";
    QTest::newRow("magazine on the conveyor")
        << lessonJson(Belt, R"("seconden": 5, "magazijn": 3)")
        << First + "Transportband heeft geen stapelmagazijn, dus \"magazijn\" kan niet.";
    QTest::newRow("magazine above its capacity")
        << lessonJson(Stack, R"("seconden": 5, "magazijn": 7)")
        << First + "\"magazijn\" moet een heel getal van 0 tot en met 6 zijn.";
    QTest::newRow("slide count on the stack magazine")
        << lessonJson(Stack, R"("seconden": 5, "eisen": {"glijbaan": 1})")
        << First + "Stapel magazijn heeft geen glijbaan, dus \"glijbaan\" kan niet.";
    QTest::newRow("parts on a station without a belt")
        << lessonJson(Stack, R"("seconden": 5, "onderdelen": [{"seconde": 0}])")
        << First + "Stapel magazijn heeft geen band, dus \"onderdelen\" kan niet.";
    QTest::newRow("part after the scenario's end")
        << lessonJson(Belt, R"("seconden": 5, "onderdelen": [{"seconde": 1}, {"seconde": 6}])")
        << First + "onderdeel 2: \"seconde\" moet een aantal seconden van 0 tot en met 5 zijn.";
    QTest::newRow("count not whole")
        << lessonJson(Belt, R"("seconden": 5, "eisen": {"eind": 1.5})")
        << First + "\"eind\" moet een heel getal van 0 tot en met 1000 zijn, of {\"min\": n} "
                   "en/of {\"max\": n}.";
    QTest::newRow("count object without min or max")
        << lessonJson(Belt, R"("seconden": 5, "eisen": {"eind": {"minimum": 1}})")
        << First + "\"eind\" moet een heel getal van 0 tot en met 1000 zijn, of {\"min\": n} "
                   "en/of {\"max\": n}.";
    QTest::newRow("count min above max")
        << lessonJson(Belt, R"("seconden": 5, "eisen": {"glijbaan": {"min": 3, "max": 1}})")
        << First + "in \"glijbaan\" is \"min\" groter dan \"max\".";
    QTest::newRow("pair of one output")
        << lessonJson(Belt, R"("seconden": 5, "eisen": {"nooitSamen": [[2, 2]]})")
        << First + "\"nooitSamen\" noemt uitgang 2 twee keer in een paar.";
    QTest::newRow("pair with an output the station lacks")
        << lessonJson(Belt, R"("seconden": 5, "eisen": {"nooitSamen": [[1, 5]]})")
        << First + "\"nooitSamen\" noemt uitgang 5, maar Transportband gebruikt uitgang 5 niet.";
    QTest::newRow("fault of an unknown kind")
        << lessonJson(Belt, R"("seconden": 5, "storingen": [{"ingang": 1, "soort": "kapot"}])")
        << First + "storing 1: \"soort\" moet \"draadbreuk\" of \"kortsluiting\" zijn.";
    QTest::newRow("fault on an input the station lacks")
        << lessonJson(Belt, R"("seconden": 5, "storingen": [{"ingang": 3, "soort": "draadbreuk"}])")
        << First + "storing 1: Transportband gebruikt ingang 3 niet.";
    QTest::newRow("lesson of an unknown kind")
        << huntJson(Belt,
                    R"("soort": "storingzoeken", "storing": {"ingang": 1, "soort": "draadbreuk"})")
        << "\"soort\" moet \"storing zoeken\" zijn, of ontbreken voor een opdracht met scenario's.";
    QTest::newRow("fault finding without its fault")
        << huntJson(Belt, R"("soort": "storing zoeken")")
        << "een opdracht \"storing zoeken\" heeft één \"storing\" nodig, zoals {\"ingang\": 3, "
           "\"soort\": \"draadbreuk\"}.";
    QTest::newRow("fault finding with scenarios")
        << huntJson(Belt,
                    R"("soort": "storing zoeken", "storing": {"ingang": 1, "soort": "draadbreuk"},
                            "scenarios": [{"naam": "a", "seconden": 1}])")
        << "een opdracht \"storing zoeken\" heeft geen \"scenarios\": de leerling zoekt met de "
           "hand.";
    QTest::newRow("a hidden fault on a lesson with scenarios")
        << lessonJson(Belt, R"("seconden": 5)",
                      R"(, "storing": {"ingang": 1, "soort": "draadbreuk"})")
        << "\"storing\" hoort alleen bij een opdracht met \"soort\": \"storing zoeken\".";
    QTest::newRow("fault finding naming an input and an output")
        << huntJson(
               Belt,
               R"("soort": "storing zoeken", "storing": {"ingang": 1, "uitgang": 1, "soort": "draadbreuk"})")
        << "\"storing\" noemt precies één \"ingang\" of één \"uitgang\".";
    QTest::newRow("fault finding on output 9")
        << huntJson(
               Belt,
               R"("soort": "storing zoeken", "storing": {"uitgang": 9, "soort": "werkt niet"})")
        << "in \"storing\": \"uitgang\" moet een heel getal van 1 tot en met 8 zijn.";
    QTest::newRow("fault finding: an output with a broken wire")
        << huntJson(
               Belt,
               R"("soort": "storing zoeken", "storing": {"uitgang": 1, "soort": "draadbreuk"})")
        << "in \"storing\": een uitgang kan alleen \"werkt niet\" hebben.";
    QTest::newRow("fault finding: an input that does not work")
        << huntJson(Belt,
                    R"("soort": "storing zoeken", "storing": {"ingang": 1, "soort": "werkt niet"})")
        << "in \"storing\": een ingang kan alleen \"draadbreuk\" of \"kortsluiting\" hebben.";
    QTest::newRow("fault finding: an input of an unknown kind")
        << huntJson(Belt,
                    R"("soort": "storing zoeken", "storing": {"ingang": 1, "soort": "kapot"})")
        << "in \"storing\": \"soort\" van een ingang moet \"draadbreuk\" of \"kortsluiting\" zijn.";
    QTest::newRow("fault finding on an output the station lacks")
        << huntJson(
               Belt,
               R"("soort": "storing zoeken", "storing": {"uitgang": 5, "soort": "werkt niet"})")
        << "in \"storing\": Transportband gebruikt uitgang 5 niet.";
    QTest::newRow("plan end unknown")
        << lessonJson(Belt, R"("seconden": 5, "eisen": {"plan": "gestopt"})")
        << First + "\"plan\" moet \"klaar\", \"mislukt\" of \"loopt\" zijn.";
    QTest::newRow("start plan for another station")
        << lessonJson(Belt, R"("seconden": 5)",
                      R"(, "startplan": {"station": "Station handling", "stappen": []})")
        << "\"startplan\" is voor Station handling, maar de opdracht is voor Transportband.";
    QTest::newRow("start plan with a bad step")
        << lessonJson(Belt, R"("seconden": 5)",
                      R"(, "startplan": {"station": "Transportband",
                                         "stappen": [{"zet": {"5": true}, "tot": {"knop": true}}]})")
        << "in \"startplan\": stap 1 zet uitgang 5, maar Transportband gebruikt uitgang 5 niet.";
}

void TestLessonFile::refused()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);
    const lesson::ReadResult read = lesson::parseLesson(json, QStringLiteral("les.json"));
    QVERIFY(!read.lesson);
    QCOMPARE(read.error, Prefix + error);
}

void TestLessonFile::acceptedAndWrittenBack_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("summary");

    // Summary: seconds, magazine, parts, faults, button, pairs, blocked/off/plan.
    QTest::newRow("the smallest") << lessonJson(Belt, R"("seconden": 1)") << "1 - 0 0 1000 0 0/0/0";
    QTest::newRow("unknown keys are left alone")
        << lessonJson(Belt, R"("seconden": 3, "kleur": "rood", "eisen": {"later": 1})",
                      R"(, "versie": 2)")
        << "3 - 0 0 1000 0 0/0/0";
    QTest::newRow("everything a conveyor scenario has")
        << lessonJson(Belt, R"("seconden": 20, "knop": 0.5,
                               "onderdelen": [{"seconde": 6, "metaal": false}, {"seconde": 0, "metaal": true}],
                               "storingen": [{"ingang": 2, "soort": "kortsluiting", "vanaf": 1.5}],
                               "eisen": {"glijbaan": {"min": 1, "max": 2}, "eind": 1,
                                         "nooitSamen": [[1, 3]], "nooitGeblokkeerd": true,
                                         "uitgangenUit": true, "plan": "loopt"})")
        << "20 - 2 1 500 1 1/1/3";
    QTest::newRow("an empty stack magazine, a failing plan")
        << lessonJson(
               Stack,
               R"("seconden": 9, "magazijn": 0, "eisen": {"afgevoerd": {"max": 0}, "plan": "mislukt"})")
        << "9 0 0 0 1000 0 0/0/2";
    QTest::newRow("fault finding on an output")
        << huntJson(
               Handling,
               R"("soort": "storing zoeken", "storing": {"uitgang": 2, "soort": "werkt niet"})")
        << "uitgang 2 werkt niet";
    QTest::newRow("fault finding on an input")
        << huntJson(
               Handling,
               R"("soort": "storing zoeken", "storing": {"ingang": 4, "soort": "kortsluiting"})")
        << "ingang 4 kortsluiting";
}

void TestLessonFile::acceptedAndWrittenBack()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, summary);
    const lesson::ReadResult read = lesson::parseLesson(json, QStringLiteral("les.json"));
    QVERIFY2(read.lesson, qPrintable(read.error));
    const std::optional<lesson::HiddenFault>& hunt = read.lesson->hunt;
    QCOMPARE(read.lesson->scenarios.isEmpty(), hunt.has_value());
    const lesson::Scenario s = hunt ? lesson::Scenario{} : read.lesson->scenarios.front();
    const QString found =
        hunt ? QStringLiteral("%1 %2 %3")
                   .arg(hunt->output ? "uitgang" : "ingang")
                   .arg(hunt->point)
                   .arg(lesson::faultKindWord(hunt->kind))
             : QStringLiteral("%1 %2 %3 %4 %5 %6 %7/%8/%9")
                   .arg(s.seconds)
                   .arg(s.magazine ? QString::number(*s.magazine) : QStringLiteral("-"))
                   .arg(s.parts.size())
                   .arg(s.faults.size())
                   .arg(s.buttonMs)
                   .arg(s.req.neverTogether.size())
                   .arg(int(s.req.neverBlocked))
                   .arg(int(s.req.outputsOff))
                   .arg(int(s.req.planEnd));
    QCOMPARE(found, summary);

    // What is written reads back as the same lesson.
    const lesson::ReadResult again =
        lesson::parseLesson(lesson::writeLesson(*read.lesson), QStringLiteral("les.json"));
    QVERIFY2(again.lesson, qPrintable(again.error));
    QVERIFY(*again.lesson == *read.lesson);
}

void TestLessonFile::shippedLessonsRead()
{
    // The page's example is a lesson as it stands.
    QFile page(QFINDTESTDATA("../../docs/opdrachten.md"));
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QByteArray text = page.readAll();
    const qsizetype from = text.indexOf("```json\n") + 8;
    const lesson::ReadResult example = lesson::parseLesson(
        text.mid(from, text.indexOf("```", from) - from), QStringLiteral("opdrachten.md"));
    QVERIFY2(example.lesson, qPrintable(example.error));
    QCOMPARE(example.lesson->scenarios.size(), 2);

    const QDir dir(QFINDTESTDATA("../../assets/Opdrachten"));
    const QStringList names = dir.entryList({QStringLiteral("*.json")}, QDir::Files);
    QVERIFY(names.size() >= 4);
    for (const QString& name : names) {
        const lesson::ReadResult read = lesson::readLessonFile(dir.filePath(name));
        QVERIFY2(read.lesson, qPrintable(read.error));
    }
}

QTEST_GUILESS_MAIN(TestLessonFile)
#include "tst_lesson_file.moc"
