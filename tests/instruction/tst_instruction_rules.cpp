#include "instruction/instruction_texts.h"
#include "instruction/navigation.h"
#include "instruction/video_links.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using instr::PageAction;
using View = station::Station;

Q_DECLARE_METATYPE(station::Station)
Q_DECLARE_METATYPE(instr::PageAction)

class TstInstructionRules : public QObject
{
    Q_OBJECT

  private slots:
    void verder_data();
    void verder();
    void terug_data();
    void terug();
    void rowLeft_data();
    void rowLeft();
    void slideWalksEveryTwip_data();
    void slideWalksEveryTwip();
    void help_data();
    void help();
    void addresses_data();
    void addresses();
    void hostsAndIds_data();
    void hostsAndIds();
    void settingsFromFile_data();
    void settingsFromFile();
};

void TstInstructionRules::verder_data()
{
    QTest::addColumn<View>("view");
    QTest::addColumn<double>("top");
    QTest::addColumn<PageAction>("action");
    // The turns reached by clicking are covered by the panel's own tests;
    // these are the positions and limits a click sequence does not reach.
    QTest::newRow("handling p2 shows ADN")
        << View::Stationhandling << -1815.0 << PageAction::SlideShowingAdn;
    QTest::newRow("samen at -5445") << View::TransHandling << -5445.0 << PageAction::Flash;
    QTest::newRow("samen between pages") << View::TransHandling << -100.0 << PageAction::Nothing;
    QTest::newRow("start at -5445") << View::Start << -5445.0 << PageAction::Flash;
    QTest::newRow("transport below its last page")
        << View::Transportband << -5445.0 << PageAction::Flash;
    QTest::newRow("stapel below its last page")
        << View::StapelMagazijn << -7260.0 << PageAction::Flash;
    QTest::newRow("interface between pages") << View::Interface << -100.0 << PageAction::Slide;
}

void TstInstructionRules::verder()
{
    QFETCH(View, view);
    QFETCH(double, top);
    QFETCH(PageAction, action);
    QCOMPARE(instr::verderAction(view, top), action);
}

void TstInstructionRules::terug_data()
{
    QTest::addColumn<double>("top");
    QTest::addColumn<PageAction>("action");
    QTest::newRow("page 1") << 0.0 << PageAction::Flash;
    QTest::newRow("above page 1") << 15.0 << PageAction::Flash;
    QTest::newRow("one twip down") << -1.0 << PageAction::Slide;
}

void TstInstructionRules::terug()
{
    QFETCH(double, top);
    QFETCH(PageAction, action);
    QCOMPARE(instr::terugAction(top), action);
}

void TstInstructionRules::rowLeft_data()
{
    QTest::addColumn<int>("indent");
    QTest::addColumn<double>("textWidth");
    QTest::addColumn<double>("surfaceWidth");
    QTest::addColumn<double>("left");
    QTest::newRow("margin") << 0 << 3000.0 << 6255.0 << 0.0;
    QTest::newRow("fits") << 25 << 3000.0 << 6255.0 << 3000.0;
    QTest::newRow("fits exactly") << 25 << 3255.0 << 6255.0 << 3000.0;
    QTest::newRow("would run past the edge") << 35 << 2310.0 << 6255.0 << 3945.0;
    QTest::newRow("wider than the surface") << 5 << 7000.0 << 6255.0 << 0.0;
}

void TstInstructionRules::rowLeft()
{
    QFETCH(int, indent);
    QFETCH(double, textWidth);
    QFETCH(double, surfaceWidth);
    QFETCH(double, left);
    QCOMPARE(instr::rowLeft(indent, 120, textWidth, surfaceWidth), left);
}

void TstInstructionRules::slideWalksEveryTwip_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("upDown");
    QTest::addColumn<double>("end");
    QTest::newRow("forward from page 1") << 0.0 << 0 << -1815.0;
    QTest::newRow("back from page 2") << -1815.0 << 1 << 0.0;
}

void TstInstructionRules::slideWalksEveryTwip()
{
    QFETCH(double, start);
    QFETCH(int, upDown);
    QFETCH(double, end);
    QVector<double> seen;
    const double reached = instr::slidePage(start, upDown, [&](double top) { seen.append(top); });
    QCOMPARE(reached, end);
    QCOMPARE(seen.size(), 1816);
    QCOMPARE(seen.first(), start);
    QCOMPARE(seen.last(), end);
    const double step = upDown == 0 ? -1 : 1;
    for (int i = 1; i < seen.size(); ++i)
        QCOMPARE(seen[i] - seen[i - 1], step);
}

void TstInstructionRules::help_data()
{
    QTest::addColumn<View>("view");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("stapel") << View::StapelMagazijn << true << "Stapelmagazijn"
                            << QByteArray("Op het scherm staat het stapelmagazijn.\r\r"
                                          "Het stapelmagazijn heeft als doel...\r\r"
                                          "- een deksel uit magazijn schuiven.\r"
                                          "- doorschuiven tot het op het onderste deel van het "
                                          "bakje ligt.\r"
                                          "- het deksel 10 seconden aandrukken.\r");
    QTest::newRow("transportband") << View::Transportband << true << "Transportband"
                                   << QByteArray("Op het scherm staat de transportband.\r\r"
                                                 "De transportband heeft als doel...\r\r"
                                                 "- transporteren van bakjes.\r"
                                                 "- verchroomde bakjes herkennen.\r"
                                                 "- geselecteerde bakjes afvoeren.\r");
    QTest::newRow("handling") << View::Stationhandling << true << "Station handling"
                              << QByteArray("Op het scherm staat het station handling.\r\r"
                                            "Het station handling heeft als doel...\r\r"
                                            "- oppakken van een deksel.\r"
                                            "- verplaatsen van een deksel.\r"
                                            "- het deksel op potje drukken.\r"
                                            "- verplaatsen van het product.\r");
    QTest::newRow("interface")
        << View::Interface << true << "EasyPort mini"
        << QByteArray("Op het scherm staat de EasyPort Mini interface van Dravik.\r\r"
                      "Deze interface kun je op een van de onderstaande modules aansluiten en "
                      "aansturen.\r\r"
                      "- Stapelmagazijn.\r"
                      "- Transportband.\r"
                      "- Staton Handling.\r\r"
                      "Lees in je boek wat je moet doen.\r");
    QTest::newRow("samen") << View::TransHandling << false << QString() << QByteArray();
    QTest::newRow("start has the interface's help")
        << View::Start << true << "EasyPort mini"
        << QByteArray("Op het scherm staat de EasyPort Mini interface van Dravik.\r\r"
                      "Deze interface kun je op een van de onderstaande modules aansluiten en "
                      "aansturen.\r\r"
                      "- Stapelmagazijn.\r"
                      "- Transportband.\r"
                      "- Staton Handling.\r\r"
                      "Lees in je boek wat je moet doen.\r");
}

void TstInstructionRules::help()
{
    QFETCH(View, view);
    QFETCH(bool, shown);
    QFETCH(QString, title);
    QFETCH(QByteArray, text);
    const std::optional<instr::HelpMessage> m = instr::helpMessage(view);
    QCOMPARE(m.has_value(), shown);
    if (!shown)
        return;
    QCOMPARE(m->title, title);
    QCOMPARE(m->text.toUtf8(), text);
    QVERIFY(!m->text.contains(QLatin1Char('\n')));
}

void TstInstructionRules::addresses_data()
{
    QTest::addColumn<station::Station>("station");
    QTest::addColumn<QString>("siteHost");
    QTest::addColumn<QString>("videoHost");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("missing");
    using S = station::Station;
    QTest::newRow("conveyor keeps its blank")
        << S::Transportband << "school.example.nl"
        << "video.example.com"
        << "http://school.example.nl/filmpje transportband.mp4"
        << "";
    QTest::newRow("conveyor with port") << S::Transportband << "intra:8080"
                                        << ""
                                        << "http://intra:8080/filmpje transportband.mp4"
                                        << "";
    QTest::newRow("handling starts at 22 s")
        << S::Stationhandling << ""
        << "video.example.com"
        << "http://video.example.com/watch?feature=player_detailpage&v=HaNd_1-x#t=22s"
        << "";
    QTest::newRow("stapel without fragment")
        << S::StapelMagazijn << ""
        << "video.example.com"
        << "http://video.example.com/watch?feature=player_detailpage&v=StApEl9"
        << "";
    QTest::newRow("conveyor without site host") << S::Transportband << ""
                                                << "video.example.com"
                                                << ""
                                                << "site_host";
    QTest::newRow("handling without video host") << S::Stationhandling << "school.example.nl"
                                                 << ""
                                                 << ""
                                                 << "video_host";
    QTest::newRow("stapel without video host") << S::StapelMagazijn << ""
                                               << ""
                                               << ""
                                               << "video_host";
}

void TstInstructionRules::addresses()
{
    QFETCH(station::Station, station);
    QFETCH(QString, siteHost);
    QFETCH(QString, videoHost);
    QFETCH(QString, url);
    QFETCH(QString, missing);
    instr::VideoSettings s;
    s.siteHost = siteHost;
    s.videoHost = videoHost;
    s.stapelMagazijnId = QStringLiteral("StApEl9");
    s.stationHandlingId = QStringLiteral("HaNd_1-x");
    const instr::VideoAddress a = instr::videoAddress(station, s);
    QCOMPARE(a.url, url);
    QCOMPARE(a.missing, missing);

    // Without its identifier a video page cannot be opened either.
    using S = station::Station;
    if (station != S::Transportband && !videoHost.isEmpty()) {
        s.stapelMagazijnId.clear();
        s.stationHandlingId.clear();
        const instr::VideoAddress noId = instr::videoAddress(station, s);
        QVERIFY(noId.url.isEmpty());
        QCOMPARE(noId.missing, station == S::StapelMagazijn
                                   ? QStringLiteral("stapel_magazijn_id")
                                   : QStringLiteral("station_handling_id"));
    }
}

void TstInstructionRules::hostsAndIds_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("host");
    QTest::addColumn<bool>("id");
    QTest::newRow("name") << "www.example.nl" << true << false;
    QTest::newRow("single label") << "intranet" << true << true;
    QTest::newRow("with port") << "example.nl:8080" << true << false;
    QTest::newRow("port 0") << "example.nl:0" << false << false;
    QTest::newRow("port too high") << "example.nl:70000" << false << false;
    QTest::newRow("address") << "192.168.1.20" << true << false;
    QTest::newRow("path smuggled in") << "example.nl/evil" << false << false;
    QTest::newRow("user part") << "me@example.nl" << false << false;
    QTest::newRow("query") << "example.nl?x=1" << false << false;
    QTest::newRow("scheme") << "http://example.nl" << false << false;
    QTest::newRow("blank") << "exa mple.nl" << false << false;
    QTest::newRow("leading hyphen") << "-example.nl" << false << false;
    QTest::newRow("empty label") << "example..nl" << false << false;
    QTest::newRow("video id") << "dQw4w9WgXcQ" << true << true;
    QTest::newRow("id with hyphen, underscore") << "a-b_c" << false << true;
    QTest::newRow("id with ampersand") << "abc&x=1" << false << false;
    QTest::newRow("id with hash") << "abc#t=1" << false << false;
}

void TstInstructionRules::hostsAndIds()
{
    QFETCH(QString, value);
    QFETCH(bool, host);
    QFETCH(bool, id);
    QCOMPARE(instr::isValidHost(value), host);
    QCOMPARE(instr::isValidVideoId(value), id);
}

void TstInstructionRules::settingsFromFile_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("expected"); // site, video, stapel id, handling id
    QTest::addColumn<int>("warnings");
    QTest::newRow("all set") << QByteArray("[video]\nsite_host = school.example.nl\n"
                                           "video_host=video.example.com\n"
                                           "stapel_magazijn_id=abc123\n"
                                           "station_handling_id=XYZ_9\n")
                             << QStringList{"school.example.nl", "video.example.com", "abc123",
                                            "XYZ_9"}
                             << 0;
    QTest::newRow("no group") << QByteArray("[interface]\ntype=simulated\n")
                              << QStringList{"", "", "", ""} << 0;
    QTest::newRow("left blank") << QByteArray("[video]\nsite_host=\nvideo_host=v.example\n")
                                << QStringList{"", "v.example", "", ""} << 0;
    QTest::newRow("bad values dropped one by one")
        << QByteArray("[video]\nsite_host=example.nl/x\nvideo_host=v.example\n"
                      "stapel_magazijn_id=\"a, b\"\nstation_handling_id=ok\n")
        << QStringList{"", "v.example", "", "ok"} << 2;
    QTest::newRow("list value") << QByteArray("[video]\nvideo_host=a.example, b.example\n")
                                << QStringList{"", "", "", ""} << 1;
}

void TstInstructionRules::settingsFromFile()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, expected);
    QFETCH(int, warnings);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Automatiseren.ini"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ini);
    }
    for (int i = 0; i < warnings; ++i)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("ignoring video")));
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    QSettings settings(path, QSettings::IniFormat);
    const instr::VideoSettings s = instr::VideoSettings::fromSettings(settings);
    QCOMPARE(s.siteHost, expected[0]);
    QCOMPARE(s.videoHost, expected[1]);
    QCOMPARE(s.stapelMagazijnId, expected[2]);
    QCOMPARE(s.stationHandlingId, expected[3]);
}

QTEST_GUILESS_MAIN(TstInstructionRules)
#include "tst_instruction_rules.moc"
