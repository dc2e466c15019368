#pragma once

#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

// One picture the program loads: which SVG it comes from and how it is drawn.
//
// A manifest line reads
//   <file name> | <width>x<height> | <svg source> [| option ...]
// with the options
//   view=x,y,w,h   the part of the drawing to show (default: its viewBox)
//   layers=a,b     draw only these top-level element ids, in this order
//   mark=N         draw the numbered version for part N: everything faded,
//                  element "part-N" glowing, badge "badge-N" filled
// Blank lines and lines starting with '#' are ignored.
struct PictureJob {
    QString fileName;
    QSize size;
    QString source;
    std::optional<QRectF> view;
    QStringList layers;
    int mark = 0;
};

struct ManifestResult {
    QList<PictureJob> jobs;
    QStringList errors; // "line N: message"
};

ManifestResult parseManifest(const QString& text);
