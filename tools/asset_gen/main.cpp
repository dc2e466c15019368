// asset_gen: writes the program's pictures (Afbeeldingen/) and sounds
// (Geluiden/) into an output folder, and on request an overview sheet.
//
//   asset_gen --source-dir <assets> --out-dir <dir> [--contact-sheet <png>]
//
// The pictures are listed in <assets>/pictures.txt (see manifest.h); the
// sounds are made in sound_synth.cpp.

#include "contact_sheet.h"
#include "manifest.h"
#include "picture_render.h"
#include "sound_synth.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QSaveFile>
#include <QSet>
#include <cstdio>

namespace
{

int fail(const QString& message)
{
    std::fprintf(stderr, "asset_gen: %s\n", qPrintable(message));
    return 1;
}

bool writeImage(const QImage& image, const QString& path, QString* error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    QImageWriter writer(path);
    if (suffix == QLatin1String("bmp")) {
        writer.setFormat("bmp");
    } else if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
        writer.setFormat("jpeg");
        writer.setQuality(88);
    } else if (suffix == QLatin1String("png")) {
        writer.setFormat("png");
    } else {
        *error = QStringLiteral("unsupported picture type: %1").arg(path);
        return false;
    }
    if (!writer.write(image)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, writer.errorString());
        return false;
    }
    return true;
}

bool writeFile(const QString& path, const QByteArray& data, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// The main window's design pictures, shown on the sheet at their holder sizes.
struct DesignPicture {
    const char* file;
    QSize size;
};
const DesignPicture kDesignPictures[] = {
    {"design/interface.svg", {866, 754}}, {"design/io_panel.svg", {502, 476}},
    {"design/about.svg", {298, 166}},     {"design/noodstop.svg", {274, 166}},
    {"automatiseren.svg", {256, 256}},
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("Renders the program's pictures and sounds."));
    cli.addHelpOption();
    const QCommandLineOption sourceOpt(QStringLiteral("source-dir"),
                                       QStringLiteral("Folder with pictures.txt and the SVGs."),
                                       QStringLiteral("dir"));
    const QCommandLineOption outOpt(QStringLiteral("out-dir"),
                                    QStringLiteral("Folder that receives Afbeeldingen/ and "
                                                   "Geluiden/."),
                                    QStringLiteral("dir"));
    const QCommandLineOption sheetOpt(QStringLiteral("contact-sheet"),
                                      QStringLiteral("Also write an overview PNG."),
                                      QStringLiteral("png"));
    cli.addOption(sourceOpt);
    cli.addOption(outOpt);
    cli.addOption(sheetOpt);
    cli.process(app);

    const QString sourceDir = cli.value(sourceOpt);
    const QString outDir = cli.value(outOpt);
    if (sourceDir.isEmpty() || outDir.isEmpty())
        return fail(QStringLiteral("--source-dir and --out-dir are required"));

    QElapsedTimer clock;
    clock.start();

    QFile manifestFile(sourceDir + QStringLiteral("/pictures.txt"));
    if (!manifestFile.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read %1").arg(manifestFile.fileName()));
    const ManifestResult manifest = parseManifest(QString::fromUtf8(manifestFile.readAll()));
    if (!manifest.errors.isEmpty())
        return fail(QStringLiteral("pictures.txt: ") + manifest.errors.join(QStringLiteral("; ")));

    // The program looks files up without regard to letter case, so two
    // names that differ only in case would be one file.
    QSet<QString> seen;
    for (const PictureJob& job : manifest.jobs) {
        const QString key = job.fileName.toLower();
        if (seen.contains(key))
            return fail(QStringLiteral("picture listed twice: %1").arg(job.fileName));
        seen.insert(key);
    }

    const QDir out(outDir);
    if (!out.mkpath(QStringLiteral("Afbeeldingen")) || !out.mkpath(QStringLiteral("Geluiden")))
        return fail(QStringLiteral("cannot create folders in %1").arg(outDir));

    const bool wantSheet = cli.isSet(sheetOpt);
    QList<SheetEntry> sheet;
    PictureRenderer renderer(sourceDir);
    for (const PictureJob& job : manifest.jobs) {
        QString error;
        const QImage image = renderer.render(job, &error);
        if (image.isNull())
            return fail(QStringLiteral("%1: %2").arg(job.fileName, error));
        if (!writeImage(image, out.filePath(QStringLiteral("Afbeeldingen/") + job.fileName),
                        &error))
            return fail(error);
        if (wantSheet)
            sheet.append({job.fileName, image});
    }

    const QList<SynthSound> sounds = synthesizeSounds();
    for (const SynthSound& sound : sounds) {
        QString error;
        if (!writeFile(out.filePath(QStringLiteral("Geluiden/") + sound.fileName),
                       wavFile(sound.samples, kSoundRate), &error))
            return fail(error);
    }

    if (wantSheet) {
        for (const DesignPicture& d : kDesignPictures) {
            const QString name = QString::fromLatin1(d.file);
            sheet.append(
                {name, PictureRenderer::renderFile(sourceDir + QLatin1Char('/') + name, d.size)});
        }
        QString error;
        if (!writeImage(contactSheet(sheet), cli.value(sheetOpt), &error))
            return fail(error);
    }

    std::printf("asset_gen: %d pictures, %d sounds in %s (%lld ms)\n", int(manifest.jobs.size()),
                int(sounds.size()), qPrintable(QDir::toNativeSeparators(outDir)),
                static_cast<long long>(clock.elapsed()));
    return 0;
}
