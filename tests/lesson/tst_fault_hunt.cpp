#include "lesson/fault_hunt.h"

#include <QtTest>

using lesson::FaultHunt;
using lesson::FaultKind;
using lesson::HiddenFault;

Q_DECLARE_METATYPE(lesson::HiddenFault)

class TestFaultHunt : public QObject
{
    Q_OBJECT

  private slots:
    void answers_data();
    void answers();
    void masks_data();
    void masks();
    void applyOnModule_data();
    void applyOnModule();
};

void TestFaultHunt::answers_data()
{
    QTest::addColumn<HiddenFault>("hidden");
    QTest::addColumn<HiddenFault>("answer");
    QTest::addColumn<QString>("sentence");

    const HiddenFault open2{false, 2, FaultKind::OpenCircuit};
    const HiddenFault dead2{true, 2, FaultKind::Dead};
    QTest::newRow("right input") << open2 << open2
                                 << "Goed gevonden: ingang 2 (Eindschakelaar cil. 1 Voor) heeft "
                                    "een draadbreuk.";
    QTest::newRow("right output")
        << dead2 << dead2 << "Goed gevonden: uitgang 2 (Verplaatscilinder (in)) werkt niet.";
    QTest::newRow("right short circuit")
        << HiddenFault{false, 4, FaultKind::ShortCircuit}
        << HiddenFault{false, 4, FaultKind::ShortCircuit}
        << "Goed gevonden: ingang 4 (Eindschakelaar cil. 2 Onder) heeft kortsluiting.";
    // The dialog offers every kind for every point: output 2 with a broken
    // wire is not input 2 with one.
    QTest::newRow("same number and kind, the output")
        << open2 << HiddenFault{true, 2, FaultKind::OpenCircuit} << "Nee, dat is het niet.";
    QTest::newRow("right point, wrong kind")
        << open2 << HiddenFault{false, 2, FaultKind::ShortCircuit} << "Nee, dat is het niet.";
    QTest::newRow("right kind, wrong point")
        << open2 << HiddenFault{false, 1, FaultKind::OpenCircuit} << "Nee, dat is het niet.";
}

void TestFaultHunt::answers()
{
    QFETCH(HiddenFault, hidden);
    QFETCH(HiddenFault, answer);
    QFETCH(QString, sentence);
    QCOMPARE(lesson::answerSentence(hidden, answer, station::Station::Stationhandling), sentence);

    // Counted: a wrong answer first, the given one, then the right one; the
    // switches stop counting once it is found and the time stops with it.
    FaultHunt hunt(hidden, 1000);
    hunt.outputSwitched();
    QVERIFY(!hunt.answer(HiddenFault{true, 8, FaultKind::Dead}, 2000));
    const bool right = hunt.answer(answer, 5500);
    QCOMPARE(right, hidden == answer);
    hunt.outputSwitched();
    QVERIFY(hunt.answer(hidden, 9000));
    QVERIFY(hunt.found());
    QCOMPARE(hunt.attempts(), right ? 2 : 3);
    QCOMPARE(hunt.switches(), right ? 1 : 2);
    QCOMPARE(hunt.seconds(60000), right ? 4 : 8);
    QCOMPARE(lesson::huntLine(hunt.found(), hunt.attempts()),
             right ? QStringLiteral("Storing gevonden · 2 pogingen")
                   : QStringLiteral("Storing gevonden · 3 pogingen"));
}

void TestFaultHunt::masks_data()
{
    QTest::addColumn<HiddenFault>("fault");
    QTest::addColumn<int>("teacherOpen");
    QTest::addColumn<int>("teacherShort");
    QTest::addColumn<QString>("masks"); // open/short/dead

    QTest::newRow("input 1 open, nothing else")
        << HiddenFault{false, 1, FaultKind::OpenCircuit} << 0 << 0 << "1/0/0";
    QTest::newRow("input 8 short")
        << HiddenFault{false, 8, FaultKind::ShortCircuit} << 0 << 0 << "0/128/0";
    // An output fault never touches the inputs.
    QTest::newRow("output 3 dead") << HiddenFault{true, 3, FaultKind::Dead} << 0 << 0 << "0/0/4";
    QTest::newRow("an open wire wins over the teacher's short")
        << HiddenFault{false, 2, FaultKind::OpenCircuit} << 0 << 2 << "2/0/0";
    QTest::newRow("the teacher's faults stay")
        << HiddenFault{true, 1, FaultKind::Dead} << 4 << 8 << "4/8/1";
    QTest::newRow("a point out of range is no fault")
        << HiddenFault{true, 9, FaultKind::Dead} << 0 << 0 << "0/0/0";
}

void TestFaultHunt::masks()
{
    QFETCH(HiddenFault, fault);
    QFETCH(int, teacherOpen);
    QFETCH(int, teacherShort);
    QFETCH(QString, masks);
    const lesson::FaultMasks m =
        lesson::combined(lesson::masksOf(fault), {teacherOpen, teacherShort, 0});
    QCOMPARE(QStringLiteral("%1/%2/%3").arg(m.open).arg(m.shorted).arg(m.deadOutputs), masks);
}

void TestFaultHunt::applyOnModule_data()
{
    QTest::addColumn<HiddenFault>("fault");
    QTest::addColumn<bool>("simulated");
    QTest::addColumn<bool>("refused");

    QTest::newRow("input on a module")
        << HiddenFault{false, 1, FaultKind::OpenCircuit} << false << false;
    QTest::newRow("output on a module") << HiddenFault{true, 1, FaultKind::Dead} << false << true;
    QTest::newRow("output simulated") << HiddenFault{true, 1, FaultKind::Dead} << true << false;
}

void TestFaultHunt::applyOnModule()
{
    QFETCH(HiddenFault, fault);
    QFETCH(bool, simulated);
    QFETCH(bool, refused);
    QCOMPARE(!lesson::applyProblem(fault, simulated).isEmpty(), refused);
}

QTEST_APPLESS_MAIN(TestFaultHunt)
#include "tst_fault_hunt.moc"
