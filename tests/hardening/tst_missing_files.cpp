// Schools copy the program between machines and lose or damage files. With
// any one picture or sound missing, empty, truncated or full of garbage,
// every view, hover, alternation tick, page turn, full-screen picture and
// description choice that uses it must go on without a crash, log exactly
// one warning per failed load, show no message box except the description
// window's "Kan het bestand ... niet vinden.", and leave the window usable.
#include "component_figure/figure_tables.h"
#include "controls/controls.h"
#include "description/beschrijving.h"
#include "description/description_tables.h"
#include "fullscreen/full_screen.h"
#include "interface_link/interface_model.h"
#include "station/station_data.h"
#include "support/program_files.h"
#include "support/test_support.h"
#include "support/warning_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtTest>

using testing::MainFixture;

namespace
{

// ------------------------------------------------------------ the log

// ------------------------------------------------------------ the folder

enum class Damage { Missing, Empty, Garbage, Truncated, Huge };

// One program folder for every row. Its pictures are stand-ins for the
// generated ones: the same names and formats, 8 x 8 flat grey pixels each.
// The pictures a row does not damage are only the scene around the damaged
// one; loaded, scaled and painted at full size they took half of the run,
// and linking a fresh folder for each row a quarter of the rest. Its
// sounds are links to the generated ones.
class SharedProgramFolder
{
  public:
    static SharedProgramFolder& instance()
    {
        static SharedProgramFolder folder;
        return folder;
    }
    QString path() const { return m_ok ? m_dir.path() : QString(); }
    // Puts the stand-in or link for `sub`/`entry` (back) in place.
    bool restore(const QString& sub, const QString& entry)
    {
        const QString to = m_dir.filePath(sub + QLatin1Char('/') + entry);
        const QString original = source(sub, entry);
        QFile::remove(to);
        if (sub != QLatin1String("Afbeeldingen"))
            return QFile::link(original, to);
        QImage flat(QSize(8, 8), QImage::Format_Grayscale8);
        flat.fill(200);
        return flat.save(to, QImageReader(original).format());
    }
    static QString source(const QString& sub, const QString& entry)
    {
        return testing::TempProgramFolder::buildAssetFolder() + QLatin1Char('/') + sub +
               QLatin1Char('/') + entry;
    }

  private:
    SharedProgramFolder()
    {
        m_ok = m_dir.isValid();
        for (const QString& sub : {QStringLiteral("Afbeeldingen"), QStringLiteral("Geluiden")}) {
            m_ok = m_ok && QDir(m_dir.path()).mkdir(sub);
            const QDir from(testing::TempProgramFolder::buildAssetFolder() + QLatin1Char('/') +
                            sub);
            for (const QString& entry : from.entryList(QDir::Files))
                m_ok = m_ok && restore(sub, entry);
        }
    }
    QTemporaryDir m_dir;
    bool m_ok = false;
};

// The shared program folder with one file missing or replaced by a damaged
// copy of the generated one, under the same name, for the life of the
// object.
class DamagedProgramFolder : public platform::FileService
{
  public:
    DamagedProgramFolder(const QString& subFolder, const QString& fileName, Damage damage)
        : m_sub(subFolder)
    {
        SharedProgramFolder& shared = SharedProgramFolder::instance();
        const QDir from(testing::TempProgramFolder::buildAssetFolder() + QLatin1Char('/') +
                        subFolder);
        for (const QString& entry : from.entryList(QDir::Files)) {
            if (entry.compare(fileName, Qt::CaseInsensitive) != 0)
                continue;
            m_entry = entry;
            m_damaged = shared.path() + QLatin1Char('/') + subFolder + QLatin1Char('/') + entry;
            // Removed first: the file in place may be a link to the generated one.
            QFile::remove(m_damaged);
            damageCopy(from.filePath(entry), m_damaged, damage);
        }
    }
    ~DamagedProgramFolder() override
    {
        if (!m_entry.isEmpty())
            SharedProgramFolder::instance().restore(m_sub, m_entry);
    }
    DamagedProgramFolder(const DamagedProgramFolder&) = delete;
    DamagedProgramFolder& operator=(const DamagedProgramFolder&) = delete;
    QString programFolder() const override { return SharedProgramFolder::instance().path(); }
    // The damaged file's path; empty until the file was found.
    QString damaged() const { return m_damaged; }

  private:
    static void damageCopy(const QString& original, const QString& to, Damage damage)
    {
        if (damage == Damage::Missing)
            return;
        QFile in(original);
        QByteArray bytes;
        if (in.open(QIODevice::ReadOnly))
            bytes = in.readAll();
        QByteArray out;
        switch (damage) {
        case Damage::Missing:
        case Damage::Empty:
            break;
        case Damage::Garbage:
            for (int i = 0; i < 4096; ++i)
                out.append(char((i * 7919 + 13) & 0xFF));
            break;
        case Damage::Huge: {
            // A bitmap header that claims 40000 x 40000 pixels, and no pixels:
            // loading must not try to find the memory for it.
            auto le32 = [&out](quint32 v) {
                for (int k = 0; k < 4; ++k)
                    out.append(char((v >> (8 * k)) & 0xFF));
            };
            out.append("BM");
            le32(54 + 100);
            le32(0);
            le32(54);
            le32(40);
            le32(40000);
            le32(40000);
            out.append(char(1)).append(char(0)).append(char(24)).append(char(0));
            le32(0);
            le32(0);
            le32(2835);
            le32(2835);
            le32(0);
            le32(0);
            out.append(QByteArray(100, '\x7f'));
            break;
        }
        case Damage::Truncated:
            // The header and a little of the data, as after a broken copy.
            out = bytes.left(qMax(64, int(bytes.size() / 3)));
            break;
        }
        QFile f(to);
        if (f.open(QIODevice::WriteOnly))
            f.write(out);
    }
    QString m_sub;
    QString m_entry;
    QString m_damaged;
};

// ------------------------------------------------------------ what uses what

struct Step {
    QString what;
    std::function<void(MainFixture&)> run;
    QStringList loads; // picture files this step loads, once each entry
};
using Scenario = QVector<Step>;

const char* buttonOf(station::Station s)
{
    switch (s) {
    case station::Station::StapelMagazijn:
        return "CMD_StapelMagazijn";
    case station::Station::Transportband:
        return "CMD_Transportband";
    case station::Station::Stationhandling:
        return "CMD_Stationhandling";
    case station::Station::TransHandling:
        return "CMD_TransHandling";
    case station::Station::Start:
    case station::Station::Interface:
        break;
    }
    return "CMD_Interfacing";
}

Step clickStep(const QString& control, QStringList loads = {})
{
    return {QStringLiteral("click ") + control, [control](MainFixture& fx) { fx.click(control); },
            std::move(loads)};
}

Step selectStep(station::Station s)
{
    return clickStep(QString::fromLatin1(buttonOf(s)), {station::data(s).picture});
}

Step tickStep(QString& kind)
{
    QStringList loads;
    if (const auto next = fig::alternate(kind)) {
        loads << next->picture;
        kind = next->kind;
    }
    return {QStringLiteral("alternation tick"),
            [](MainFixture& fx) { emit fx.main->Timer_Wissel_Afbeelding->Tick(); }, loads};
}

Step chooseStep(int number, const QString& picture)
{
    return {QStringLiteral("choose %1").arg(number),
            [number](MainFixture& fx) {
                Beschrijving* b = fx.main->beschrijving(false);
                QVERIFY2(b && b->isVisible(), "the description window is not open");
                b->Option_Nummers[number]->click();
            },
            {picture}};
}

QVector<Scenario> pictureScenarios()
{
    QVector<Scenario> all;
    const station::Station stations[] = {
        station::Station::StapelMagazijn, station::Station::Transportband,
        station::Station::Stationhandling, station::Station::TransHandling};
    // Every component and its valve, through two ticks.
    for (station::Station s : stations)
        for (int point = 0; point < 16; ++point)
            if (const auto c = fig::componentFor(s, point)) {
                const QString name = point < 8 ? QStringLiteral("CMD_SetReset(%1)").arg(point)
                                               : QStringLiteral("Label_Ingang(%1)").arg(point - 8);
                Scenario sc{selectStep(s),
                            {QStringLiteral("hover ") + name,
                             [name](MainFixture& fx) { fx.hover(name); },
                             {c->picture}}};
                QString kind = c->kind;
                if (point < 8) {
                    sc << tickStep(kind);
                    sc << tickStep(kind);
                }
                all << sc;
            }
    // The interface view, its connection panel and the three models.
    const QString mini = iface::interfaceModel(iface::kModelMini).picture;
    all << Scenario{clickStep(QStringLiteral("CMD_Interfacing"), {mini}),
                    {QStringLiteral("hover output 1"),
                     [](MainFixture& fx) { fx.hover(QStringLiteral("CMD_SetReset(1)")); },
                     {QString::fromLatin1(fig::kPanelPicture)}},
                    {QStringLiteral("hover input 4"),
                     [](MainFixture& fx) { fx.hover(QStringLiteral("Label_Ingang(4)")); },
                     {}}};
    for (int model : {iface::kModelD16, iface::kModelD8A, iface::kModelMini}) {
        // A Mini also switches to the interface view, which loads its
        // picture and then applies the model table once more.
        const QStringList loads = model == iface::kModelMini
                                      ? QStringList{mini, mini, mini}
                                      : QStringList{iface::interfaceModel(model).picture};
        all << Scenario{{QStringLiteral("connect model %1").arg(model),
                         [model](MainFixture& fx) {
                             fx.port.moduleNumber = qint16(model);
                             fx.click(QStringLiteral("CMD_Verbinding"));
                         },
                         loads},
                        clickStep(QStringLiteral("CMD_Verbinding"))};
    }
    // The handling station's third instruction page.
    all << Scenario{selectStep(station::Station::Stationhandling),
                    clickStep(QStringLiteral("CMD_Verder")),
                    clickStep(QStringLiteral("CMD_Verder"),
                              {QStringLiteral("Cilinder Dubbelwerkend ADN Bediend.bmp")}),
                    clickStep(QStringLiteral("CMD_Terug"))};
    // The full-screen picture and every description choice.
    const std::pair<station::Station, desc::Station> described[] = {
        {station::Station::StapelMagazijn, desc::Station::StapelMagazijn},
        {station::Station::Transportband, desc::Station::Transportband},
        {station::Station::Stationhandling, desc::Station::Stationhandling}};
    for (const auto& [s, d] : described)
        for (int n = desc::kFirstPart; n <= desc::kLastPart; ++n)
            all << Scenario{
                selectStep(s),
                clickStep(QStringLiteral("Image_Module_Holder"), {desc::stationPicture(d)}),
                chooseStep(n, desc::partPicture(d, n).fileName),
                {QStringLiteral("Sluiten"),
                 [](MainFixture& fx) {
                     if (Beschrijving* b = fx.main->beschrijving(false))
                         b->CMD_Close->click();
                 },
                 {}}};
    return all;
}

bool sameFile(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Lays `window` out at its size and paints every control of it that shows
// the picture `name` or, because it could not load one, none at all; the
// rest of the window is left unpainted (painting all of it for every
// damaged file took most of this test's time).
void paintPictures(QWidget* window, const QString& name)
{
    window->grab(QRect(0, 0, 1, 1)); // delivers the pending resize: the layout
    auto mayShow = [&name](const QString& picture) {
        return picture.isEmpty() || sameFile(QFileInfo(picture).fileName(), name);
    };
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        if (auto* image = qobject_cast<ctl::Image*>(w); image && mayShow(image->Picture()))
            w->grab();
        else if (auto* button = qobject_cast<ctl::CommandButton*>(w);
                 button && mayShow(button->Picture()))
            w->grab();
    }
}

bool isNumberedPicture(const QString& name)
{
    for (auto d : {desc::Station::StapelMagazijn, desc::Station::Transportband,
                   desc::Station::Stationhandling})
        for (int n = desc::kFirstPart; n <= desc::kLastPart; ++n) {
            const desc::PartPicture p = desc::partPicture(d, n);
            if (p.mustExist && sameFile(p.fileName, name))
                return true;
        }
    return false;
}

// After the damage the pupil must still be able to work: the interface view
// comes up and an output button switches its output.
void checkUsable(MainFixture& fx)
{
    fx.click(QStringLiteral("CMD_Interfacing"));
    QCOMPARE(fx.main->DecimaalUit(), 0);
    fx.click(QStringLiteral("CMD_SetReset(2)"));
    QCOMPARE(fx.main->DecimaalUit(), 4);
    QCOMPARE(fx.port.written.last(), qint16(4));
    QCOMPARE(fx.main->Shape_Lampje[2]->FillColor(), mw::KleurLampAan);
    fx.click(QStringLiteral("CMD_SetReset(2)"));
    QCOMPARE(fx.main->DecimaalUit(), 0);
}

const char* damageName(Damage d)
{
    switch (d) {
    case Damage::Missing:
        return "missing";
    case Damage::Empty:
        return "empty";
    case Damage::Garbage:
        return "garbage";
    case Damage::Truncated:
        return "truncated";
    case Damage::Huge:
        return "huge";
    }
    return "";
}

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestMissingFiles : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void pictures_data();
    void pictures();
    void sounds_data();
    void sounds();
};

void TestMissingFiles::initTestCase()
{
    const QString problem = testing::TempProgramFolder::buildAssetProblem();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY2(!SharedProgramFolder::instance().path().isEmpty(),
             "the shared program folder cannot be made");
}

void TestMissingFiles::pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Damage>("damage");
    // One row per file on disk: names that differ only in letter case are
    // the same file.
    QStringList files;
    for (const QString& n : testing::programPictures()) {
        bool seen = false;
        for (const QString& f : files)
            seen = seen || sameFile(f, n);
        if (!seen)
            files << n;
    }
    QVERIFY(files.size() > 40);
    for (const QString& n : files)
        for (Damage d :
             {Damage::Missing, Damage::Empty, Damage::Garbage, Damage::Truncated, Damage::Huge})
            QTest::addRow("%s %s", damageName(d), qPrintable(n)) << n << d;
}

void TestMissingFiles::pictures()
{
    QFETCH(QString, name);
    QFETCH(Damage, damage);
    testing::WarningLog log;
    // The folder outlives the window, which puts the services back when it ends.
    DamagedProgramFolder folder(QStringLiteral("Afbeeldingen"), name, damage);
    MainFixture fx;
    platform::setFiles(&folder);
    if (damage != Damage::Missing)
        QVERIFY2(!folder.damaged().isEmpty(), "the file is not among the generated pictures");
    // A damaged file that Qt still reads (part of a JPEG) is no failure.
    const bool fails = damage == Damage::Missing || QImageReader(folder.damaged()).read().isNull();
    // A picture that claims more pixels than memory allows is refused
    // before it takes any.
    if (damage == Damage::Huge)
        QVERIFY(fails);
    const bool boxed = damage == Damage::Missing && isNumberedPicture(name);
    log.take();

    int used = 0;
    static const QVector<Scenario> scenarios = pictureScenarios();
    for (const Scenario& sc : scenarios) {
        bool uses = false;
        for (const Step& st : sc)
            for (const QString& l : st.loads)
                uses = uses || sameFile(l, name);
        if (!uses)
            continue;
        ++used;
        for (const Step& st : sc) {
            const int boxesBefore = int(fx.services.messages.shown.size());
            st.run(fx);
            if (QTest::currentTestFailed())
                return;
            int loads = 0;
            for (const QString& l : st.loads)
                loads += sameFile(l, name) ? 1 : 0;
            const QStringList warnings = log.take();
            const QString where =
                st.what + QStringLiteral(": ") + warnings.join(QLatin1String(" | "));
            // A missing numbered picture is told to the pupil instead of loaded.
            const int expectedBoxes = boxed ? loads : 0;
            QVERIFY2(fx.services.messages.shown.size() - boxesBefore == expectedBoxes,
                     qPrintable(where));
            for (int i = boxesBefore; i < fx.services.messages.shown.size(); ++i)
                QCOMPARE(fx.services.messages.shown[i].text, QStringLiteral("Kan het bestand ") +
                                                                 platform::picturePath(name) +
                                                                 QStringLiteral(" niet vinden."));
            QVERIFY2(warnings.size() == (fails ? loads : 0), qPrintable(where));
            for (const QString& w : warnings)
                QVERIFY2(w.contains(name, Qt::CaseInsensitive), qPrintable(where));
        }
        // Painting the window at another size draws the broken picture.
        fx.main->resize(fx.main->size() + QSize(40, 30));
        paintPictures(fx.main.get(), name);
        if (Full_Screen* f = fx.main->fullScreen(false))
            paintPictures(f, name);
    }
    QVERIFY2(used > 0, "no action of the program loads this picture");
    checkUsable(fx);
}

void TestMissingFiles::sounds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Damage>("damage");
    for (const QString& n : testing::programSounds())
        for (Damage d : {Damage::Missing, Damage::Empty, Damage::Garbage, Damage::Truncated})
            QTest::addRow("%s %s", damageName(d), qPrintable(n)) << n << d;
}

// Sounds go through the program's own sound service here, which checks the
// file before it plays.
void TestMissingFiles::sounds()
{
    QFETCH(QString, name);
    QFETCH(Damage, damage);
    testing::WarningLog log;
    // The folder outlives the window, which puts the services back when it ends.
    DamagedProgramFolder folder(QStringLiteral("Geluiden"), name, damage);
    MainFixture fx;
    platform::setFiles(&folder);
    platform::setSounds(nullptr);

    for (int round = 0; round < 2; ++round) {
        fx.click(QStringLiteral("CMD_Verbinding"));  // Verbonden.wav
        fx.click(QStringLiteral("CMD_SetReset(1)")); // Klik 01.wav
        fx.port.raiseInputs(5);                      // Klik 02.wav
        fx.click(QStringLiteral("CMD_Verbinding"));  // Verbroken.wav
    }
    QCoreApplication::processEvents();
    QVERIFY(fx.services.messages.shown.isEmpty());
    const QStringList warnings = log.take();
    // A missing sound is told once, not at every click.
    if (damage == Damage::Missing) {
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings.first().contains(name), qPrintable(warnings.first()));
    }
    for (const QString& w : warnings)
        QVERIFY2(w.contains(name), qPrintable(w));
    checkUsable(fx);
}

QTEST_MAIN(TestMissingFiles)
#include "tst_missing_files.moc"
