#pragma once

#include "manifest.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <memory>

class QSvgRenderer;

// Draws the pictures of the manifest from their SVG sources. Each source is
// parsed once; the plain picture of a source is kept so that its numbered
// versions only add the highlight.
class PictureRenderer
{
  public:
    explicit PictureRenderer(QString sourceDir);
    ~PictureRenderer();

    // Draws one picture. On failure returns a null image and sets *error.
    QImage render(const PictureJob& job, QString* error);

    // Draws an SVG file at the given size (aspect kept, white around it).
    static QImage renderFile(const QString& path, QSize size);

  private:
    QSvgRenderer* rendererFor(const QString& source, QString* error);
    QImage renderPlain(QSvgRenderer& svg, const PictureJob& job, QString* error);
    void markPart(QSvgRenderer& svg, const PictureJob& job, QImage& image, QString* error);

    QString m_sourceDir;
    QHash<QString, std::shared_ptr<QSvgRenderer>> m_renderers;
    QHash<QString, QImage> m_plain;
};
