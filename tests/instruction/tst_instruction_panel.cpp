#include "component_figure/component_panel.h"
#include "support/manual_time.h"
#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

using testing::MainFixture;

namespace
{

constexpr uint kLichtgroen = 8454016u;
constexpr uint kWit = 16777215u;
constexpr uint kRoodPaneel = 8421631u;
constexpr uint kKop = 12811264u;
constexpr uint kTekst = 4194304u;
constexpr uint kRood = 255u;

// One expected line: how it is placed ('=' absolute, '+' extra space below
// the previous line, 'n' the next line), size, colour, indent, text.
struct Line {
    char place;
    double twips;
    double size;
    uint color;
    int indent;
    const char* text;
};

using Lines = QVector<Line>;

Lines titlePage(const char* heading, int indent)
{
    return {{'=', 150, 18, kKop, indent, heading},
            {'+', 600, 12, kTekst, 25, "Automatiseren voor het VMBO."}};
}

Lines closingPage(double at, const char* heading)
{
    return {{'=', at, 18, kKop, 5, heading}, {'+', 600, 12, kRood, 35, "Lees verder in je boek."}};
}

// Line height and column width of the panel's font at a size.
struct Metrics {
    explicit Metrics(const ctl::PictureBox* panel) : box(nullptr)
    {
        box.setFontName(panel->FontName());
    }
    double height(double size)
    {
        box.setFontSize(size);
        return box.TextHeight(QStringLiteral("Ag"));
    }
    double column(double size)
    {
        box.setFontSize(size);
        return box.columnWidth();
    }
    double width(double size, const QString& text)
    {
        box.setFontSize(size);
        return box.TextWidth(text);
    }
    ctl::PictureBox box;
};

// Records where the panel's surface was each time it was painted, and how
// often it moved.
class SurfaceWatch : public QObject
{
  public:
    explicit SurfaceWatch(QWidget* w) : m_w(w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Move)
            ++moves;
        if (e->type() == QEvent::Paint)
            paintedAt.append(m_w->y());
        return false;
    }
    int moves = 0;
    QVector<int> paintedAt;

  private:
    QWidget* m_w;
};

void writeIni(const MainFixture& f, const QByteArray& text)
{
    QFile ini(QDir(f.services.files.programFolder()).filePath(QStringLiteral("Automatiseren.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(text);
}

} // namespace

Q_DECLARE_METATYPE(Lines)

class TstInstructionPanel : public QObject
{
    Q_OBJECT

  private slots:
    void drawnText_data();
    void drawnText();
    void coloursDoNotChoose();
    void redrawKeepsPage();
    void pageTurns_data();
    void pageTurns();
    void flashEndsAfterASecond();
    void flashRestarts();
    void slideShowsEveryPixelRow_data();
    void slideShowsEveryPixelRow();
    void adnPicture_data();
    void adnPicture();
    void adnPictureMissing();
    void help_data();
    void help();
    void video_data();
    void video();
};

void TstInstructionPanel::drawnText_data()
{
    QTest::addColumn<QString>("button"); // empty: the interface button's colour taken away
    QTest::addColumn<Lines>("lines");

    QTest::newRow("stapel magazijn")
        << "CMD_StapelMagazijn"
        << titlePage("Stapel magazijn.", 5) +
               Lines{{'=', 1905, 12, kTekst, 0, "Op het stapelmagazijn zitten 2 verschillende"},
                     {'n', 0, 12, kTekst, 0, "cilinders. Dat zijn een"},
                     {'+', 120, 12, kTekst, 0, "- enkelwerkende cilinder en een"},
                     {'n', 0, 12, kTekst, 0, "- dubbelwerkende cilinder."},
                     {'=', 3720, 12, kTekst, 0, "Deze cilinders worden door 2 verschillende"},
                     {'n', 0, 12, kTekst, 0, "ventielen gestuurd. Dat zijn een..."},
                     {'+', 120, 12, kTekst, 0, "- monostabiel 4/2 ventiel en een"},
                     {'n', 0, 12, kTekst, 0, "- bistabiel 4/2 ventiel."}} +
               closingPage(5535, "Stapelmagazijn.");
    QTest::newRow("transportband")
        << "CMD_Transportband"
        << titlePage("Transportband.", 5) +
               Lines{{'=', 1905, 12, kTekst, 0, "De transportband werkt zonder perslucht."},
                     {'+', 120, 12, kTekst, 0, "Er kunnen onderdelen mee verplaatst en gesorteerd"},
                     {'n', 0, 12, kTekst, 0, "worden."},
                     {'n', 0, 12, kTekst, 0, "Verchroomde bakjes worden herkend."}} +
               closingPage(3720, "Transportband.");
    QTest::newRow("station handling")
        << "CMD_Stationhandling"
        << titlePage("Station handling.", 5) +
               Lines{
                   {'=', 1905, 12, kTekst, 0,
                    "Op het station handling zitten 2 bijzondere cilinders."},
                   {'+', 120, 12, kTekst, 0, "Van gewone cilinders kan de zuigerstang draaien."},
                   {'+', 120, 12, kTekst, 0, "De verticale cilinder zou dan zomaar scheef kunnen"},
                   {'n', 0, 12, kTekst, 0, "komen te staan."},
                   {'=', 3720, 12, kTekst, 0,
                    "Je ziet meteen dat ze niet rond maar vierkant zijn."},
                   {'+', 120, 12, kTekst, 0,
                    "Wanneer een cilinder uitgeschoven is kun je zien dat"},
                   {'n', 0, 12, kTekst, 0, "er 2 geleidestangen gemonteerd zijn."},
                   {'+', 120, 12, kTekst, 0,
                    "Die voorkomen dus dat de zuigerstang kan verdraaien."}} +
               closingPage(5535, "Station handling.");
    QTest::newRow("samen: title page only")
        << "CMD_TransHandling" << titlePage("Transportband en station handling.", 2);
    const Lines interfaceText =
        Lines{{'=', 150, 18, kKop, 5, "Dravik station besturing."}} +
        Lines{{'=', 1905, 12, kTekst, 0, "Hierboven staat de Easyport mini."},
              {'+', 120, 12, kTekst, 0, "Het is een apparaat dat elektrische signalen van en"},
              {'n', 0, 12, kTekst, 0, "naar de computer kan sturen."},
              {'+', 120, 12, kTekst, 0, "We noemen dat een INTERFACE."},
              {'=', 3720, 12, kTekst, 0, "De interface zorgt er voor dat je met dit programma"},
              {'n', 0, 12, kTekst, 0, "de verschillende stations kunt aansturen."},
              {'+', 120, 12, kTekst, 0, "zo kun je op een eenvoudige manier ontdekken"},
              {'n', 0, 12, kTekst, 0, "hoe de Dravik stations werken."}} +
        closingPage(5535, "Station handling.");
    QTest::newRow("interface") << "CMD_Interfacing" << interfaceText;
    // A button's colour only shows the choice: taking the green away from
    // outside leaves the start state's text.
    QTest::newRow("colour is not the choice") << "" << interfaceText;
}

void TstInstructionPanel::drawnText()
{
    QFETCH(QString, button);
    QFETCH(Lines, lines);
    MainFixture f;
    auto* panel = f.control<ctl::PictureBox>(QStringLiteral("PictureTekst"));
    if (button.isEmpty()) {
        f.control<ctl::CommandButton>(QStringLiteral("CMD_Interfacing"))
            ->setBackColor(mw::KleurNormaal);
        // A scaled font size must not reach the text.
        panel->setFontSize(30);
        f.main->PlaatsTekst();
    } else if (button == QLatin1String("CMD_Interfacing")) {
        panel->setFontSize(30);
        f.main->PlaatsTekst(); // the choice at start
    } else {
        f.click(button);
    }
    Metrics metrics(panel);
    const QVector<ctl::PrintedText>& printed = panel->printed();
    QCOMPARE(printed.size(), lines.size());
    double y = 90;
    double previousSize = 12;
    for (int i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        const ctl::PrintedText& p = printed[i];
        if (l.place == '=')
            y = l.twips;
        else if (i > 0)
            y += metrics.height(previousSize) + (l.place == '+' ? l.twips : 0);
        QCOMPARE(p.text, QString::fromUtf8(l.text));
        QCOMPARE(p.fontSize, l.size);
        QCOMPARE(p.color, ctl::OleColor(l.color));
        QCOMPARE(p.y, y);
        // At its column, unless that would run past the surface's edge.
        const double width = metrics.width(l.size, p.text);
        QCOMPARE(p.x, std::min(l.indent * metrics.column(l.size), panel->Width() - width));
        QVERIFY2(p.x + width <= panel->Width(), qPrintable(p.text));
        previousSize = l.size;
    }
    QCOMPARE(panel->Top(), 0.0);
    QCOMPARE(panel->BackColor(), ctl::OleColor(kWit));
}

void TstInstructionPanel::coloursDoNotChoose()
{
    MainFixture f;
    // Two buttons painted light green from outside choose nothing.
    f.control<ctl::CommandButton>(QStringLiteral("CMD_Transportband"))->setBackColor(kLichtgroen);
    f.control<ctl::CommandButton>(QStringLiteral("CMD_StapelMagazijn"))->setBackColor(kLichtgroen);
    f.main->PlaatsTekst();
    auto* panel = f.control<ctl::PictureBox>(QStringLiteral("PictureTekst"));
    QCOMPARE(panel->printed().first().text, QStringLiteral("Dravik station besturing."));
}

void TstInstructionPanel::redrawKeepsPage()
{
    MainFixture f;
    f.click(QStringLiteral("CMD_Stationhandling"));
    f.click(QStringLiteral("CMD_Verder"));
    f.click(QStringLiteral("CMD_Verder"));
    auto* panel = f.control<ctl::PictureBox>(QStringLiteral("PictureTekst"));
    QCOMPARE(panel->Top(), -3630.0);
    f.main->PlaatsTekst();
    QCOMPARE(panel->Top(), -3630.0);
    QCOMPARE(panel->printed().size(), 12);
}

void TstInstructionPanel::pageTurns_data()
{
    QTest::addColumn<QString>("button"); // empty: the interface button's colour taken away
    QTest::addColumn<QString>("clicks"); // V = Verder, T = Terug
    QTest::addColumn<double>("top");
    QTest::addColumn<bool>("flash"); // the last click flashed

    QTest::newRow("stapel at start") << "CMD_StapelMagazijn"
                                     << "" << 0.0 << false;
    QTest::newRow("stapel back on page 1") << "CMD_StapelMagazijn"
                                           << "T" << 0.0 << true;
    QTest::newRow("stapel to page 4") << "CMD_StapelMagazijn"
                                      << "VVV" << -5445.0 << false;
    QTest::newRow("stapel past page 4") << "CMD_StapelMagazijn"
                                        << "VVVV" << -5445.0 << true;
    QTest::newRow("stapel back to page 2") << "CMD_StapelMagazijn"
                                           << "VVT" << -1815.0 << false;
    QTest::newRow("transport to page 3") << "CMD_Transportband"
                                         << "VV" << -3630.0 << false;
    QTest::newRow("transport page 3 is last") << "CMD_Transportband"
                                              << "VVV" << -3630.0 << true;
    QTest::newRow("handling to page 4") << "CMD_Stationhandling"
                                        << "VVV" << -5445.0 << false;
    QTest::newRow("handling past page 4") << "CMD_Stationhandling"
                                          << "VVVV" << -5445.0 << true;
    QTest::newRow("handling there and back") << "CMD_Stationhandling"
                                             << "VVVTTT" << 0.0 << false;
    QTest::newRow("samen: Verder does nothing") << "CMD_TransHandling"
                                                << "V" << 0.0 << false;
    QTest::newRow("samen: Terug flashes") << "CMD_TransHandling"
                                          << "T" << 0.0 << true;
    QTest::newRow("interface to page 4") << "CMD_Interfacing"
                                         << "VVV" << -5445.0 << false;
    QTest::newRow("interface past page 4") << "CMD_Interfacing"
                                           << "VVVV" << -5445.0 << true;
    QTest::newRow("colour is not the choice: Verder turns") << ""
                                                            << "V" << -1815.0 << false;
    QTest::newRow("colour is not the choice: Terug flashes") << ""
                                                             << "T" << 0.0 << true;
}

void TstInstructionPanel::pageTurns()
{
    QFETCH(QString, button);
    QFETCH(QString, clicks);
    QFETCH(double, top);
    QFETCH(bool, flash);
    MainFixture f;
    if (button.isEmpty()) {
        f.control<ctl::CommandButton>(QStringLiteral("CMD_Interfacing"))
            ->setBackColor(mw::KleurNormaal);
        f.main->PlaatsTekst();
    } else {
        f.click(button);
    }
    auto* panel = f.control<ctl::PictureBox>(QStringLiteral("PictureTekst"));
    auto* kader = f.control<ctl::PictureBox>(QStringLiteral("PictureTekstKader"));
    auto* timer = f.control<ctl::Timer>(QStringLiteral("TimerNVT"));
    const int rows = panel->printed().size();
    for (const QChar c : clicks)
        f.click(c == QLatin1Char('V') ? QStringLiteral("CMD_Verder") : QStringLiteral("CMD_Terug"));
    QCOMPARE(panel->Top(), top);
    QCOMPARE(timer->Enabled(), flash);
    const ctl::OleColor back = flash ? kRoodPaneel : kWit;
    QCOMPARE(panel->BackColor(), back);
    QCOMPARE(kader->BackColor(), back);
    // The text is there in either colour.
    QCOMPARE(panel->printed().size(), rows);
    QVERIFY(f.services.messages.shown.isEmpty());
}

void TstInstructionPanel::flashEndsAfterASecond()
{
    testing::ManualTime time; // outlives the window's timer
    MainFixture f;
    auto* timer = f.control<ctl::Timer>(QStringLiteral("TimerNVT"));
    timer->setClock(time.newClock());
    f.click(QStringLiteral("CMD_StapelMagazijn"));
    f.click(QStringLiteral("CMD_Verder"));
    f.click(QStringLiteral("CMD_Verder"));
    f.click(QStringLiteral("CMD_Verder"));
    f.click(QStringLiteral("CMD_Verder")); // beyond the last page
    auto* panel = f.control<ctl::PictureBox>(QStringLiteral("PictureTekst"));
    auto* kader = f.control<ctl::PictureBox>(QStringLiteral("PictureTekstKader"));
    QVERIFY(timer->Enabled());
    QCOMPARE(timer->Interval(), 1000);
    QCOMPARE(panel->BackColor(), ctl::OleColor(kRoodPaneel));
    time.advance(999);
    QCOMPARE(panel->BackColor(), ctl::OleColor(kRoodPaneel)); // still red
    time.advance(1);
    QCOMPARE(panel->BackColor(), ctl::OleColor(kWit));
    QCOMPARE(kader->BackColor(), ctl::OleColor(kWit));
    QVERIFY(!timer->Enabled());
    QCOMPARE(panel->Top(), -5445.0); // the page stays
    QCOMPARE(panel->printed().size(), 12);
    QCOMPARE(panel->printed().last().text, QStringLiteral("Lees verder in je boek."));
    // Once per start: no second tick turns anything red or redraws.
    time.advance(1200);
    QVERIFY(!timer->Enabled());
    QCOMPARE(panel->BackColor(), ctl::OleColor(kWit));
}

void TstInstructionPanel::flashRestarts()
{
    testing::ManualTime time; // outlives the window's timer
    MainFixture f;
    auto* timer = f.control<ctl::Timer>(QStringLiteral("TimerNVT"));
    timer->setClock(time.newClock());
    f.click(QStringLiteral("CMD_Terug")); // page 1: flash
    auto* panel = f.control<ctl::PictureBox>(QStringLiteral("PictureTekst"));
    time.advance(600);
    f.click(QStringLiteral("CMD_Terug")); // again while red: a full second from here
    time.advance(600);
    QCOMPARE(panel->BackColor(), ctl::OleColor(kRoodPaneel));
    time.advance(400);
    QCOMPARE(panel->BackColor(), ctl::OleColor(kWit));
    // A tick straight from the timer ends a flash the same way.
    f.click(QStringLiteral("CMD_Terug"));
    emit timer->Tick();
    QVERIFY(!timer->Enabled());
    QCOMPARE(panel->BackColor(), ctl::OleColor(kWit));
    QCOMPARE(panel->printed().size(), 11); // the interface text, redrawn
}

void TstInstructionPanel::slideShowsEveryPixelRow_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("upDown");
    QTest::addColumn<double>("end");
    QTest::newRow("0 forward") << 0.0 << 0 << -1815.0;
    QTest::newRow("-1815 back") << -1815.0 << 1 << 0.0;
    QTest::newRow("-3630 forward") << -3630.0 << 0 << -5445.0;
    QTest::newRow("-5445 back") << -5445.0 << 1 << -3630.0;
    // Not on a page: the slide still moves exactly one page.
    QTest::newRow("-100 forward") << -100.0 << 0 << -1915.0;
}

void TstInstructionPanel::slideShowsEveryPixelRow()
{
    QFETCH(double, start);
    QFETCH(int, upDown);
    QFETCH(double, end);
    MainFixture f;
    f.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.main.get()));
    auto* panel = f.control<ctl::PictureBox>(QStringLiteral("PictureTekst"));
    panel->setTop(start);
    QCoreApplication::processEvents();
    SurfaceWatch watch(panel);
    f.main->VerschuifTekst(upDown);
    QCOMPARE(panel->Top(), end);
    // Every pixel row between the two ends was painted, in order, once.
    const int from = ctl::twipsToPixels(start);
    const int to = ctl::twipsToPixels(end);
    const int step = to > from ? 1 : -1;
    QVector<int> rows;
    for (int y = from + step; y != to + step; y += step)
        rows.append(y);
    QCOMPARE(watch.paintedAt, rows);
    QCOMPARE(watch.moves, rows.size());
}

void TstInstructionPanel::adnPicture_data()
{
    QTest::addColumn<int>("verders"); // Verder clicks before the one watched
    QTest::addColumn<int>("figuur");  // I/O point shown before, -1 none
    QTest::addColumn<bool>("adn");
    QTest::newRow("page 1 to 2") << 0 << 2 << false;
    QTest::newRow("page 2 to 3, output shown") << 1 << 2 << true;
    QTest::newRow("page 2 to 3, input shown") << 1 << 9 << true;
    QTest::newRow("page 2 to 3, nothing shown") << 1 << -1 << true;
    QTest::newRow("page 3 to 4") << 2 << 0 << false;
}

void TstInstructionPanel::adnPicture()
{
    QFETCH(int, verders);
    QFETCH(int, figuur);
    QFETCH(bool, adn);
    MainFixture f;
    f.click(QStringLiteral("CMD_Stationhandling"));
    for (int i = 0; i < verders; ++i)
        f.click(QStringLiteral("CMD_Verder"));
    if (figuur >= 0) {
        f.main->FiguurActuatorSensor(figuur);
        QCOMPARE(f.main->componentPanel().shownPoint(), figuur);
    }
    auto* image = f.control<ctl::Image>(QStringLiteral("ImageSensorActuator"));
    auto* frame = f.control<ctl::Frame>(QStringLiteral("FrameSensorActuator"));
    const QString pictureBefore = image->Picture();
    const QString captionBefore = frame->Caption();
    QWidget* highlighted = nullptr;
    if (figuur >= 0 && figuur < 8)
        highlighted = f.control<QWidget>(QStringLiteral("CMD_SetReset(%1)").arg(figuur));
    else if (figuur >= 8)
        highlighted =
            f.control<QWidget>(QStringLiteral("PictureLabelIngangen(%1)").arg(figuur - 8));
    const uint backBefore = highlighted ? highlighted->property("BackColor").toUInt() : 0;

    f.click(QStringLiteral("CMD_Verder"));

    auto* panel = f.control<ctl::PictureBox>(QStringLiteral("PictureTekst"));
    QCOMPARE(panel->Top(), -1815.0 * (verders + 1));
    QCOMPARE(f.main->componentPanel().shownPoint(), figuur);
    if (adn) {
        QVERIFY2(
            image->Picture().endsWith(QStringLiteral("/Cilinder Dubbelwerkend ADN Bediend.bmp"),
                                      Qt::CaseInsensitive),
            qPrintable(image->Picture()));
        QVERIFY(!image->picture().isNull());
        QCOMPARE(frame->Caption(), QStringLiteral("ADN cilinder."));
        if (highlighted)
            QCOMPARE(highlighted->property("BackColor").toUInt(), uint(mw::KleurNormaal));
    } else {
        QCOMPARE(image->Picture(), pictureBefore);
        QCOMPARE(frame->Caption(), captionBefore);
        if (highlighted)
            QCOMPARE(highlighted->property("BackColor").toUInt(), backBefore);
    }
}

void TstInstructionPanel::adnPictureMissing()
{
    MainFixture f(false); // no picture folder at all
    f.click(QStringLiteral("CMD_Stationhandling"));
    f.click(QStringLiteral("CMD_Verder"));
    f.click(QStringLiteral("CMD_Verder"));
    QCOMPARE(f.control<ctl::PictureBox>(QStringLiteral("PictureTekst"))->Top(), -3630.0);
    QVERIFY(f.control<ctl::Image>(QStringLiteral("ImageSensorActuator"))->picture().isNull());
    QCOMPARE(f.prop(QStringLiteral("FrameSensorActuator"), "Caption").toString(),
             QStringLiteral("ADN cilinder."));
    f.click(QStringLiteral("CMD_Verder"));
    QCOMPARE(f.control<ctl::PictureBox>(QStringLiteral("PictureTekst"))->Top(), -5445.0);
}

void TstInstructionPanel::help_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title"); // empty: nothing shown
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("stapel") << "CMD_StapelMagazijn"
                            << "Stapelmagazijn"
                            << "Op het scherm staat het stapelmagazijn.";
    QTest::newRow("transport") << "CMD_Transportband"
                               << "Transportband"
                               << "Op het scherm staat de transportband.";
    QTest::newRow("handling") << "CMD_Stationhandling"
                              << "Station handling"
                              << "Op het scherm staat het station handling.";
    QTest::newRow("interface") << "CMD_Interfacing"
                               << "EasyPort mini"
                               << "Op het scherm staat de EasyPort Mini interface van Dravik.";
    QTest::newRow("samen") << "CMD_TransHandling"
                           << ""
                           << "";
    QTest::newRow("colour is not the choice")
        << ""
        << "EasyPort mini"
        << "Op het scherm staat de EasyPort Mini interface van Dravik.";
}

void TstInstructionPanel::help()
{
    QFETCH(QString, button);
    QFETCH(QString, title);
    QFETCH(QString, firstLine);
    MainFixture f;
    if (button.isEmpty())
        f.control<ctl::CommandButton>(QStringLiteral("CMD_Interfacing"))
            ->setBackColor(mw::KleurNormaal);
    else
        f.click(button);
    f.services.messages.shown.clear();
    f.click(QStringLiteral("CMD_Help"));
    if (title.isEmpty()) {
        QVERIFY(f.services.messages.shown.isEmpty());
        return;
    }
    QCOMPARE(f.services.messages.shown.size(), 1);
    const platform::MessageRequest& r = f.services.messages.shown.first();
    QCOMPARE(r.title, title);
    QVERIFY(r.text.startsWith(firstLine + QLatin1Char('\r')));
    QVERIFY(r.text.endsWith(QLatin1Char('\r')));
    QCOMPARE(r.icon, platform::MessageIcon::Information);
    QCOMPARE(r.buttons, platform::MessageButtons::Ok);
}

void TstInstructionPanel::video_data()
{
    QTest::addColumn<QByteArray>("ini"); // empty: no installation file
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("url");     // empty: nothing opened, one warning, one box
    QTest::addColumn<QString>("missing"); // the key the box names
    const QByteArray all("[video]\nsite_host=school.example.nl\nvideo_host=video.example.com\n"
                         "stapel_magazijn_id=StApEl1\nstation_handling_id=hAnD2\n");
    QTest::newRow("transportband, blank kept")
        << all << "CMD_Transportband"
        << "http://school.example.nl/filmpje transportband.mp4"
        << "";
    QTest::newRow("handling")
        << all << "CMD_Stationhandling"
        << "http://video.example.com/watch?feature=player_detailpage&v=hAnD2#t=22s"
        << "";
    QTest::newRow("no installation file") << QByteArray() << "CMD_Transportband"
                                          << ""
                                          << "site_host";
    QTest::newRow("no site host") << QByteArray("[video]\nvideo_host=video.example.com\n")
                                  << "CMD_Transportband"
                                  << ""
                                  << "site_host";
    QTest::newRow("no video host") << QByteArray("[video]\nsite_host=school.example.nl\n"
                                                 "station_handling_id=x\n")
                                   << "CMD_Stationhandling"
                                   << ""
                                   << "video_host";
    QTest::newRow("no video identifier")
        << QByteArray("[video]\nvideo_host=video.example.com\n") << "CMD_StapelMagazijn"
        << ""
        << "stapel_magazijn_id";
}

void TstInstructionPanel::video()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, button);
    QFETCH(QString, url);
    QFETCH(QString, missing);
    MainFixture f;
    if (!ini.isEmpty())
        writeIni(f, ini);
    f.click(button);
    if (url.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no video address")));
    QTest::failOnWarning(QRegularExpression(QStringLiteral("video")));
    f.click(QStringLiteral("CMD_Filmpje"));
    if (url.isEmpty()) {
        QVERIFY(f.services.urls.opened.isEmpty());
        // The pupil is told why nothing opens, and what the teacher sets.
        QCOMPARE(f.services.messages.shown.size(), 1);
        const platform::MessageRequest& box = f.services.messages.shown.first();
        QCOMPARE(box.title, QStringLiteral("Filmpje"));
        QVERIFY(box.text.startsWith(QStringLiteral("Dit filmpje kan niet worden geopend")));
        QVERIFY2(box.text.contains(QLatin1Char('"') + missing + QLatin1Char('"')),
                 qPrintable(box.text));
        return;
    }
    QVERIFY(f.services.messages.shown.isEmpty());
    QCOMPARE(f.services.urls.opened, QStringList{url});
    // With another choice active a click opens nothing.
    f.click(QStringLiteral("CMD_TransHandling"));
    f.click(QStringLiteral("CMD_Filmpje"));
    f.click(QStringLiteral("CMD_Interfacing"));
    f.click(QStringLiteral("CMD_Filmpje"));
    QCOMPARE(f.services.urls.opened.size(), 1);
}

QTEST_MAIN(TstInstructionPanel)
#include "tst_instruction_panel.moc"
