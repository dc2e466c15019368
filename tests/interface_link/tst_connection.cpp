// Connecting, disconnecting, the interface view and input events, against
// a recording interface control.
#include "component_figure/component_panel.h"
#include "support/test_support.h"

#include <QtTest>

using testing::MainFixture;

class TestConnection : public QObject
{
    Q_OBJECT

  private slots:
    void connectByModel_data();
    void connectByModel();
    void notFound();
    void disconnectKeepsOutputs();
    void clickDuringSearchIsIgnored();
    void aboutBox();
    void setEasyPortBeforeConnect();
    void inputEvents_data();
    void inputEvents();
    void inputsSurviveDisconnectAndStationChange();
    void hiddenFaults_data();
    void hiddenFaults();
};

void TestConnection::connectByModel_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<bool>("interfaceView");
    QTest::newRow("Mini") << 5 << "EasyPort Mini"
                          << "Easyport mini.bmp" << true;
    QTest::newRow("D16") << 1 << "EasyPort D16"
                         << "EasyPort D16.bmp" << false;
    QTest::newRow("D8A") << 2 << "EasyPort D8A"
                         << "EasyPort D8A.bmp" << false;
    QTest::newRow("unknown model") << 9 << "Easyport Mini"
                                   << "" << false;
}

void TestConnection::connectByModel()
{
    QFETCH(int, model);
    QFETCH(QString, caption);
    QFETCH(QString, picture);
    QFETCH(bool, interfaceView);
    MainFixture fx;
    fx.port.moduleNumber = qint16(model);
    fx.port.comPort = 7;
    fx.click("CMD_Transportband");
    fx.click("CMD_SetReset(1)");
    const QString pictureBefore = fx.prop("Image_Module_Holder", "Picture").toString();
    fx.port.calls.clear();
    fx.port.written.clear();
    fx.services.sounds.played.clear();
    fx.click("CMD_Verbinding");
    QCOMPARE(fx.port.calls.mid(0, 3),
             QStringList({"SearchAndConnect", "GetComPort(0)", "GetModuleNumber(0)"}));
    QCOMPARE(fx.main->Verbonden(), -1);
    QCOMPARE(fx.main->ReageerNiet(), 0);
    QCOMPARE(fx.main->ComPoort(), 7);
    QCOMPARE(fx.main->ModuleNummer(), model);
    QCOMPARE(fx.prop("Label_Compoort", "Caption").toString(), QStringLiteral("7"));
    QCOMPARE(fx.prop("Label_Modulenummer", "Caption").toString(), QString::number(model));
    QCOMPARE(fx.prop("CMD_Verbinding", "Caption").toString(), QStringLiteral("Verbreek"));
    QCOMPARE(fx.prop("Label_Verbinding", "Caption").toString(), QStringLiteral("Verbonden"));
    QCOMPARE(fx.prop("Label_Verbinding", "BackColor").toUInt(), 8454016u);
    QCOMPARE(fx.prop("Label_VerbindingKader", "BackColor").toUInt(), 8454016u);
    QCOMPARE(fx.prop("Label_Verbinding", "ForeColor").toUInt(), 0u);
    QCOMPARE(fx.services.sounds.names().first(), QStringLiteral("Verbonden.wav"));
    QCOMPARE(fx.prop("CMD_Interfacing", "Caption").toString(), caption);
    const QString shown = fx.prop("Image_Module_Holder", "Picture").toString();
    if (picture.isEmpty())
        QCOMPARE(shown, pictureBefore);
    else if (!shown.isEmpty()) // the file exists when the build made the pictures
        QCOMPARE(QFileInfo(shown).fileName().toLower(), picture.toLower());
    QCOMPARE(fx.prop("CMD_TransHandling", "Enabled").toBool(), !interfaceView);
    if (interfaceView) {
        QCOMPARE(fx.prop("FrameModule", "Caption").toString(),
                 QStringLiteral("Interfacing Easyport Mini"));
        QCOMPARE(fx.main->DecimaalUit(), 0);
        QCOMPARE(fx.prop("CMD_SetReset(6)", "Caption").toString(), QStringLiteral("Uitgang 7"));
        QCOMPARE(fx.prop("CMD_SetReset(6)", "Enabled").toBool(), true);
        QCOMPARE(fx.prop("CMD_Interfacing", "BackColor").toUInt(), 8454016u);
    } else {
        QCOMPARE(fx.prop("FrameModule", "Caption").toString(), QStringLiteral("Transportband"));
    }
    // Every model starts from all outputs off, on the screen and at the
    // device: the output switched before the connect is cleared, not sent.
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QCOMPARE(fx.prop("Shape_Lampje(1)", "FillColor").toUInt(), mw::KleurLampUit);
    QVERIFY(!fx.port.written.isEmpty());
    for (const qint16 w : fx.port.written)
        QCOMPARE(w, qint16(0));
}

void TestConnection::notFound()
{
    MainFixture fx;
    fx.port.searchResult = 0;
    QString captionDuringBox;
    fx.services.messages.onShow = [&](const platform::MessageRequest&) {
        captionDuringBox = fx.prop("CMD_Verbinding", "Caption").toString();
    };
    fx.click("CMD_Verbinding");
    QCOMPARE(fx.port.calls, QStringList{"SearchAndConnect"});
    QCOMPARE(fx.services.messages.shown.size(), 1);
    const platform::MessageRequest& box = fx.services.messages.shown.first();
    QCOMPARE(box.text, QStringLiteral("De interface is niet gevonden.\r---------------------\r\r"
                                      "Onder Windows 7 & 8 moet de compabititeits modus\r"
                                      "ingesteld worden op WinXP sp3."));
    QVERIFY(box.title.isEmpty());
    QCOMPARE(int(box.icon), int(platform::MessageIcon::None));
    QCOMPARE(captionDuringBox, QStringLiteral("Zoeken..."));
    QCOMPARE(fx.prop("CMD_Verbinding", "Caption").toString(), QStringLiteral("Zoek en verbind"));
    QCOMPARE(fx.main->Verbonden(), 0);
    QCOMPARE(fx.main->ReageerNiet(), 0);
    QVERIFY(fx.services.sounds.played.isEmpty());
    // A second try may follow.
    fx.port.searchResult = 1;
    fx.click("CMD_Verbinding");
    QCOMPARE(fx.main->Verbonden(), -1);
}

void TestConnection::disconnectKeepsOutputs()
{
    MainFixture fx;
    fx.click("CMD_Verbinding");
    fx.click("CMD_SetReset(3)");
    fx.port.calls.clear();
    fx.services.sounds.played.clear();
    fx.click("CMD_Verbinding");
    QCOMPARE(fx.port.calls, QStringList{"Disconnect"});
    QCOMPARE(fx.services.sounds.names(), QStringList{"Verbroken.wav"});
    QCOMPARE(fx.main->Verbonden(), 0);
    QCOMPARE(fx.main->DecimaalUit(), 8);
    QCOMPARE(fx.prop("Shape_Lampje(3)", "FillColor").toUInt(), 65535u);
    QCOMPARE(fx.prop("CMD_TransHandling", "Enabled").toBool(), true);
    QCOMPARE(fx.prop("Label_Compoort", "Caption").toString(), QStringLiteral("-"));
    QCOMPARE(fx.prop("Label_Modulenummer", "Caption").toString(), QStringLiteral("-"));
    QCOMPARE(fx.prop("Label_Verbinding", "Caption").toString(), QStringLiteral("Niet verbonden"));
    QCOMPARE(fx.prop("Label_Verbinding", "BackColor").toUInt(), 8421504u);
    QCOMPARE(fx.prop("Label_Verbinding", "ForeColor").toUInt(), 16777215u);
    QCOMPARE(fx.prop("CMD_Verbinding", "Caption").toString(), QStringLiteral("Zoek en verbind"));
    QCOMPARE(fx.main->ModuleNummer(), 5); // kept after a disconnect
}

void TestConnection::clickDuringSearchIsIgnored()
{
    MainFixture fx;
    int reageerDuringSearch = 0;
    fx.port.duringSearch = [&] {
        reageerDuringSearch = fx.main->ReageerNiet();
        fx.click("CMD_Verbinding"); // a pupil clicking again while it searches
    };
    fx.click("CMD_Verbinding");
    QCOMPARE(reageerDuringSearch, -1);
    QCOMPARE(fx.port.calls.count("SearchAndConnect"), 1);
    QVERIFY(!fx.port.calls.contains("Disconnect"));
    QCOMPARE(fx.main->Verbonden(), -1);
    QCOMPARE(fx.main->ReageerNiet(), 0);
}

void TestConnection::aboutBox()
{
    MainFixture fx;
    fx.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(fx.main.get()));
    fx.click("Command1");
    QCOMPARE(fx.port.aboutBoxes, 1);
    auto* frame = fx.control<QWidget>("FrameEasyPort");
    QTest::mouseClick(frame, Qt::RightButton, {}, QPoint(5, frame->height() - 5));
    QCOMPARE(fx.port.aboutBoxes, 2);
    // Releases on the controls inside the frame do not open it.
    QTest::mouseClick(fx.control<QWidget>("Label_Verbinding"), Qt::LeftButton);
    QTest::mouseClick(fx.control<QWidget>("Label_VerbindingKader"), Qt::LeftButton, {},
                      QPoint(2, 2));
    QCOMPARE(fx.port.aboutBoxes, 2);
}

void TestConnection::setEasyPortBeforeConnect()
{
    MainFixture fx;
    fx.click("CMD_Stationhandling");
    fx.click("CMD_SetReset(4)");
    fx.click("CMD_Interfacing");
    QCOMPARE(fx.main->DecimaalUit(), 0);
    QCOMPARE(fx.prop("CMD_Interfacing", "Caption").toString(), QStringLiteral("Easyport Mini"));
    QCOMPARE(fx.prop("CMD_Filmpje", "Visible").toBool(), false);
    QCOMPARE(fx.prop("FrameIngangen", "Caption").toString(), QStringLiteral("Ingangen"));
    QCOMPARE(fx.prop("FrameUitgangen", "Caption").toString(), QStringLiteral("Uitgangen"));
    QCOMPARE(fx.prop("FrameSensorActuator", "Caption").toString(),
             QStringLiteral("Sensor / Actuator"));
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(fx.prop(QStringLiteral("CMD_SetReset(%1)").arg(i), "BackColor").toUInt(),
                 16765650u);
        QCOMPARE(fx.prop(QStringLiteral("PictureLabelIngangen(%1)").arg(i), "BackColor").toUInt(),
                 13828050u);
        QCOMPARE(fx.prop(QStringLiteral("Label_Ingang(%1)").arg(i), "Enabled").toBool(), true);
        QCOMPARE(fx.prop(QStringLiteral("Label_Ingang(%1)").arg(i), "Caption").toString(),
                 QStringLiteral("Ingang %1").arg(i + 1));
    }
    QCOMPARE(fx.main->componentPanel().shownPoint(), -1);
}

void TestConnection::inputEvents_data()
{
    QTest::addColumn<qint32>("word");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("lit");
    QTest::newRow("nothing") << 0 << 0 << 0;
    QTest::newRow("everything") << 255 << 255 << 255;
    QTest::newRow("inputs 0 and 3") << 9 << 9 << 9;
    QTest::newRow("bits above 7 ignored by the lamps") << 0x1F01 << 0x1F01 << 1;
    QTest::newRow("beyond 16 bits keeps the low 16") << 0x12345 << 0x2345 << 0x45;
    QTest::newRow("negative") << -1 << -1 << 255;
    QTest::newRow("largest") << std::numeric_limits<qint32>::max() << -1 << 255;
    QTest::newRow("smallest") << std::numeric_limits<qint32>::min() << 0 << 0;
}

void TestConnection::inputEvents()
{
    QFETCH(qint32, word);
    QFETCH(int, stored);
    QFETCH(int, lit);
    MainFixture fx;
    fx.port.raiseInputs(0xAA); // every lamp must be repainted, changed or not
    fx.services.sounds.played.clear();
    fx.port.raiseInputs(word);
    QCOMPARE(fx.main->DecimaalIn(), stored);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(fx.prop(QStringLiteral("Shape_LampjeIn(%1)").arg(i + 1), "FillColor").toUInt(),
                 (lit >> i) & 1 ? 65535u : 8421504u);
    QCOMPARE(fx.services.sounds.names(), QStringList{"Klik 02.wav"});
    fx.port.raiseInputs(word); // unchanged: still repaints and clicks
    QCOMPARE(fx.services.sounds.played.size(), 2);
}

void TestConnection::inputsSurviveDisconnectAndStationChange()
{
    MainFixture fx;
    fx.click("CMD_Verbinding");
    fx.port.raiseInputs(6);
    fx.click("CMD_Verbinding");
    fx.click("CMD_Transportband");
    QCOMPARE(fx.main->DecimaalIn(), 6);
    QCOMPARE(fx.prop("Shape_LampjeIn(2)", "FillColor").toUInt(), 65535u);
    QCOMPARE(fx.prop("Shape_LampjeIn(3)", "FillColor").toUInt(), 65535u);
}

// The teacher's hidden faults change the inputs as the program shows and
// uses them; the interlocks of a real station still read the real sensors,
// those of a simulated one the faulty inputs, as a real fault would.
void TestConnection::hiddenFaults_data()
{
    QTest::addColumn<bool>("real");
    QTest::addColumn<int>("sensors");
    QTest::addColumn<int>("open");
    QTest::addColumn<int>("shorted");
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("refused"); // output 1 of the stack magazine with input 1 on

    QTest::newRow("no fault") << false << 0x01 << 0 << 0 << 0x01 << true;
    QTest::newRow("open circuit, simulated") << false << 0x01 << 0x01 << 0 << 0x00 << false;
    QTest::newRow("open circuit, real sensor guards") << true << 0x01 << 0x01 << 0 << 0x00 << true;
    QTest::newRow("short circuit, simulated") << false << 0x00 << 0 << 0x01 << 0x01 << true;
    QTest::newRow("short circuit, real sensor rules") << true << 0x00 << 0 << 0x01 << 0x01 << false;
    QTest::newRow("last input, both masks") << false << 0x80 << 0x80 << 0x80 << 0x00 << false;
}

void TestConnection::hiddenFaults()
{
    QFETCH(bool, real);
    QFETCH(int, sensors);
    QFETCH(int, open);
    QFETCH(int, shorted);
    QFETCH(int, shown);
    QFETCH(bool, refused);
    MainFixture fx;
    fx.port.moduleNumber = 1;
    fx.port.realSensors = real;
    fx.click("CMD_StapelMagazijn");
    fx.click("CMD_Verbinding");
    fx.port.raiseInputs(sensors);
    fx.services.sounds.played.clear();
    fx.main->setHiddenFaults(open, shorted);
    // A wire that breaks shows at once, as any input change does.
    QCOMPARE(fx.main->DecimaalIn(), shown);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(fx.prop(QStringLiteral("Shape_LampjeIn(%1)").arg(i + 1), "FillColor").toUInt(),
                 (shown >> i) & 1 ? 65535u : 8421504u);
    QCOMPARE(fx.services.sounds.played.size(), (open | shorted) ? 1 : 0);
    // Later reports from the device carry the fault too.
    fx.port.raiseInputs(sensors);
    QCOMPARE(fx.main->DecimaalIn(), shown);

    fx.services.messages.shown.clear();
    fx.click("CMD_SetReset(0)");
    QCOMPARE(fx.main->DecimaalUit() & 1, refused ? 0 : 1);
    QCOMPARE(fx.services.messages.shown.size(), refused ? 1 : 0);

    // Lifted: the sensors as they are.
    fx.main->setHiddenFaults(0, 0);
    QCOMPARE(fx.main->DecimaalIn(), sensors);
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
