#include "manifest.h"

#include <QRectF>
#include <QRegularExpression>

namespace
{

std::optional<QSize> parseSize(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^(\\d+)x(\\d+)$"));
    const auto m = re.match(s);
    if (!m.hasMatch())
        return std::nullopt;
    const int w = m.captured(1).toInt();
    const int h = m.captured(2).toInt();
    if (w < 1 || h < 1 || w > 8000 || h > 8000)
        return std::nullopt;
    return QSize(w, h);
}

std::optional<QRectF> parseRect(const QString& s)
{
    const QStringList parts = s.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return std::nullopt;
    return QRectF(v[0], v[1], v[2], v[3]);
}

} // namespace

ManifestResult parseManifest(const QString& text)
{
    ManifestResult result;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const auto fail = [&](const QString& why) {
            result.errors << QStringLiteral("line %1: %2").arg(n + 1).arg(why);
        };
        QStringList fields = line.split(QLatin1Char('|'));
        for (QString& f : fields)
            f = f.trimmed();
        if (fields.size() < 3) {
            fail(QStringLiteral("expected name | size | source"));
            continue;
        }
        PictureJob job;
        job.fileName = fields[0];
        if (job.fileName.isEmpty() || job.fileName.contains(QLatin1Char('/')) ||
            job.fileName.contains(QLatin1Char('\\'))) {
            fail(QStringLiteral("bad file name \"%1\"").arg(job.fileName));
            continue;
        }
        const auto size = parseSize(fields[1]);
        if (!size) {
            fail(QStringLiteral("bad size \"%1\"").arg(fields[1]));
            continue;
        }
        job.size = *size;
        job.source = fields[2];
        bool ok = !job.source.isEmpty();
        if (!ok)
            fail(QStringLiteral("missing source"));
        for (int i = 3; ok && i < fields.size(); ++i) {
            const QString& opt = fields[i];
            if (opt.startsWith(QLatin1String("view="))) {
                job.view = parseRect(opt.mid(5));
                if (!job.view) {
                    fail(QStringLiteral("bad view \"%1\"").arg(opt));
                    ok = false;
                }
            } else if (opt.startsWith(QLatin1String("layers="))) {
                job.layers = opt.mid(7).split(QLatin1Char(','), Qt::SkipEmptyParts);
                for (QString& l : job.layers)
                    l = l.trimmed();
            } else if (opt.startsWith(QLatin1String("mark="))) {
                job.mark = opt.mid(5).toInt(&ok);
                if (!ok || job.mark < 1) {
                    fail(QStringLiteral("bad mark \"%1\"").arg(opt));
                    ok = false;
                }
            } else {
                fail(QStringLiteral("unknown option \"%1\"").arg(opt));
                ok = false;
            }
        }
        if (ok)
            result.jobs << job;
    }
    return result;
}
