// The main window's keys and what a screen reader finds in it and in the
// windows beside it: keys take the pupil's own path (disabled buttons,
// interlocks, sounds), act only in the main window and the window it shares
// them with, once per press; every control a pupil acts on has a name, a
// role and a state; lamps follow their output or input, also after a
// station change; Tab and the reading order follow the layout.
#include "description/beschrijving.h"
#include "interface_link/simulated_about.h"
#include "interface_link/simulated_interface.h"
#include "klas/klasoverzicht.h"
#include "klas/mqtt_client.h"
#include "main_window/keyboard.h"
#include "platform/ending.h"
#include "simulation/station_runner.h"
#include "step_plan/lesson_pane.h"
#include "step_plan/step_plan_window.h"
#include "support/plan_doubles.h"
#include "support/test_support.h"
#include "support/try_wait.h"
#include "virtual_station/scene_controls.h"
#include "virtual_station/virtual_station_window.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
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

// A window's control by objectName, or else by the text it shows.
QObject* findControl(const QWidget& window, const QString& name)
{
    if (window.objectName() == name)
        return const_cast<QWidget*>(&window);
    if (QObject* o = window.findChild<QObject*>(name))
        return o;
    for (auto* b : window.findChildren<QAbstractButton*>())
        if (b->text() == name)
            return b;
    for (auto* w : window.findChildren<QWidget*>())
        if (w->accessibleName() == name)
            return w;
    return nullptr;
}

// The controls Tab should reach in `window` now (a spin box's or a
// drop-down's own editor is part of it), and the walk Tab (or Shift+Tab)
// takes from the focus until it is back; fails on a control the key never
// leaves or a walk that never comes back.
QSet<QWidget*> tabStops(QWidget* window)
{
    QSet<QWidget*> stops;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QWidget* up = w->parentWidget();
        if (!qobject_cast<QAbstractSpinBox*>(up) && !qobject_cast<QComboBox*>(up) &&
            w->window() == window && w->isVisible() && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus))
            stops.insert(w);
    }
    return stops;
}

void walkTabs(QWidget* window, Qt::Key key, int limit, QList<QWidget*>& met)
{
    QWidget* at = QApplication::focusWidget();
    for (met.append(at); met.size() <= limit; met.append(at)) {
        QTest::keyClick(at, key);
        QWidget* next = QApplication::focusWidget();
        if (next == met.first()) // back (also a window with one stop)
            return;
        QVERIFY2(next != at, qPrintable("Tab never leaves " + at->objectName()));
        QVERIFY2(next && next->window() == window, "Tab leaves the window");
        at = next;
    }
    QFAIL("Tab never comes back to where it started");
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
    void tabWalksEveryWindow_data();
    void tabWalksEveryWindow();
    void controlKinds_data();
    void controlKinds();
    void readingOrderFollowsTheLayout_data();
    void readingOrderFollowsTheLayout();
};

void TestKeysAndNames::outputKeys_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("refusals");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<bool>("besideMain"); // typed in a window that shares the keys
    QTest::newRow("1 switches output 1 on") << "" << 0 << "1" << 0x01 << 0 << 1 << false;
    QTest::newRow("8 switches output 8 on") << "" << 0 << "8" << 0x80 << 0 << 1 << false;
    QTest::newRow("pressed twice is off again") << "" << 0 << "3 3" << 0 << 0 << 2 << false;
    QTest::newRow("several outputs") << "" << 0 << "2 5 8" << 0x92 << 0 << 3 << false;
    QTest::newRow("number pad") << "" << 0 << "kp4 kp6" << 0x28 << 0 << 2 << false;
    QTest::newRow("Escape switches all off") << "" << 0 << "1 2 7 esc" << 0 << 0 << 3 << false;
    QTest::newRow("a disabled output does nothing")
        << "CMD_StapelMagazijn" << 0 << "2 4 8" << 0x02 << 0 << 1 << false;
    QTest::newRow("the interlock refuses with its box")
        << "CMD_StapelMagazijn" << 1 << "1" << 0 << 1 << 1 << false;
    QTest::newRow("handling: gripper down locks the cylinder")
        << "CMD_Stationhandling" << 8 << "2 3" << 0x04 << 1 << 2 << false;
    QTest::newRow("9 and 0 are no outputs") << "" << 0 << "9 0" << 0 << 0 << 0 << false;
    QTest::newRow("beside: outputs and number pad") << "" << 0 << "2 kp7" << 0x42 << 0 << 2 << true;
    QTest::newRow("beside: Escape switches all off") << "" << 0 << "1 6 esc" << 0 << 0 << 2 << true;
    QTest::newRow("beside: the interlock still refuses")
        << "CMD_StapelMagazijn" << 1 << "1" << 0 << 1 << 1 << true;
}

void TestKeysAndNames::outputKeys()
{
    QFETCH(QString, station);
    QFETCH(int, inputs);
    QFETCH(QString, keys);
    QFETCH(int, word);
    QFETCH(int, refusals);
    QFETCH(int, clicks);
    QFETCH(bool, besideMain);
    MainFixture fx;
    activate(fx);
    if (!station.isEmpty())
        fx.click(station);
    fx.port.raiseInputs(inputs);
    fx.port.written.clear();
    fx.services.sounds.played.clear();
    QWidget beside;
    if (besideMain) {
        mw::shareOutputKeys(*fx.main, &beside);
        beside.show();
        beside.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&beside));
    }
    type(besideMain ? &beside : fx.main.get(), keys);
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
        QCOMPARE(out->role(), QAccessible::CheckBox);
        QCOMPARE(in->role(), QAccessible::CheckBox);
        QCOMPARE(out->text(QAccessible::Name), m.CMD_SetReset[i]->Caption());
        QCOMPARE(in->text(QAccessible::Name), m.Label_Ingang[i]->Caption());
        const bool outOn = i == 0 && firstOn;
        QCOMPARE(bool(out->state().checked), outOn);
        QCOMPARE(bool(in->state().checked), bool((0x06 >> i) & 1));
    }
}

void TestKeysAndNames::tabFollowsTheLayout()
{
    MainFixture fx;
    const Main& m = *fx.main;
    QStringList order;
    QWidget* w = m.CMD_SetReset[0];
    for (int guard = 0; guard < 200 && order.size() < 23; ++guard, w = w->nextInFocusChain())
        if (qobject_cast<QAbstractButton*>(w))
            order.append(w->objectName());
    QStringList expected;
    for (int i = 0; i < 8; ++i)
        expected << QStringLiteral("CMD_SetReset(%1)").arg(i);
    expected << QStringLiteral("CMD_StapelMagazijn CMD_Transportband CMD_Stationhandling "
                               "CMD_TransHandling CMD_Interfacing CMD_Filmpje CMD_Stappenplan "
                               "CMD_VirtueleOpstelling CMD_Verder CMD_Terug CMD_Help "
                               "CMD_Afsluiten CMD_Verbinding Command1 CMD_ResetAlles")
                    .split(QLatin1Char(' '));
    QCOMPARE(order, expected);
}

void TestKeysAndNames::tabWalksEveryWindow_data()
{
    QTest::addColumn<QString>("window");
    for (const char* w : {"main", "plan", "plan with steps", "plan with a lesson", "station",
                          "klas", "beschrijving", "about the simulated interface"})
        QTest::newRow(w) << QString::fromLatin1(w);
}

void TestKeysAndNames::tabWalksEveryWindow()
{
    QFETCH(QString, window);
    MainFixture fx;
    testing::RecordingPlanHost host;
    testing::PlanFilesScope files;
    iface::SimulatedInterface port;
    klas::MqttClient::Options nobody;
    nobody.host = QStringLiteral("127.0.0.1");
    nobody.port = 1;
    klas::MqttClient client(nobody);
    std::unique_ptr<QWidget> owned;
    if (window.startsWith(QLatin1String("plan"))) {
        auto* planWindow = new plan::StepPlanWindow(host);
        owned.reset(planWindow);
        plan::Plan p;
        p.steps.resize(window.endsWith(QLatin1String("steps")) ? 3 : 0);
        if (!p.steps.isEmpty())
            p.steps[0].wait.kind = plan::WaitKind::Input; // with its spin box
        planWindow->setPlan(p);
        if (window.endsWith(QLatin1String("lesson"))) {
            planWindow->show();
            const QDir lessons(testing::lessonFolder());
            const QString first = lessons.entryList({QStringLiteral("*.json")}).value(0);
            auto* pane = planWindow->findChild<plan::LessonPane*>();
            QVERIFY(pane->openLesson(lessons.filePath(first)));
            QVERIFY(pane->check()); // its table gets rows
        }
    } else if (window == QLatin1String("station")) {
        owned =
            std::make_unique<virt::VirtualStationWindow>(port.stationRunner(), port.stationLink());
    } else if (window == QLatin1String("klas")) {
        owned = std::make_unique<klas::Klasoverzicht>(&client, QStringLiteral("k"),
                                                      QStringList{QStringLiteral("pc01")});
    } else if (window == QLatin1String("beschrijving")) {
        owned = std::make_unique<Beschrijving>(fx.main.get(), fx.main->stationState(),
                                               std::make_shared<platform::Ending>());
    } else if (window.startsWith(QLatin1String("about"))) {
        owned.reset(iface::makeSimulatedAbout({}, [] {}));
        owned->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    QWidget* shown = owned ? owned.get() : fx.main.get();
    shown->show();
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown));
    if (!QApplication::focusWidget() || QApplication::focusWidget()->window() != shown)
        QTest::keyClick(shown, Qt::Key_Tab);
    QVERIFY2(QApplication::focusWidget()->window() == shown, "Tab reaches nothing");

    const QSet<QWidget*> stops = tabStops(shown);
    QList<QWidget*> forward, backward;
    walkTabs(shown, Qt::Key_Tab, int(stops.size()) + 2, forward);
    walkTabs(shown, Qt::Key_Backtab, int(stops.size()) + 2, backward);
    for (QWidget* w : stops)
        QVERIFY2(forward.contains(w), qPrintable("Tab never reaches " + w->objectName()));
    // Shift+Tab walks the same way back.
    std::reverse(backward.begin() + 1, backward.end());
    QCOMPARE(backward, forward);
}

namespace
{

void kind(const char* tag, const char* window, const char* setup, const char* control,
          QAccessible::Role role, const char* name, const char* description = "",
          const char* value = "", int checked = -1, int focusable = -1)
{
    QTest::newRow(tag) << QString::fromUtf8(window) << QString::fromUtf8(setup)
                       << QString::fromUtf8(control) << role << QString::fromUtf8(name)
                       << QString::fromUtf8(description) << QString::fromUtf8(value) << checked
                       << focusable;
}

} // namespace

void TestKeysAndNames::controlKinds_data()
{
    QTest::addColumn<QString>("window"); // main, plan or station
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("control"); // objectName or shown text
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description"); // contained; empty: not checked
    QTest::addColumn<QString>("value");       // empty: not checked
    QTest::addColumn<int>("checked");         // -1: not checked
    QTest::addColumn<int>("focusable");       // -1: not checked

    // Window, setup, control, role, name, description, value, checked, focusable.
    using R = QAccessible::Role;
    kind("main window", "main", "", "Main", R::Window, "Automatiseren voor het VMBO");
    kind("output button with its key", "main", "", "CMD_SetReset(0)", R::PushButton, "Uitgang 1",
         "(toets 1)", "", -1, 1);
    kind("output lamp lit", "main", "key3", "Shape_Lampje(2)", R::CheckBox, "Uitgang 3", "", "", 1,
         0);
    kind("input lamp lit", "main", "inputs2", "Shape_LampjeIn(2)", R::CheckBox, "Ingang 2", "", "",
         1, 0);
    kind("station in view reads checked", "main", "band", "CMD_Transportband", R::PushButton,
         "Transportband", "", "", 1, 1);
    kind("station no longer in view", "main", "band", "CMD_Interfacing", R::PushButton,
         "Easyport Mini", "", "", 0, 1);
    kind("Zoek en verbind", "main", "", "CMD_Verbinding", R::PushButton, "Zoek en verbind",
         "Maak een verbinding met de EasyPort", "", -1, 1);
    kind("Verbreek says what it does", "main", "connect", "CMD_Verbinding", R::PushButton,
         "Verbreek", "Verbreek de verbinding met de EasyPort", "", -1, 1);
    kind("Zoek en verbind again after Verbreek", "main", "connect connect", "CMD_Verbinding",
         R::PushButton, "Zoek en verbind", "Maak een verbinding met de EasyPort", "", -1, 1);

    kind("plan window", "plan", "", "Stappenplan", R::Window, "Stappenplan");
    kind("output choice named by its output", "plan", "", "Zet3", R::ComboBox,
         "Grijpercilinder (uit)", "", "blijft", -1, 1);
    kind("output choice after a change of station", "plan", "conveyor", "Zet1", R::ComboBox,
         "Magneetspoel stopper", "", "blijft", -1, 1);
    kind("input on or off", "plan", "", "IngangAan", R::ComboBox, "Ingang aan of uit", "", "aan",
         -1, 1);
    kind("wait time", "plan", "", "Seconden", R::SpinBox, "Tijd (seconden)", "", "", -1, 1);

    kind("station window", "station", "", "Virtuele_Opstelling", R::Window, "Virtuele opstelling");
    kind("sensor at rest", "station", "conveyor", "Inductieve sensor", R::PushButton,
         "Ingang 1 Inductieve sensor", "uit. Indrukken forceert", "uit", -1, 1);
    kind("sensor forced on", "station", "conveyor force0", "Inductieve sensor", R::PushButton,
         "Ingang 1 Inductieve sensor", "aan, kortsluiting.", "aan, kortsluiting", -1, 1);
    kind("output lamp in the station window", "station", "conveyor", "Uitgang 2 Gelijkstroom motor",
         R::CheckBox, "Uitgang 2 Gelijkstroom motor", "", "uit", 0, 0);
    kind("switch of the interface view", "station", "", "Ingang 5", R::PushButton, "Ingang 5",
         "uit. Indrukken zet de schakelaar om", "", -1, 1);
    kind("metal box", "station", "conveyor", "Metalen bakje", R::PushButton, "Metalen bakje",
         "metalen bakje op de band", "", -1, 1);
    kind("refill", "station", "stack", "Magazijn vullen", R::PushButton, "Magazijn vullen",
         "Vult het magazijn", "", -1, 1);
    kind("pull the cable", "station", "", "KnopKabelLos", R::PushButton, "Kabel los", "", "", -1,
         1);
}

void TestKeysAndNames::controlKinds()
{
    QFETCH(QString, window);
    QFETCH(QString, setup);
    QFETCH(QString, control);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, value);
    QFETCH(int, checked);
    QFETCH(int, focusable);

    MainFixture fx;
    testing::RecordingPlanHost host;
    plan::StepPlanWindow planWindow(host);
    iface::SimulatedInterface port;
    std::unique_ptr<virt::VirtualStationWindow> station;
    QWidget* shown = fx.main.get();
    if (window == QLatin1String("plan")) {
        planWindow.show();
        shown = &planWindow;
    } else if (window == QLatin1String("station")) {
        station =
            std::make_unique<virt::VirtualStationWindow>(port.stationRunner(), port.stationLink());
        shown = station.get();
    }
    for (const QString& step : setup.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("key3")) {
            activate(fx);
            type(fx.main.get(), QStringLiteral("3"));
        } else if (step == QLatin1String("inputs2")) {
            fx.port.raiseInputs(0x02);
        } else if (step == QLatin1String("band")) {
            fx.click(QStringLiteral("CMD_Transportband"));
        } else if (step == QLatin1String("connect")) {
            const QString before = fx.main->CMD_Verbinding->Caption();
            fx.click(QStringLiteral("CMD_Verbinding"));
            TRY_VERIFY(fx.main->CMD_Verbinding->Caption() != before);
        } else if (step == QLatin1String("conveyor")) {
            port.stationRunner()->setStation(station::Station::Transportband);
            if (auto* box = planWindow.findChild<QComboBox*>(QStringLiteral("Station")))
                box->setCurrentIndex(box->findText(QStringLiteral("Transportband")));
        } else if (step == QLatin1String("stack")) {
            port.stationRunner()->setStation(station::Station::StapelMagazijn);
        } else if (step == QLatin1String("force0")) {
            port.SearchAndConnect();
            port.stationRunner()->setInputForce(0, sim::Force::On);
        }
    }
    QObject* object = findControl(*shown, control);
    QVERIFY2(object, qPrintable(control));
    QAccessibleInterface* a = accessible(object);
    QVERIFY(a);
    QCOMPARE(a->role(), role);
    QCOMPARE(a->text(QAccessible::Name), name);
    if (!description.isEmpty())
        QVERIFY2(a->text(QAccessible::Description).contains(description),
                 qPrintable(a->text(QAccessible::Description)));
    if (!value.isEmpty())
        QCOMPARE(a->text(QAccessible::Value), value);
    // AT-SPI carries only numbers as values: a drop-down's choice reaches a
    // screen reader as its text.
    if (role == QAccessible::ComboBox) {
        QAccessibleTextInterface* text = a->textInterface();
        QVERIFY(text);
        QCOMPARE(text->text(0, text->characterCount()), value);
    }
    if (checked >= 0) {
        QVERIFY(a->state().checkable);
        // A lamp only shows; a button is pressed.
        QCOMPARE(bool(a->state().readOnly), role == QAccessible::CheckBox);
        QCOMPARE(bool(a->state().checked), bool(checked));
    }
    if (focusable >= 0)
        QCOMPARE(bool(a->state().focusable), bool(focusable));
}

void TestKeysAndNames::readingOrderFollowsTheLayout_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QStringList>("order");

    QStringList outputs, inputs;
    for (int i = 0; i < 8; ++i) {
        outputs << QStringLiteral("CMD_SetReset(%1)").arg(i)
                << QStringLiteral("Shape_Lampje(%1)").arg(i);
        inputs << QStringLiteral("PictureLabelIngangen(%1)").arg(i)
               << QStringLiteral("Shape_LampjeIn(%1)").arg(i + 1);
    }
    QTest::newRow("outputs: each button, then its lamp") << "Frame8" << outputs;
    QTest::newRow("inputs: each name, then its lamp") << "Frame6" << inputs;
    // The coloured backgrounds behind the frames are left out.
    QTest::newRow("the window: rows of frames") << "FrameMain"
                                                << QStringList{"FrameModule",
                                                               "FrameIngangen",
                                                               "FrameUitgangen",
                                                               "Frame_Dravik_Buttons",
                                                               "FrameSensorActuator",
                                                               "FrameInstructie",
                                                               "FrameCommand",
                                                               "FrameEasyPort",
                                                               "Frame7",
                                                               "Frame5"};
    // The station's outputs first; the rows of the unused outputs are hidden.
    QTest::newRow("plan editor: shown rows in the order of the grid")
        << "plan:FrameStap"
        << QStringList{"Zet de uitgangen:", "Verplaatscilinder (uit)", "Zet1",
                       "Verplaatscilinder (in)", "Zet2"};
    QTest::newRow("commands: row by row")
        << "FrameCommand" << QStringList{"CMD_Verder", "CMD_Help", "CMD_Terug", "CMD_Afsluiten"};
}

void TestKeysAndNames::readingOrderFollowsTheLayout()
{
    QFETCH(QString, container);
    QFETCH(QStringList, order);
    MainFixture fx;
    fx.main->show();
    testing::RecordingPlanHost host;
    plan::StepPlanWindow planWindow(host);
    QWidget* frame = fx.control<QWidget>(container);
    if (container.startsWith(QLatin1String("plan:"))) {
        planWindow.show();
        frame = planWindow.findChild<QWidget*>(container.mid(5));
    }
    QVERIFY(frame);
    QAccessibleInterface* a = accessible(frame);
    QStringList read;
    bool hiddenSeen = false;
    for (int i = 0; i < a->childCount(); ++i) {
        QAccessibleInterface* c = a->child(i);
        const QString id = c->object()->objectName();
        read << (id.isEmpty() ? c->text(QAccessible::Name) : id);
        // The tree holds together both ways.
        QCOMPARE(a->indexOfChild(c), i);
        QCOMPARE(c->parent()->object(), frame);
        // Hidden controls, wherever they were laid out, come last.
        const bool hidden = static_cast<QWidget*>(c->object())->isHidden();
        QVERIFY2(hidden || !hiddenSeen, qPrintable(read.last()));
        hiddenSeen = hiddenSeen || hidden;
    }
    QCOMPARE(read.mid(0, order.size()), order);
}

QTEST_MAIN(TestKeysAndNames)
#include "tst_keys_and_names.moc"
