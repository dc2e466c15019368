// Checks the generated pictures and sounds beside the program and the main
// window's design pictures compiled into the library.

#include "support/test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QtEndian>
#include <QtTest>
#include <cmath>

namespace
{

QString binDir()
{
    return testing::TempProgramFolder::buildAssetFolder();
}

QString picturePath(const QString& name)
{
    return binDir() + QStringLiteral("/Afbeeldingen/") + name;
}

struct Station {
    const char* stem;
    int parts;
};
const Station kStations[] = {
    {"Station Stapel Magazijn cijfers", 11},
    {"Station Transportband cijfers", 8},
    {"Station Handling cijfers", 11},
};

QString numbered(const Station& s, int n)
{
    return QStringLiteral("%1 %2.jpg").arg(QLatin1String(s.stem)).arg(n, 2, 10, QLatin1Char('0'));
}

QString unnumbered(const Station& s)
{
    return QStringLiteral("%1.jpg").arg(QLatin1String(s.stem));
}

// Share of pixels whose colour differs noticeably between two images of one size.
double differingShare(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            const int d = qAbs(qRed(p[col]) - qRed(q[col])) +
                          qAbs(qGreen(p[col]) - qGreen(q[col])) +
                          qAbs(qBlue(p[col]) - qBlue(q[col]));
            if (d > 60)
                ++differing;
        }
    }
    return double(differing) / (double(x.width()) * x.height());
}

// Number of strongly orange pixels: the colour that marks a described part.
int markPixels(const QImage& image)
{
    const QImage x = image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if (qRed(p[col]) > 225 && qGreen(p[col]) > 100 && qGreen(p[col]) < 145 &&
                qBlue(p[col]) < 45)
                ++count;
        }
    }
    return count;
}

struct WavInfo {
    QString error;
    int format = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    QByteArray data;
};

// Reads the chunks of a RIFF/WAVE file; any inconsistency ends in an error.
// Little-endian fields read byte by byte, within the array's bounds.
quint32 le32(const char* p)
{
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint32(u[0]) | (quint32(u[1]) << 8) | (quint32(u[2]) << 16) | (quint32(u[3]) << 24);
}

quint16 le16(const char* p)
{
    const auto* u = reinterpret_cast<const uchar*>(p);
    return quint16(u[0] | (u[1] << 8));
}

WavInfo readWav(const QByteArray& file)
{
    WavInfo info;
    if (file.size() < 12 || file.left(4) != "RIFF" || file.mid(8, 4) != "WAVE") {
        info.error = QStringLiteral("no RIFF/WAVE header");
        return info;
    }
    const quint32 riffSize = le32(file.constData() + 4);
    if (qint64(riffSize) + 8 != file.size()) {
        info.error = QStringLiteral("RIFF size %1 does not match file size %2")
                         .arg(riffSize)
                         .arg(file.size());
        return info;
    }
    bool haveFmt = false;
    qint64 pos = 12;
    while (pos + 8 <= file.size()) {
        const QByteArray id = file.mid(pos, 4);
        const quint32 size = le32(file.constData() + pos + 4);
        if (pos + 8 + qint64(size) > file.size()) {
            info.error = QStringLiteral("chunk %1 runs past the end").arg(QString::fromLatin1(id));
            return info;
        }
        const char* body = file.constData() + pos + 8;
        if (id == "fmt ") {
            if (size < 16) {
                info.error = QStringLiteral("short fmt chunk");
                return info;
            }
            info.format = le16(body);
            info.channels = le16(body + 2);
            info.rate = int(le32(body + 4));
            const quint32 byteRate = le32(body + 8);
            const quint16 blockAlign = le16(body + 12);
            info.bits = le16(body + 14);
            if (blockAlign != info.channels * info.bits / 8 ||
                byteRate != quint32(info.rate) * blockAlign) {
                info.error = QStringLiteral("inconsistent fmt chunk");
                return info;
            }
            haveFmt = true;
        } else if (id == "data") {
            info.data = QByteArray(body, int(size));
        }
        pos += 8 + size + (size & 1);
    }
    if (!haveFmt || info.data.isNull())
        info.error = QStringLiteral("fmt or data chunk missing");
    return info;
}

} // namespace

class TestAssets : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void pictureFile_data();
    void pictureFile();
    void numberedPicture_data();
    void numberedPicture();
    void numberedPicturesDistinct_data();
    void numberedPicturesDistinct();
    void namesUniqueIgnoringCase();
    void sound_data();
    void sound();
    void clicksDiffer();
    void designPicture_data();
    void designPicture();
};

void TestAssets::initTestCase()
{
    Q_INIT_RESOURCE(design_pictures);
    const QString problem = testing::TempProgramFolder::buildAssetProblem();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestAssets::pictureFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("minWidth");
    QTest::addColumn<int>("maxWidth");
    QTest::addColumn<double>("aspect"); // width / height

    const auto add = [](const QString& name, const char* format, int minW, int maxW,
                        double aspect) {
        QTest::newRow(qPrintable(name)) << name << QByteArray(format) << minW << maxW << aspect;
    };
    // Components and valves: about 500 x 470.
    for (const char* n :
         {"Transportband Magneetspoel Stopper.bmp", "Transportband Elektro Motor.bmp",
          "Transportband Relais.bmp", "Transportband Inductieve Sensor.bmp",
          "Transportband Optische Sensor.bmp", "Cilinder dubbelwerkend.bmp",
          "Cilinder enkelwerkend.bmp", "Stapel magazijn Magnetische Sensor.bmp",
          "Cilinder Dubbelwerkend ADN.bmp", "Cilinder Dubbelwerkend ADN Bediend.bmp",
          "Station handling Grijper.bmp", "Multi Connector.bmp",
          "Stapel magazijn 4-2 Ventiel Mono stabiel.bmp",
          "Stapel magazijn 4-2 Ventiel Bistabiel.bmp"})
        add(QString::fromUtf8(n), "bmp", 450, 560, 500.0 / 470.0);
    // Pictures for the 433 x 377 holder of the main window.
    for (const char* n :
         {"EasyPort D16.bmp", "EasyPort D8A.bmp", "Easyport mini.bmp", "Stapel magazijn org.bmp",
          "Transportband org.bmp", "Station handling org.bmp", "TransHandling.bmp"})
        add(QString::fromUtf8(n), "bmp", 800, 1000, 433.0 / 377.0);
    // Full-screen station pictures: at least 1600 wide, 4:3.
    for (const Station& s : kStations) {
        add(unnumbered(s), "jpeg", 1600, 4000, 4.0 / 3.0);
        for (int n = 1; n <= s.parts; ++n)
            add(numbered(s, n), "jpeg", 1600, 4000, 4.0 / 3.0);
    }
}

void TestAssets::pictureFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QFETCH(int, minWidth);
    QFETCH(int, maxWidth);
    QFETCH(double, aspect);

    QImageReader reader(picturePath(name));
    reader.setDecideFormatFromContent(true);
    QVERIFY2(reader.canRead(), qPrintable(name + QStringLiteral(": ") + reader.errorString()));
    // The content must match the type its name promises.
    QCOMPARE(reader.format(), format);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QVERIFY2(image.width() >= minWidth && image.width() <= maxWidth,
             qPrintable(QStringLiteral("width %1").arg(image.width())));
    const double actual = double(image.width()) / image.height();
    QVERIFY2(std::abs(actual - aspect) / aspect < 0.03,
             qPrintable(QStringLiteral("aspect %1, expected %2").arg(actual).arg(aspect)));
    // A picture, not an empty sheet: at least a few percent of it is drawn.
    const QImage small = image.scaled(200, 200, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QImage blank(small.size(), QImage::Format_RGB32);
    QImage flat = blank;
    flat.fill(small.pixel(0, 0));
    QVERIFY(differingShare(small, flat) > 0.05);
}

void TestAssets::numberedPicture_data()
{
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("marked");
    for (const Station& s : kStations)
        for (int n = 1; n <= s.parts; ++n)
            QTest::newRow(qPrintable(numbered(s, n))) << unnumbered(s) << numbered(s, n);
}

void TestAssets::numberedPicture()
{
    QFETCH(QString, plain);
    QFETCH(QString, marked);
    const QImage a(picturePath(plain));
    const QImage b(picturePath(marked));
    QVERIFY(!a.isNull() && !b.isNull());
    QCOMPARE(b.size(), a.size());
    // The rest of the picture is faded, so the two differ widely...
    const double share = differingShare(a, b);
    QVERIFY2(share > 0.05, qPrintable(QStringLiteral("only %1 differs").arg(share)));
    // ...and the marked part carries the mark colour, which the plain picture lacks.
    const int area = a.width() * a.height();
    QVERIFY2(markPixels(b) > area / 1000, qPrintable(QStringLiteral("%1").arg(markPixels(b))));
    QVERIFY(markPixels(a) < area / 10000);
}

void TestAssets::numberedPicturesDistinct_data()
{
    QTest::addColumn<QString>("stem");
    QTest::addColumn<int>("parts");
    for (const Station& s : kStations)
        QTest::newRow(s.stem) << QString::fromLatin1(s.stem) << s.parts;
}

void TestAssets::numberedPicturesDistinct()
{
    QFETCH(QString, stem);
    QFETCH(int, parts);
    QList<QImage> marked;
    for (int n = 1; n <= parts; ++n) {
        const QImage image(
            picturePath(QStringLiteral("%1 %2.jpg").arg(stem).arg(n, 2, 10, QLatin1Char('0'))));
        QVERIFY(!image.isNull());
        marked << image.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    for (int i = 0; i < marked.size(); ++i)
        for (int j = i + 1; j < marked.size(); ++j)
            QVERIFY2(
                differingShare(marked[i], marked[j]) > 0.002,
                qPrintable(QStringLiteral("numbers %1 and %2 look alike").arg(i + 1).arg(j + 1)));
}

void TestAssets::namesUniqueIgnoringCase()
{
    // The program finds its files without regard to letter case, so two
    // names that differ only in case would be ambiguous.
    for (const char* folder : {"/Afbeeldingen", "/Geluiden"}) {
        const QStringList names =
            QDir(binDir() + QLatin1String(folder)).entryList(QDir::Files | QDir::NoDotAndDotDot);
        QVERIFY(!names.isEmpty());
        QSet<QString> seen;
        for (const QString& n : names) {
            QVERIFY2(!seen.contains(n.toLower()), qPrintable(n));
            seen.insert(n.toLower());
        }
    }
}

void TestAssets::sound_data()
{
    QTest::addColumn<QString>("name");
    for (const char* n : {"Verbonden.wav", "Verbroken.wav", "Klik 01.wav", "Klik 02.wav"})
        QTest::newRow(n) << QString::fromLatin1(n);
}

void TestAssets::sound()
{
    QFETCH(QString, name);
    QFile file(binDir() + QStringLiteral("/Geluiden/") + name);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
    const WavInfo wav = readWav(file.readAll());
    QVERIFY2(wav.error.isEmpty(), qPrintable(wav.error));
    QCOMPARE(wav.format, 1); // PCM
    QCOMPARE(wav.bits, 16);
    QVERIFY(wav.channels == 1 || wav.channels == 2);
    QVERIFY(wav.rate >= 8000 && wav.rate <= 96000);
    const int samples = wav.data.size() / 2;
    auto sample = [&](int i) { return int(qint16(le16(wav.data.constData() + 2 * i))); };
    // The sound proper ends with its last audible sample; what follows must
    // be silence long enough for the player to drop without a loss.
    int end = samples;
    while (end > 0 && qAbs(sample(end - 1)) < 16)
        --end;
    const double seconds = double(end / wav.channels) / wav.rate;
    const double silence = double((samples - end) / wav.channels) / wav.rate;
    QVERIFY2(seconds > 0.01 && seconds < 0.5, qPrintable(QString::number(seconds)));
    QVERIFY2(silence >= 0.3, qPrintable(QStringLiteral("trailing silence %1 s").arg(silence)));

    double sumSquares = 0.0;
    int peak = 0;
    for (int i = 0; i < end; ++i) {
        const int v = sample(i);
        peak = qMax(peak, qAbs(v));
        sumSquares += double(v) * v;
    }
    const double rms = std::sqrt(sumSquares / qMax(1, end));
    QVERIFY2(peak > 3000, qPrintable(QStringLiteral("peak %1").arg(peak)));
    QVERIFY2(rms > 300, qPrintable(QStringLiteral("rms %1").arg(rms)));
    QVERIFY2(peak < 32767, "clipped"); // nothing driven into the limit
}

void TestAssets::clicksDiffer()
{
    QFile a(binDir() + QStringLiteral("/Geluiden/Klik 01.wav"));
    QFile b(binDir() + QStringLiteral("/Geluiden/Klik 02.wav"));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QVERIFY(readWav(a.readAll()).data != readWav(b.readAll()).data);
}

void TestAssets::designPicture_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("holder");
    QTest::newRow("interface") << QStringLiteral(":/design/interface.svg") << QSize(433, 377);
    QTest::newRow("io_panel") << QStringLiteral(":/design/io_panel.svg") << QSize(251, 238);
    QTest::newRow("about") << QStringLiteral(":/design/about.svg") << QSize(149, 83);
    QTest::newRow("noodstop") << QStringLiteral(":/design/noodstop.svg") << QSize(137, 83);
}

void TestAssets::designPicture()
{
    QFETCH(QString, path);
    QFETCH(QSize, holder);
    // Loaded the way the main window loads them: through the image plugin.
    QImageReader reader(path);
    QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
    QCOMPARE(reader.format(), QByteArray("svg"));
    const QSize natural = reader.size();
    QVERIFY(natural.isValid());
    const double aspect = double(natural.width()) / natural.height();
    const double wanted = double(holder.width()) / holder.height();
    QVERIFY2(std::abs(aspect - wanted) / wanted < 0.03, qPrintable(QString::number(aspect)));
    reader.setScaledSize(holder);
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), holder);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(image.pixel(holder.width() / 2, holder.height() / 2));
    QVERIFY(differingShare(image, flat) > 0.05);
}

QTEST_MAIN(TestAssets)
#include "tst_assets.moc"
