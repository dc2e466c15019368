#include "picture_render.h"

#include <QFile>
#include <QFont>
#include <QPainter>
#include <QSvgRenderer>
#include <QtMath>

namespace
{

// The colour that marks the described part in the numbered pictures.
const QColor kMarkColour(255, 122, 0);
const QColor kInkColour(38, 50, 66);

QRectF viewOf(QSvgRenderer& svg, const PictureJob& job)
{
    return job.view ? *job.view : svg.viewBoxF();
}

// Maps drawing coordinates of the view onto the image, keeping the aspect
// ratio and centring.
QTransform viewToImage(const QRectF& view, QSize size)
{
    const qreal s = qMin(size.width() / view.width(), size.height() / view.height());
    const qreal dx = (size.width() - view.width() * s) / 2.0;
    const qreal dy = (size.height() - view.height() * s) / 2.0;
    QTransform t;
    t.translate(dx, dy);
    t.scale(s, s);
    t.translate(-view.x(), -view.y());
    return t;
}

QRectF elementRectOnImage(QSvgRenderer& svg, const QString& id, const QTransform& map)
{
    const QRectF local = svg.boundsOnElement(id);
    return map.mapRect(svg.transformForElement(id).mapRect(local));
}

QString plainKey(const PictureJob& job)
{
    QRectF v = job.view.value_or(QRectF());
    return QStringLiteral("%1|%2x%3|%4,%5,%6,%7|%8")
        .arg(job.source)
        .arg(job.size.width())
        .arg(job.size.height())
        .arg(v.x())
        .arg(v.y())
        .arg(v.width())
        .arg(v.height())
        .arg(job.layers.join(QLatin1Char(',')));
}

} // namespace

PictureRenderer::PictureRenderer(QString sourceDir) : m_sourceDir(std::move(sourceDir)) {}

PictureRenderer::~PictureRenderer() = default;

QSvgRenderer* PictureRenderer::rendererFor(const QString& source, QString* error)
{
    auto it = m_renderers.find(source);
    if (it != m_renderers.end())
        return it->get();
    const QString path = m_sourceDir + QLatin1Char('/') + source;
    auto svg = std::make_shared<QSvgRenderer>();
    if (!QFile::exists(path) || !svg->load(path) || !svg->isValid()) {
        *error = QStringLiteral("cannot read SVG %1").arg(path);
        return nullptr;
    }
    m_renderers.insert(source, svg);
    return svg.get();
}

QImage PictureRenderer::renderPlain(QSvgRenderer& svg, const PictureJob& job, QString* error)
{
    const QString key = plainKey(job);
    auto cached = m_plain.constFind(key);
    if (cached != m_plain.constEnd())
        return *cached;

    QImage image(job.size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const QRectF view = viewOf(svg, job);
    const QTransform map = viewToImage(view, job.size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (job.layers.isEmpty()) {
        svg.setViewBox(view);
        svg.render(&p, map.mapRect(view));
    } else {
        for (const QString& id : job.layers) {
            if (!svg.elementExists(id)) {
                *error = QStringLiteral("%1 has no element \"%2\"").arg(job.source, id);
                return {};
            }
            svg.render(&p, id, elementRectOnImage(svg, id, map));
        }
    }
    p.end();
    m_plain.insert(key, image);
    return image;
}

void PictureRenderer::markPart(QSvgRenderer& svg, const PictureJob& job, QImage& image,
                               QString* error)
{
    const QString partId = QStringLiteral("part-%1").arg(job.mark);
    const QString labelId = QStringLiteral("label-%1").arg(job.mark);
    const QString badgeId = QStringLiteral("badge-%1").arg(job.mark);
    for (const QString& id : {partId, labelId, badgeId}) {
        if (!svg.elementExists(id)) {
            *error = QStringLiteral("%1 has no element \"%2\"").arg(job.source, id);
            return;
        }
    }
    const QTransform map = viewToImage(viewOf(svg, job), job.size);

    // The part alone, on a transparent sheet.
    QImage part(job.size, QImage::Format_ARGB32_Premultiplied);
    part.fill(Qt::transparent);
    const QRectF partRect = elementRectOnImage(svg, partId, map);
    {
        QPainter p(&part);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        svg.render(&p, partId, partRect);
    }

    // Its silhouette in the mark colour, widened into a glow.
    const int glow = qMax(8, job.size.width() / 110);
    const QRect area = partRect.toAlignedRect()
                           .adjusted(-glow - 2, -glow - 2, glow + 2, glow + 2)
                           .intersected(image.rect());
    QImage silhouette = part.copy(area);
    {
        QPainter p(&silhouette);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(silhouette.rect(), kMarkColour);
    }
    QImage halo(area.size(), QImage::Format_ARGB32_Premultiplied);
    halo.fill(Qt::transparent);
    {
        QPainter p(&halo);
        for (int r = 2; r <= glow; r += 2) {
            const int steps = 8 + r * 2;
            for (int i = 0; i < steps; ++i) {
                const qreal a = 2.0 * M_PI * i / steps;
                p.drawImage(QPointF(r * qCos(a), r * qSin(a)), silhouette);
            }
        }
    }

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Fade everything else, then lay the glow and the part over it.
    p.fillRect(image.rect(), QColor(255, 255, 255, 165));
    p.setOpacity(0.9);
    p.drawImage(area.topLeft(), halo);
    p.setOpacity(1.0);
    p.drawImage(0, 0, part);
    svg.render(&p, labelId, elementRectOnImage(svg, labelId, map));

    // The number badge, filled in the mark colour and a little larger.
    const QRectF badge = elementRectOnImage(svg, badgeId, map);
    const qreal radius = qMax(badge.width(), badge.height()) * 0.62;
    const QPointF c = badge.center();
    p.setPen(QPen(Qt::white, radius * 0.16));
    p.setBrush(kMarkColour);
    p.drawEllipse(c, radius, radius);
    p.setPen(QPen(kInkColour, radius * 0.07));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, radius * 1.08, radius * 1.08);
    QFont font(QStringLiteral("Comic Neue"));
    font.setBold(true);
    font.setPixelSize(qRound(radius * 1.15));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius), Qt::AlignCenter,
               QString::number(job.mark));
}

QImage PictureRenderer::render(const PictureJob& job, QString* error)
{
    error->clear();
    QSvgRenderer* svg = rendererFor(job.source, error);
    if (!svg)
        return {};
    QImage image = renderPlain(*svg, job, error);
    if (image.isNull())
        return {};
    if (job.mark > 0) {
        markPart(*svg, job, image, error);
        if (!error->isEmpty())
            return {};
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage PictureRenderer::renderFile(const QString& path, QSize size)
{
    QSvgRenderer svg(path);
    if (!svg.isValid())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const QRectF view = svg.viewBoxF();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p, viewToImage(view, size).mapRect(view));
    return image.convertToFormat(QImage::Format_RGB32);
}
