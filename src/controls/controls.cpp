#include "controls/controls.h"

#include "platform/clock.h"
#include "platform/services.h"

#include <QAccessible>
#include <QCache>
#include <QFile>
#include <QHash>
#include <QHelpEvent>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QSvgRenderer>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <optional>
#include <sys/stat.h>

namespace ctl
{

namespace
{

// Tells a screen reader that something it reads of `w` changed.
void notifyAccessible(QWidget* w, QAccessible::Event what)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent e(w, what);
    QAccessible::updateAccessibility(&e);
}

} // namespace

// ---------------------------------------------------------------- ControlProps

ControlProps::ControlProps(QWidget* self, OleColor back, OleColor fore)
    : m_self(self), m_back(back), m_fore(fore)
{
}

void ControlProps::setLeft(double v)
{
    m_left = v;
    applyGeometry();
}
void ControlProps::setTop(double v)
{
    m_top = v;
    applyGeometry();
}
void ControlProps::setWidth(double v)
{
    m_width = v;
    applyGeometry();
}
void ControlProps::setHeight(double v)
{
    m_height = v;
    applyGeometry();
}

void ControlProps::setTwipGeometry(double left, double top, double width, double height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
}

void ControlProps::applyGeometry()
{
    // Round the edges, not the sizes, so that neighbouring controls stay
    // flush whatever the scale.
    const int x = twipsToPixels(m_left);
    const int y = twipsToPixels(m_top);
    const int w = std::max(0, twipsToPixels(m_left + m_width) - x);
    const int h = std::max(0, twipsToPixels(m_top + m_height) - y);
    m_self->setGeometry(x, y, w, h);
}

void ControlProps::setBackColor(OleColor c)
{
    m_back = c;
    m_self->update();
}

void ControlProps::setForeColor(OleColor c)
{
    m_fore = c;
    m_self->update();
}

void ControlProps::setCaption(const QString& text)
{
    if (text == m_caption)
        return;
    m_caption = text;
    m_self->update();
    captionChanged();
}

bool ControlProps::Enabled() const
{
    return !m_self->testAttribute(Qt::WA_ForceDisabled);
}

void ControlProps::setEnabledProp(bool on)
{
    m_self->setEnabled(on);
    m_self->update();
}

bool ControlProps::Visible() const
{
    return !m_self->testAttribute(Qt::WA_WState_ExplicitShowHide) ||
           !m_self->testAttribute(Qt::WA_WState_Hidden);
}

void ControlProps::setVisibleProp(bool on)
{
    m_self->setVisible(on);
}

QString ControlProps::ToolTipText() const
{
    return m_self->toolTip();
}

void ControlProps::setToolTipText(const QString& text)
{
    m_self->setToolTip(text);
}

void ControlProps::setFontName(const QString& name)
{
    m_fontName = name;
    applyFont();
}

void ControlProps::setFontSize(double points)
{
    if (!(points > 0) || !std::isfinite(points))
        return;
    m_fontSize = points;
    applyFont();
}

void ControlProps::setFontBold(bool bold)
{
    m_fontBold = bold;
    applyFont();
}

void ControlProps::applyFont()
{
    m_self->setFont(makeFont(m_fontName, m_fontSize, m_fontBold));
    m_self->update();
}

namespace
{

QColor disabledText(const QWidget* w)
{
    return w->palette().color(QPalette::Disabled, QPalette::WindowText);
}

// Draws text the way a disabled classic control does: etched in grey.
void drawEtchedText(QPainter& p, const QRect& r, int flags, const QString& text, const QWidget* w)
{
    p.setPen(w->palette().color(QPalette::Active, QPalette::Light));
    p.drawText(r.translated(1, 1), flags, text);
    p.setPen(disabledText(w));
    p.drawText(r, flags, text);
}

void drawBevel(QPainter& p, const QRect& r, bool sunken, const QPalette& pal)
{
    const QColor light = pal.color(QPalette::Light);
    const QColor mid = pal.color(QPalette::Mid);
    const QColor dark = QColor(Qt::black);
    const QRect o = r.adjusted(0, 0, -1, -1);
    if (sunken) {
        p.setPen(dark);
        p.drawRect(o);
        p.setPen(mid);
        p.drawLine(o.left() + 1, o.top() + 1, o.right() - 1, o.top() + 1);
        p.drawLine(o.left() + 1, o.top() + 1, o.left() + 1, o.bottom() - 1);
        return;
    }
    p.setPen(light);
    p.drawLine(o.topLeft(), o.topRight());
    p.drawLine(o.topLeft(), o.bottomLeft());
    p.setPen(dark);
    p.drawLine(o.bottomLeft(), o.bottomRight());
    p.drawLine(o.topRight(), o.bottomRight());
    p.setPen(mid);
    p.drawLine(o.left() + 1, o.bottom() - 1, o.right() - 1, o.bottom() - 1);
    p.drawLine(o.right() - 1, o.top() + 1, o.right() - 1, o.bottom() - 1);
}

// Which version of a file was read: a file written again, or replaced by
// another (a link turned into a copy), has another stamp.
struct FileStamp {
    dev_t device{};
    ino_t inode{};
    off_t size{};
    qint64 modifiedNs{};

    static std::optional<FileStamp> of(const QString& path)
    {
        struct stat st {
        };
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return std::nullopt;
        return FileStamp{st.st_dev, st.st_ino, st.st_size,
                         qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
    bool operator==(const FileStamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size &&
               modifiedNs == o.modifiedNs;
    }
};

struct CachedImage {
    FileStamp stamp;
    QImage image;
};

// Decoded pictures, at most 32 MB of them: every station picture fits
// (3 MB each decoded), the numbered step pictures come and go. The cost is
// in kilobytes. Used from the window's thread only.
QCache<QString, CachedImage>& imageCache()
{
    static QCache<QString, CachedImage> cache(32 * 1024);
    return cache;
}

} // namespace

LoadedPicture LoadedPicture::load(const QString& path)
{
    LoadedPicture p;
    if (path.isEmpty())
        return p;
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        // The window's own drawings are built in and never change: each is
        // parsed once, not for every window that shows it.
        static QHash<QString, std::shared_ptr<QSvgRenderer>> builtIn;
        const bool resource = path.startsWith(QLatin1Char(':'));
        if (resource && builtIn.contains(path)) {
            p.m_svg = builtIn.value(path);
            return p;
        }
        auto svg = std::make_shared<QSvgRenderer>(path);
        if (svg->isValid()) {
            if (resource)
                builtIn.insert(path, svg);
            p.m_svg = std::move(svg);
            return p;
        }
        qCWarning(lcDravik) << "cannot load picture" << path << ": not a valid drawing";
        return p;
    }
    // A station's pictures are read again each time it is chosen; a file
    // that did not change since it was last read is not decoded again.
    const std::optional<FileStamp> stamp = FileStamp::of(path);
    if (stamp) {
        if (const CachedImage* hit = imageCache().object(path); hit && hit->stamp == *stamp) {
            p.m_image = hit->image;
            return p;
        }
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    p.m_image = reader.read();
    if (p.m_image.isNull()) {
        qCWarning(lcDravik) << "cannot load picture" << path << ":" << reader.errorString();
        imageCache().remove(path);
    } else if (stamp) {
        imageCache().insert(path, new CachedImage{*stamp, p.m_image},
                            std::max<qsizetype>(1, p.m_image.sizeInBytes() / 1024));
    }
    return p;
}

const QImage& LoadedPicture::image() const
{
    if (m_image.isNull() && m_svg) {
        m_image = QImage(m_svg->defaultSize(), QImage::Format_ARGB32_Premultiplied);
        m_image.fill(Qt::transparent);
        QPainter painter(&m_image);
        m_svg->render(&painter);
    }
    return m_image;
}

QSize LoadedPicture::naturalSize() const
{
    return m_svg && m_image.isNull() ? m_svg->defaultSize() : m_image.size();
}

const QImage& LoadedPicture::scaled(const QSize& size) const
{
    if (m_scaled.size() == size && !m_scaled.isNull())
        return m_scaled;
    if (size.isEmpty()) {
        m_scaled = QImage();
        return m_scaled;
    }
    if (m_svg) {
        m_scaled = QImage(size, QImage::Format_ARGB32_Premultiplied);
        m_scaled.fill(Qt::transparent);
        QPainter painter(&m_scaled);
        painter.setRenderHint(QPainter::Antialiasing);
        m_svg->render(&painter);
    } else {
        m_scaled = image().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return m_scaled;
}

// ---------------------------------------------------------------- Frame

Frame::Frame(QWidget* parent, bool border)
    : QWidget(parent), ControlProps(this, kButtonFace, kButtonText), m_border(border)
{
    applyFont();
}

void Frame::captionChanged()
{
    notifyAccessible(this, QAccessible::NameChanged);
    emit CaptionChanged(m_caption);
}

void Frame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), qBack());
    if (!m_border)
        return;
    const QFontMetrics fm(font());
    const int top = m_caption.isEmpty() ? 0 : fm.height() / 2;
    const QRect box = rect().adjusted(0, top, -1, -1);
    // Etched border: a dark line with a light line beside it.
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(box.adjusted(1, 1, 0, 0));
    if (m_caption.isEmpty())
        return;
    const int textWidth = fm.horizontalAdvance(m_caption);
    const QRect textRect(8, 0, std::min(textWidth + 4, std::max(0, width() - 12)), fm.height());
    p.fillRect(textRect, qBack());
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    if (isEnabled()) {
        p.setPen(qFore());
        p.drawText(textRect.adjusted(2, 0, 0, 0), flags, m_caption);
    } else {
        drawEtchedText(p, textRect.adjusted(2, 0, 0, 0), flags, m_caption, this);
    }
}

void Frame::mouseMoveEvent(QMouseEvent* e)
{
    QWidget::mouseMoveEvent(e);
    // A move over a control is not also a move over its container.
    e->accept();
    emit MouseMove();
}

void Frame::mousePressEvent(QMouseEvent* e)
{
    e->accept();
}

void Frame::mouseReleaseEvent(QMouseEvent* e)
{
    emit MouseUp(e->button());
    e->accept();
}

// ---------------------------------------------------------------- CommandButton

CommandButton::CommandButton(QWidget* parent)
    : QAbstractButton(parent), ControlProps(this, kButtonFace, kButtonText)
{
    setFocusPolicy(Qt::StrongFocus);
    applyFont();
}

void CommandButton::captionChanged()
{
    setText(m_caption);
    emit CaptionChanged(m_caption);
}

void CommandButton::setKeyHint(const QString& hint)
{
    m_keyHint = hint;
    setAccessibleDescription(shownToolTip());
}

QString CommandButton::shownToolTip() const
{
    const QString base = toolTip();
    if (m_keyHint.isEmpty() || base.isEmpty())
        return base + m_keyHint;
    return base + QLatin1Char(' ') + m_keyHint;
}

bool CommandButton::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip && !m_keyHint.isEmpty()) {
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), shownToolTip(), this);
        return true;
    }
    return QAbstractButton::event(e);
}

void CommandButton::setPicture(const QString& path)
{
    m_picture = LoadedPicture::load(path);
    m_picturePath = m_picture.isNull() ? QString() : path;
    update();
}

QSize CommandButton::sizeHint() const
{
    return size();
}

void CommandButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), qBack());
    const bool sunken = isDown();
    const int shift = sunken ? 1 : 0;
    if (!m_picture.isNull()) {
        const QRect area = rect().adjusted(4, 4, -4, -4).translated(shift, shift);
        QSize s = m_picture.naturalSize().scaled(area.size(), Qt::KeepAspectRatio);
        QRect target(QPoint(0, 0), s);
        target.moveCenter(area.center());
        p.drawImage(target.topLeft(), m_picture.scaled(s));
    }
    if (!m_caption.isEmpty()) {
        const QRect area = rect().adjusted(4, 2, -4, -2).translated(shift, shift);
        const int flags = Qt::AlignCenter | Qt::TextWordWrap;
        if (isEnabled()) {
            p.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
            p.drawText(area, flags, m_caption);
        } else {
            drawEtchedText(p, area, flags, m_caption, this);
        }
    }
    drawBevel(p, rect(), sunken, palette());
    if (hasFocus()) {
        QPen pen(Qt::black, 1, Qt::DotLine);
        p.setPen(pen);
        p.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

void CommandButton::mouseMoveEvent(QMouseEvent* e)
{
    QAbstractButton::mouseMoveEvent(e);
    // A move over a control is not also a move over its container.
    e->accept();
    emit MouseMove();
}

// ---------------------------------------------------------------- Label

Label::Label(QWidget* parent) : QWidget(parent), ControlProps(this, kButtonFace, kButtonText)
{
    applyFont();
}

void Label::setTransparent(bool on)
{
    m_transparent = on;
    update();
}

void Label::setAlignment(Qt::Alignment a)
{
    m_alignment = a;
    update();
}

void Label::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_transparent)
        p.fillRect(rect(), qBack());
    if (m_caption.isEmpty())
        return;
    const int flags = int(m_alignment) | Qt::TextWordWrap;
    if (isEnabled()) {
        p.setPen(qFore());
        p.drawText(rect(), flags, m_caption);
    } else {
        drawEtchedText(p, rect(), flags, m_caption, this);
    }
}

void Label::captionChanged()
{
    update();
    notifyAccessible(this, QAccessible::NameChanged);
    emit CaptionChanged(m_caption);
}

void Label::mouseMoveEvent(QMouseEvent* e)
{
    QWidget::mouseMoveEvent(e);
    // A move over a control is not also a move over its container.
    e->accept();
    emit MouseMove();
}

void Label::mousePressEvent(QMouseEvent* e)
{
    e->accept();
}

void Label::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
}

// ---------------------------------------------------------------- PictureBox

PictureBox::PictureBox(QWidget* parent)
    : QWidget(parent), ControlProps(this, kWindowBackground, kButtonText)
{
    applyFont();
}

void PictureBox::ensureDrawing(int neededHeight)
{
    // The buffer covers the box's width and only about as much of its
    // height as has been drawn on: a tall surface with a few lines of text
    // stays small. It grows by doubling, so that printing line after line
    // does not allocate, clear and copy a new buffer for every line.
    const int current = m_drawing.isNull() ? 0 : m_drawing.height();
    const int wanted = neededHeight > current ? std::max(neededHeight, 2 * current) : current;
    const int height = std::min(std::max(1, this->height()), std::max(1, wanted));
    const QSize s(std::max(1, width()), height);
    if (m_drawing.size() == s)
        return;
    QImage next(s, QImage::Format_ARGB32_Premultiplied);
    next.fill(Qt::transparent);
    if (!m_drawing.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, m_drawing);
    }
    m_drawing = next;
}

void PictureBox::resizeEvent(QResizeEvent*)
{
    // The drawing follows the box once something was drawn; boxes that are
    // never drawn on keep no buffer at all.
    if (!m_drawing.isNull())
        ensureDrawing(m_drawing.height());
}

void PictureBox::Cls()
{
    if (!m_drawing.isNull())
        m_drawing.fill(Qt::transparent);
    m_printed.clear();
    m_currentX = 0;
    m_currentY = 0;
    update();
    notifyAccessible(this, QAccessible::DescriptionChanged);
}

void PictureBox::Print(const QString& text)
{
    const QFontMetrics fm(font());
    ensureDrawing(int(std::ceil(m_currentY / kTwipsPerPixel)) + fm.height() + 1);
    {
        QPainter p(&m_drawing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(font());
        p.setPen(qFore());
        const double x = m_currentX / kTwipsPerPixel;
        const double y = m_currentY / kTwipsPerPixel + fm.ascent();
        p.drawText(QPointF(x, y), text);
    }
    m_printed.append({text, m_currentX, m_currentY, m_fontSize, m_fore});
    m_currentX = 0;
    m_currentY += fm.height() * kTwipsPerPixel;
    update();
    notifyAccessible(this, QAccessible::DescriptionChanged);
}

double PictureBox::TextHeight(const QString&) const
{
    return QFontMetrics(font()).height() * kTwipsPerPixel;
}

double PictureBox::TextWidth(const QString& text) const
{
    return QFontMetrics(font()).horizontalAdvance(text) * kTwipsPerPixel;
}

double PictureBox::columnWidth() const
{
    return QFontMetrics(font()).averageCharWidth() * kTwipsPerPixel;
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), qBack());
    if (!m_drawing.isNull())
        p.drawImage(0, 0, m_drawing);
}

void PictureBox::mouseMoveEvent(QMouseEvent* e)
{
    QWidget::mouseMoveEvent(e);
    // A move over a control is not also a move over its container.
    e->accept();
    emit MouseMove();
}

void PictureBox::mousePressEvent(QMouseEvent* e)
{
    e->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e)
{
    e->accept();
}

// ---------------------------------------------------------------- Image

Image::Image(QWidget* parent) : QWidget(parent), ControlProps(this, kButtonFace, kButtonText) {}

bool Image::setPicture(const QString& path)
{
    m_picture = LoadedPicture::load(path);
    m_picturePath = m_picture.isNull() ? QString() : path;
    update();
    emit PictureChanged();
    return !m_picture.isNull();
}

void Image::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter p(this);
    p.drawImage(0, 0, m_picture.scaled(size()));
}

void Image::mousePressEvent(QMouseEvent* e)
{
    m_pressed = e->button() == Qt::LeftButton;
    e->accept();
}

void Image::mouseReleaseEvent(QMouseEvent* e)
{
    const bool click = m_pressed && e->button() == Qt::LeftButton && rect().contains(e->pos());
    m_pressed = false;
    e->accept();
    if (click)
        emit Click();
}

// ---------------------------------------------------------------- Shape

Shape::Shape(QWidget* parent, Form form)
    : QWidget(parent), ControlProps(this, kWindowBackground, kButtonText), m_form(form)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setFillColor(OleColor c)
{
    if (c == m_fill)
        return;
    const bool wasLit = isLit();
    m_fill = c;
    update();
    if (isLit() != wasLit && QAccessible::isActive()) {
        QAccessible::State checked;
        checked.checked = true;
        QAccessibleStateChangeEvent e(this, checked);
        QAccessible::updateAccessibility(&e);
    }
    emit FillColorChanged(c);
}

void Shape::setLitColor(OleColor litColor)
{
    m_lamp = true;
    m_litColor = litColor;
}

void Shape::setBorder(bool on)
{
    m_border = on;
    update();
}

void Shape::setStale(bool on)
{
    if (on == m_stale)
        return;
    m_stale = on;
    update();
    emit StaleChanged(on);
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor fill = toQColor(m_fill, palette());
    if (m_stale) {
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
        const double radius = m_form == Form::Rectangle ? 0 : std::min(r.width(), r.height()) / 4.0;
        p.setPen(QPen(Qt::red, 2, Qt::DashLine));
        p.setBrush(fill);
        p.drawRoundedRect(r, radius, radius);
        p.setPen(Qt::NoPen);
        p.setBrush(QBrush(Qt::black, Qt::BDiagPattern));
        p.drawRoundedRect(r, radius, radius);
        return;
    }
    if (m_form == Form::Rectangle) {
        p.fillRect(rect(), fill);
        if (m_border) {
            p.setPen(Qt::black);
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = std::min(r.width(), r.height()) / 4.0;
    p.setPen(m_border ? QPen(Qt::black, 1) : Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
}

// ---------------------------------------------------------------- OptionButton

OptionButton::OptionButton(QWidget* parent)
    : QAbstractButton(parent), ControlProps(this, kButtonFace, kButtonText)
{
    setCheckable(true);
    setAutoExclusive(true);
    setFocusPolicy(Qt::StrongFocus);
    applyFont();
}

void OptionButton::setValue(bool on)
{
    if (on) {
        setChecked(true);
        return;
    }
    // Exclusive buttons refuse to clear themselves; lift that for a moment.
    const bool exclusive = autoExclusive();
    setAutoExclusive(false);
    setChecked(false);
    setAutoExclusive(exclusive);
}

QSize OptionButton::sizeHint() const
{
    return size();
}

void OptionButton::captionChanged()
{
    setText(m_caption);
}

void OptionButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), qBack());
    p.setRenderHint(QPainter::Antialiasing);
    // A compact circle leaves room for two-digit captions in narrow buttons.
    const int d = std::min(11, std::max(6, height() - 4));
    const QRectF circle(1.5, (height() - d) / 2.0 + 0.5, d - 1, d - 1);
    p.setPen(QPen(palette().color(QPalette::Dark), 1));
    p.setBrush(isEnabled() ? Qt::white : palette().color(QPalette::Button));
    p.drawEllipse(circle);
    if (isChecked()) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(circle.adjusted(d / 4.0, d / 4.0, -d / 4.0, -d / 4.0));
    }
    const QRect textRect = rect().adjusted(d + 3, 0, 0, 0);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    if (isEnabled()) {
        p.setPen(qFore());
        p.drawText(textRect, flags, m_caption);
    } else {
        drawEtchedText(p, textRect, flags, m_caption, this);
    }
    if (hasFocus()) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        const int tw = QFontMetrics(font()).horizontalAdvance(m_caption);
        p.drawRect(QRect(textRect.left() - 2, 2, tw + 4, height() - 5));
    }
}

// ---------------------------------------------------------------- TextBox

TextBox::TextBox(QWidget* parent)
    : QWidget(parent), ControlProps(this, kWindowBackground, kButtonText)
{
    setBackColor(rgb(255, 255, 255));
    setForeColor(rgb(0, 0, 0));
    applyFont();
}

void TextBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), qBack());
    p.setPen(isEnabled() ? qFore() : disabledText(this));
    p.drawText(rect().adjusted(4, 3, -4, -3), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               m_caption);
    drawBevel(p, rect(), true, palette());
}

// ---------------------------------------------------------------- Timer

Timer::Timer(QObject* parent, int intervalMs) : QObject(parent)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &Timer::Tick);
}

void Timer::setInterval(int ms)
{
    m_timer.setInterval(std::max(0, ms));
    sync();
}

void Timer::setEnabledProp(bool on)
{
    m_enabled = on;
    sync();
}

void Timer::setClock(platform::Clock* clock)
{
    m_timer.stop();
    m_clock = clock;
    if (m_clock)
        m_clock->setWakeHandler([this] {
            // Armed again first: a tick that disables the timer cancels it.
            m_clock->wakeAfter(m_timer.interval());
            emit Tick();
        });
    sync();
}

void Timer::sync()
{
    const bool run = m_enabled && m_timer.interval() > 0;
    if (m_clock) {
        if (run)
            m_clock->wakeAfter(m_timer.interval());
        else
            m_clock->cancel();
        return;
    }
    if (run)
        m_timer.start();
    else
        m_timer.stop();
}

} // namespace ctl
