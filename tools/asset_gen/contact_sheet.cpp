#include "contact_sheet.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

QImage contactSheet(const QList<SheetEntry>& entries)
{
    const int columns = 6;
    const QSize thumb(300, 240);
    const int captionHeight = 40;
    const int gap = 14;
    const int rows = (int(entries.size()) + columns - 1) / columns;
    const QSize cell(thumb.width() + gap, thumb.height() + captionHeight + gap);
    QImage sheet(columns * cell.width() + gap, qMax(1, rows) * cell.height() + gap,
                 QImage::Format_RGB32);
    sheet.fill(QColor(236, 240, 244));

    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    p.setFont(font);
    const QFontMetrics fm(font);
    for (int i = 0; i < entries.size(); ++i) {
        const QPoint origin(gap + (i % columns) * cell.width(),
                            gap + (i / columns) * cell.height());
        const QImage& img = entries[i].image;
        const QRect box(origin, thumb);
        p.fillRect(box, QColor(200, 206, 214));
        if (!img.isNull()) {
            const QImage scaled = img.scaled(thumb, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            p.drawImage(box.x() + (thumb.width() - scaled.width()) / 2,
                        box.y() + (thumb.height() - scaled.height()) / 2, scaled);
        }
        const QString sizeText = img.isNull()
                                     ? QStringLiteral("(niet te laden)")
                                     : QStringLiteral("%1 x %2").arg(img.width()).arg(img.height());
        p.setPen(QColor(30, 40, 50));
        const QRect text(origin.x(), origin.y() + thumb.height() + 2, thumb.width(),
                         captionHeight - 2);
        p.drawText(text, Qt::AlignHCenter | Qt::AlignTop,
                   fm.elidedText(entries[i].caption, Qt::ElideMiddle, thumb.width()) +
                       QLatin1Char('\n') + sizeText);
    }
    return sheet;
}
