#include "plc/connection_slots.h"

#include <QtTest>

using plc::ConnectionSlots;

namespace
{

QHostAddress address(const QString& letter)
{
    return letter.isEmpty()
               ? QHostAddress()
               : QHostAddress(QStringLiteral("10.0.0.%1").arg(letter.at(0).unicode() - 'A' + 1));
}

} // namespace

class TestConnectionSlots : public QObject
{
    Q_OBJECT

  private slots:
    void admit_data();
    void admit();
};

void TestConnectionSlots::admit_data()
{
    QTest::addColumn<QStringList>("open"); // "ID ADDRESS LAST-REQUEST-MS"
    QTest::addColumn<QString>("peer");
    QTest::addColumn<QString>("preferred"); // the owner or last owner, "" for none
    QTest::addColumn<QString>("expected");  // "in", "in, N gives way" or the refusal

    // Slots for three connections, two per address.
    QTest::newRow("an address at its cap, though there is room")
        << QStringList{"1 A 0", "2 A 0"} << "A"
        << ""
        << "te veel verbindingen van dit adres (meer dan 2)";
    QTest::newRow("every slot taken: a stranger is refused")
        << QStringList{"1 A 0", "2 B 0", "3 C 0"} << "D"
        << "A"
        << "te veel verbindingen (meer dan 3)";
    QTest::newRow("every slot taken: the owner's address gets in, the least active stranger "
                  "gives way")
        << QStringList{"1 A 50", "2 C 300", "3 B 100"} << "A"
        << "A"
        << "in, 3 gives way";
    QTest::newRow("the owner at its own cap: its own least active connection gives way")
        << QStringList{"1 A 500", "2 A 100", "3 B 50"} << "A"
        << "A"
        << "in, 2 gives way";
}

void TestConnectionSlots::admit()
{
    QFETCH(QStringList, open);
    QFETCH(QString, peer);
    QFETCH(QString, preferred);
    QFETCH(QString, expected);
    QList<ConnectionSlots::Open> connections;
    for (const QString& line : open) {
        const QStringList w = line.split(QLatin1Char(' '));
        connections.append({w[0].toULongLong(), address(w[1]), w[2].toLongLong()});
    }
    const ConnectionSlots::Admission a =
        ConnectionSlots::admit(connections, address(peer), address(preferred), 3, 2);
    const QString got = !a.admitted ? a.why
                        : a.evict   ? QStringLiteral("in, %1 gives way").arg(a.evict)
                                    : QStringLiteral("in");
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(TestConnectionSlots)
#include "tst_connection_slots.moc"
