// Every picture and sound the program can ask for, taken from the program's
// own tables (and, for sounds, from what it plays), resolves without regard
// to letter case to a file in the build's folders that Qt can load.
#include "support/program_files.h"
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

void TestAssetNames::initTestCase()
{
    const QString problem = testing::TempProgramFolder::buildAssetProblem();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestAssetNames::pictures_data()
{
    QTest::addColumn<QString>("name");
    const QStringList names = testing::programPictures();
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
    fx.click("CMD_Verbinding");  // Verbonden.wav
    fx.click("CMD_SetReset(1)"); // Klik 01.wav
    fx.port.raiseInputs(3);      // Klik 02.wav
    fx.click("CMD_Verbinding");  // Verbroken.wav
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
