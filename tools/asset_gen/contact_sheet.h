#pragma once

#include <QImage>
#include <QList>
#include <QString>

struct SheetEntry {
    QString caption;
    QImage image;
};

// One overview image with a thumbnail and the file name of every picture.
QImage contactSheet(const QList<SheetEntry>& entries);
