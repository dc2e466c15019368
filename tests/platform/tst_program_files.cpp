// Where the program looks for its installation file and its data, in a
// scratch tree laid out like an installation (usr/bin, usr/share, etc): the
// command line first, then beside the program, then etc/ two folders up;
// the data beside the program (a build folder), else ../share/automatiseren.
#include "platform/installation_file.h"
#include "platform/services.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

class ScratchTree : public platform::FileService
{
  public:
    explicit ScratchTree(const QStringList& entries)
    {
        // "dir/" is a folder, anything else an empty file.
        for (const QString& e : entries) {
            const QString path = m_root.filePath(e);
            if (e.endsWith(QLatin1Char('/'))) {
                QDir().mkpath(path);
            } else {
                QDir().mkpath(QFileInfo(path).path());
                QFile f(path);
                f.open(QIODevice::WriteOnly);
            }
        }
        QDir().mkpath(programFolder());
    }
    QString programFolder() const override { return m_root.filePath(QStringLiteral("usr/bin")); }
    QString at(const QString& relative) const { return QDir::cleanPath(m_root.filePath(relative)); }

  private:
    QTemporaryDir m_root;
};

} // namespace

class TestProgramFiles : public QObject
{
    Q_OBJECT

  private slots:
    void installationFile_data();
    void installationFile();
    void dataFolder_data();
    void dataFolder();
};

void TestProgramFiles::installationFile_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("expected");
    const QString beside = QStringLiteral("usr/bin/Automatiseren.ini");
    const QString system = QStringLiteral("etc/automatiseren/Automatiseren.ini");
    QTest::newRow("none: the defaults") << QStringList{} << "" << beside;
    QTest::newRow("beside the program") << QStringList{beside} << "" << beside;
    QTest::newRow("the system's") << QStringList{system} << "" << system;
    QTest::newRow("beside wins") << QStringList{beside, system} << "" << beside;
    QTest::newRow("letter case") << QStringList{"etc/Automatiseren/automatiseren.INI"} << ""
                                 << "etc/Automatiseren/automatiseren.INI";
    QTest::newRow("a system folder without the file")
        << QStringList{"etc/automatiseren/"} << "" << beside;
    QTest::newRow("the command line wins")
        << QStringList{beside, system, "home/school.ini"} << "home/school.ini"
        << "home/school.ini";
}

void TestProgramFiles::installationFile()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, commandLine);
    QFETCH(QString, expected);
    ScratchTree tree(entries);
    platform::setFiles(&tree);
    platform::setInstallationFileOverride(commandLine.isEmpty() ? QString() : tree.at(commandLine));
    const QString found = platform::installationFile();
    platform::setInstallationFileOverride(QString());
    platform::setFiles(nullptr);
    QCOMPARE(QDir::cleanPath(found), tree.at(expected));
}

void TestProgramFiles::dataFolder_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("expected");
    const QString shared = QStringLiteral("usr/share/automatiseren/Afbeeldingen/");
    QTest::newRow("beside: a build folder") << QStringList{"usr/bin/Afbeeldingen/"} << "usr/bin";
    QTest::newRow("only sounds beside") << QStringList{"usr/bin/geluiden/"} << "usr/bin";
    QTest::newRow("only examples beside") << QStringList{"usr/bin/Stappenplannen/"} << "usr/bin";
    QTest::newRow("installed") << QStringList{shared} << "usr/share/automatiseren";
    QTest::newRow("beside wins") << QStringList{"usr/bin/Afbeeldingen/", shared} << "usr/bin";
    QTest::newRow("a file is not a folder")
        << QStringList{"usr/bin/Afbeeldingen", shared} << "usr/share/automatiseren";
    QTest::newRow("nowhere: the program folder") << QStringList{} << "usr/bin";
}

void TestProgramFiles::dataFolder()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, expected);
    ScratchTree tree(entries);
    platform::setFiles(&tree);
    const QString folder = tree.dataFolder();
    const QString picture = platform::picturePath(QStringLiteral("x.bmp"));
    const QString sound = platform::soundPath(QStringLiteral("y.wav"));
    platform::setFiles(nullptr);
    QCOMPARE(folder, tree.at(expected));
    QCOMPARE(picture, tree.at(expected) + QStringLiteral("/Afbeeldingen/x.bmp"));
    QCOMPARE(sound, tree.at(expected) + QStringLiteral("/Geluiden/y.wav"));
}

QTEST_GUILESS_MAIN(TestProgramFiles)
#include "tst_program_files.moc"
