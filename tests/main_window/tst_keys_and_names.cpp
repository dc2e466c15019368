// The main window's keys and what a screen reader finds in it: keys take the
// pupil's own path (disabled buttons, interlocks, sounds), act only in the
// main window, once per press; every control a pupil acts on has a name;
// lamps are named and described after their output or input, also after a
// station change; Tab follows the layout.
#include "main_window/accessibility.h"
#include "support/test_support.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using testing::MainFixture;

namespace
{

// Makes the window the active one, as it is for a pupil at the keyboard.
void activate(MainFixture& fx)
{
    fx.main->show();
    fx.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(fx.main.get()));
}

// "1 3 kp4 esc": digits, number-pad digits and Escape, pressed in turn.
void type(QWidget* w, const QString& keys)
{
    for (const QString& k : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (k == QLatin1String("esc"))
            QTest::keyClick(w, Qt::Key_Escape);
        else if (k.startsWith(QLatin1String("kp")))
            QTest::keyClick(w, Qt::Key(Qt::Key_0 + k.mid(2).toInt()), Qt::KeypadModifier);
        else
            QTest::keyClick(w, Qt::Key(Qt::Key_0 + k.toInt()));
    }
}

void walk(QAccessibleInterface* iface, const std::function<void(QAccessibleInterface*)>& visit)
{
    visit(iface);
    for (int i = 0; i < iface->childCount(); ++i)
        if (QAccessibleInterface* child = iface->child(i))
            walk(child, visit);
}

QAccessibleInterface* accessible(QObject* o)
{
    return QAccessible::queryAccessibleInterface(o);
}

} // namespace

class TestKeysAndNames : public QObject
{
    Q_OBJECT

  private slots:
    void outputKeys_data();
    void outputKeys();
    void heldKeyActsOnce();
    void commandKeys_data();
    void commandKeys();
    void keysElsewhere_data();
    void keysElsewhere();
    void everyActionableControlIsNamed();
    void lampsFollowTheirPoints_data();
    void lampsFollowTheirPoints();
    void tabFollowsTheLayout();
};

void TestKeysAndNames::outputKeys_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("refusals");
    QTest::addColumn<int>("clicks");
    QTest::newRow("1 switches output 1 on") << "" << 0 << "1" << 0x01 << 0 << 1;
    QTest::newRow("8 switches output 8 on") << "" << 0 << "8" << 0x80 << 0 << 1;
    QTest::newRow("pressed twice is off again") << "" << 0 << "3 3" << 0 << 0 << 2;
    QTest::newRow("several outputs") << "" << 0 << "2 5 8" << 0x92 << 0 << 3;
    QTest::newRow("number pad") << "" << 0 << "kp4 kp6" << 0x28 << 0 << 2;
    QTest::newRow("Escape switches all off") << "" << 0 << "1 2 7 esc" << 0 << 0 << 3;
    QTest::newRow("a disabled output does nothing")
        << "CMD_StapelMagazijn" << 0 << "2 4 8" << 0x02 << 0 << 1;
    QTest::newRow("the interlock refuses with its box")
        << "CMD_StapelMagazijn" << 1 << "1" << 0 << 1 << 1;
    QTest::newRow("handling: gripper down locks the cylinder")
        << "CMD_Stationhandling" << 8 << "2 3" << 0x04 << 1 << 2;
    QTest::newRow("9 and 0 are no outputs") << "" << 0 << "9 0" << 0 << 0 << 0;
}

void TestKeysAndNames::outputKeys()
{
    QFETCH(QString, station);
    QFETCH(int, inputs);
    QFETCH(QString, keys);
    QFETCH(int, word);
    QFETCH(int, refusals);
    QFETCH(int, clicks);
    MainFixture fx;
    activate(fx);
    if (!station.isEmpty())
        fx.click(station);
    fx.port.raiseInputs(inputs);
    fx.port.written.clear();
    fx.services.sounds.played.clear();
    type(fx.main.get(), keys);
    QCOMPARE(fx.main->DecimaalUit(), word);
    if (clicks == 0)
        QVERIFY(fx.port.written.isEmpty());
    else
        QCOMPARE(fx.port.written.value(fx.port.written.size() - 1, -1), qint16(word));
    QCOMPARE(fx.services.messages.shown.size(), refusals);
    QCOMPARE(fx.services.sounds.names().count(QStringLiteral("Klik 01.wav")), clicks);
}

void TestKeysAndNames::heldKeyActsOnce()
{
    MainFixture fx;
    activate(fx);
    QTest::simulateEvent(fx.main.get(), true, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"),
                         false);
    for (int i = 0; i < 5; ++i)
        QTest::simulateEvent(fx.main.get(), true, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"),
                             true);
    QTest::simulateEvent(fx.main.get(), false, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"),
                         false);
    QCOMPARE(fx.main->DecimaalUit(), 0x10);
    QCOMPARE(fx.port.written.size(), 1);
}

void TestKeysAndNames::commandKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("button");
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << "CMD_Verder";
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << "CMD_Terug";
    QTest::newRow("F1") << int(Qt::Key_F1) << "CMD_Help";
    QTest::newRow("Escape") << int(Qt::Key_Escape) << "CMD_ResetAlles";
}

void TestKeysAndNames::commandKeys()
{
    QFETCH(int, key);
    QFETCH(QString, button);
    MainFixture fx;
    activate(fx);
    auto* b = fx.control<QAbstractButton>(button);
    QVERIFY(b);
    QSignalSpy clicked(b, &QAbstractButton::clicked);
    QTest::keyClick(fx.main.get(), Qt::Key(key));
    QCOMPARE(clicked.size(), 1);
    QVERIFY2(fx.prop(button, "ToolTipText").toString().isEmpty() ||
                 b->accessibleDescription().contains(fx.prop(button, "ToolTipText").toString()),
             "the key hint comes after the button's own tooltip");
    QVERIFY(b->accessibleDescription().contains(QLatin1String("(toets ")));
}

void TestKeysAndNames::keysElsewhere_data()
{
    QTest::addColumn<bool>("boxInMain");
    QTest::newRow("a text box in another window") << false;
    QTest::newRow("a text box in the main window") << true;
}

void TestKeysAndNames::keysElsewhere()
{
    QFETCH(bool, boxInMain);
    MainFixture fx;
    activate(fx);
    QWidget other;
    auto* box = new QLineEdit(boxInMain ? static_cast<QWidget*>(fx.main.get()) : &other);
    if (!boxInMain) {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }
    box->show();
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("1234"));
    QCOMPARE(box->text(), QStringLiteral("1234"));
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QVERIFY(fx.port.written.isEmpty());
}

void TestKeysAndNames::everyActionableControlIsNamed()
{
    MainFixture fx;
    fx.main->show();
    for (const char* view : {"", "CMD_Stationhandling", "CMD_TransHandling"}) {
        if (*view)
            fx.click(QString::fromLatin1(view));
        QStringList unnamed;
        int buttons = 0, graphics = 0;
        walk(accessible(fx.main.get()), [&](QAccessibleInterface* a) {
            if (a->state().invisible)
                return;
            const QAccessible::Role r = a->role();
            if (r == QAccessible::PushButton)
                ++buttons;
            if (r == QAccessible::Graphic)
                ++graphics;
            const bool mustHaveName = r == QAccessible::PushButton || r == QAccessible::Graphic ||
                                      r == QAccessible::Indicator;
            if (mustHaveName && a->text(QAccessible::Name).trimmed().isEmpty())
                unnamed.append(a->object()->objectName());
        });
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
        QVERIFY2(buttons >= 20, qPrintable(QString::number(buttons)));
        QCOMPARE(graphics, 3);
    }
    QCOMPARE(accessible(fx.main->CMD_ResetAlles)->text(QAccessible::Name),
             QStringLiteral("Noodstop: alle uitgangen uit"));
    fx.click(QStringLiteral("CMD_StapelMagazijn"));
    QCOMPARE(accessible(fx.main->Image_Module_Holder)->text(QAccessible::Name),
             QStringLiteral("Foto van Stapel magazijn"));
    QCOMPARE(accessible(fx.main->ImageSensorActuator)->text(QAccessible::Name),
             QStringLiteral("Geen onderdeel gekozen"));
    fx.hover(QStringLiteral("CMD_SetReset(0)"));
    QVERIFY(accessible(fx.main->ImageSensorActuator)
                ->text(QAccessible::Name)
                .startsWith(QLatin1String("Afbeelding van ")));
    QVERIFY(accessible(fx.main->PictureTekst)
                ->text(QAccessible::Description)
                .contains(fx.main->PictureTekst->printed().value(0).text));
}

void TestKeysAndNames::lampsFollowTheirPoints_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("output0");
    QTest::newRow("interface view") << "CMD_Interfacing"
                                    << "Uitgang 1";
    QTest::newRow("stack magazine") << "CMD_StapelMagazijn"
                                    << "";
    QTest::newRow("handling station") << "CMD_Stationhandling"
                                      << "Verplaatscilinder (uit)";
    QTest::newRow("both stations") << "CMD_TransHandling"
                                   << "";
}

void TestKeysAndNames::lampsFollowTheirPoints()
{
    QFETCH(QString, station);
    QFETCH(QString, output0);
    MainFixture fx;
    activate(fx);
    fx.click(QStringLiteral("CMD_Stationhandling"));
    type(fx.main.get(), QStringLiteral("3"));
    fx.port.raiseInputs(0x05);
    fx.click(station);
    fx.port.raiseInputs(0x06);
    type(fx.main.get(), QStringLiteral("1"));
    const Main& m = *fx.main;
    if (!output0.isEmpty())
        QCOMPARE(accessible(m.Shape_Lampje[0])->text(QAccessible::Name), output0);
    const bool firstOn = m.DecimaalUit() & 1;
    for (int i = 0; i < 8; ++i) {
        QAccessibleInterface* out = accessible(m.Shape_Lampje[i]);
        QAccessibleInterface* in = accessible(m.Shape_LampjeIn[i + 1]);
        QCOMPARE(out->role(), QAccessible::Indicator);
        QCOMPARE(out->text(QAccessible::Name), m.CMD_SetReset[i]->Caption());
        QCOMPARE(in->text(QAccessible::Name), m.Label_Ingang[i]->Caption());
        const bool outOn = i == 0 && firstOn;
        QCOMPARE(out->text(QAccessible::Description), outOn ? "aan" : "uit");
        QCOMPARE(in->text(QAccessible::Description), (0x06 >> i) & 1 ? "aan" : "uit");
    }
}

void TestKeysAndNames::tabFollowsTheLayout()
{
    MainFixture fx;
    const Main& m = *fx.main;
    QStringList order;
    QWidget* w = m.CMD_SetReset[0];
    for (int guard = 0; guard < 200 && order.size() < 21; ++guard, w = w->nextInFocusChain())
        if (qobject_cast<QAbstractButton*>(w))
            order.append(w->objectName());
    const QStringList expected = {
        "CMD_SetReset(0)",    "CMD_SetReset(1)",   "CMD_SetReset(2)",     "CMD_SetReset(3)",
        "CMD_SetReset(4)",    "CMD_SetReset(5)",   "CMD_SetReset(6)",     "CMD_SetReset(7)",
        "CMD_StapelMagazijn", "CMD_Transportband", "CMD_Stationhandling", "CMD_TransHandling",
        "CMD_Interfacing",    "CMD_Filmpje",       "CMD_Verder",          "CMD_Terug",
        "CMD_Help",           "CMD_Afsluiten",     "CMD_Verbinding",      "Command1",
        "CMD_ResetAlles"};
    QCOMPARE(order, expected);
}

QTEST_MAIN(TestKeysAndNames)
#include "tst_keys_and_names.moc"
