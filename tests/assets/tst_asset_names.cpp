// Every picture and sound the program can ask for, taken from the program's
// own tables (and, for sounds, from what it plays), resolves without regard
// to letter case to a file in the build's folders that Qt can load.
#include "component_figure/figure_tables.h"
#include "description/description_tables.h"
#include "interface_link/interface_model.h"
#include "main_window/station_view.h"
#include "support/test_support.h"

#include <QImageReader>
#include <QSet>
#include <QtTest>

class TestAssetNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pictures_data();
    void pictures();
    void sounds();
};

static QStringList programPictures()
{
    QStringList names;
    mw::NameTables tables;
    mw::fillNameTables(tables);
    for (auto id : {mw::StationId::StapelMagazijn, mw::StationId::Transportband,
                    mw::StationId::Stationhandling, mw::StationId::TransHandling})
        names << mw::stationView(id, tables).picture;
    for (int model : {link::kModelD16, link::kModelD8A, link::kModelMini})
        names << link::interfaceModel(model).picture;
    names << QString::fromLatin1(fig::kPanelPicture);
    QStringList kinds;
    for (auto s : {fig::Station::Transportband, fig::Station::StapelMagazijn,
                   fig::Station::Stationhandling, fig::Station::TransHandling})
        for (int i = 0; i < 16; ++i)
            if (auto c = fig::componentFor(s, i)) {
                names << c->picture;
                kinds << c->kind;
            }
    // Follow each alternation until it comes back.
    for (QString kind : kinds)
        for (int step = 0; step < 4; ++step)
            if (auto next = fig::alternate(kind)) {
                names << next->picture;
                kind = next->kind;
            }
    for (auto s : {desc::Station::StapelMagazijn, desc::Station::Transportband,
                   desc::Station::Stationhandling}) {
        names << desc::stationPicture(s);
        for (int n = desc::kFirstPart; n <= desc::kLastPart; ++n)
            names << desc::partPicture(s, n).fileName;
    }
    // The picture of the handling station's third instruction page.
    names << QStringLiteral("Cilinder Dubbelwerkend ADN Bediend.bmp");
    names.removeDuplicates();
    return names;
}

void TestAssetNames::initTestCase()
{
    if (testing::TempProgramFolder::buildAssetFolder().isEmpty())
        QSKIP("DRAVIK_BIN_DIR is not set: run through ctest");
}

void TestAssetNames::pictures_data()
{
    QTest::addColumn<QString>("name");
    const QStringList names = programPictures();
    QVERIFY(names.size() > 50);
    for (const QString& n : names)
        QTest::newRow(qPrintable(n)) << n;
}

void TestAssetNames::pictures()
{
    QFETCH(QString, name);
    testing::ServiceScope services;
    const QString path = platform::resolvedPicture(name);
    QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    QVERIFY2(!QImageReader(path).read().isNull(), qPrintable(path));
}

void TestAssetNames::sounds()
{
    testing::MainFixture fx;
    fx.click("CMD_Verbinding");        // Verbonden.wav
    fx.click("CMD_SetReset(1)");       // Klik 01.wav
    fx.port.raiseInputs(3);            // Klik 02.wav
    fx.click("CMD_Verbinding");        // Verbroken.wav
    QStringList names = fx.services.sounds.names();
    names.removeDuplicates();
    QCOMPARE(names.size(), 4);
    for (const QString& path : fx.services.sounds.played) {
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(4), QByteArray("RIFF"));
    }
}

QTEST_MAIN(TestAssetNames)
#include "tst_asset_names.moc"
