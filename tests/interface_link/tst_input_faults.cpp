#include "interface_link/input_faults.h"

#include <QtTest>

// The one masking rule of the teacher's hidden faults, as the lamps, a PLC
// and the interlocks read the inputs.
class TestInputFaults : public QObject
{
    Q_OBJECT

  private slots:
    void wordsSeen_data();
    void wordsSeen();
};

void TestInputFaults::wordsSeen_data()
{
    QTest::addColumn<int>("open");
    QTest::addColumn<int>("shorted");
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("seen");
    QTest::addColumn<int>("simulatedInterlocks");
    QTest::addColumn<int>("realInterlocks");

    QTest::newRow("none") << 0 << 0 << 0x5A << 0x5A << 0x5A << 0x5A;
    QTest::newRow("open input 1 hides it") << 0x01 << 0 << 0xFF << 0xFE << 0xFE << 0xFF;
    QTest::newRow("short input 8 shows it") << 0 << 0x80 << 0x00 << 0x80 << 0x80 << 0x00;
    QTest::newRow("both kinds, higher bits untouched")
        << 0x10 << 0x04 << 0x1F10 << 0x1F04 << 0x1F04 << 0x1F10;
    QTest::newRow("open and short on one input: it reads open")
        << 0x08 << 0x08 << 0x00 << 0x00 << 0x00 << 0x00;
    QTest::newRow("masks above the eight inputs change nothing")
        << 0x0100 << 0x0200 << 0x0300 << 0x0300 << 0x0300 << 0x0300;
}

void TestInputFaults::wordsSeen()
{
    QFETCH(int, open);
    QFETCH(int, shorted);
    QFETCH(int, word);
    QFETCH(int, seen);
    QFETCH(int, simulatedInterlocks);
    QFETCH(int, realInterlocks);
    const iface::InputFaults faults = iface::InputFaults::of(open, shorted);
    QCOMPARE(iface::withFaults(word, faults), seen);
    QCOMPARE(iface::interlockInputs(word, faults, false), simulatedInterlocks);
    QCOMPARE(iface::interlockInputs(word, faults, true), realInterlocks);
}

QTEST_GUILESS_MAIN(TestInputFaults)
#include "tst_input_faults.moc"
