#pragma once

#include "controls/color.h"

#include <QAbstractButton>
#include <QImage>
#include <QObject>
#include <QTimer>
#include <QVector>
#include <QWidget>
#include <memory>

namespace platform
{
class Clock;
}

class QSvgRenderer;

// The small control layer the program is written against: Qt widgets that
// carry the properties of classic form controls (twip geometry, numeric
// colours, captions, fonts by name and point size, pictures by path) as Qt
// properties, show them faithfully whatever the Qt style, and read back
// exactly what was set.
namespace ctl
{

// A loaded picture: a bitmap, or a vector drawing rendered at the size it
// is shown (so that start-up does not pay for sizes nobody sees).
class LoadedPicture
{
  public:
    static LoadedPicture load(const QString& path);
    bool isNull() const { return m_image.isNull() && !m_svg; }
    // The picture at its natural size.
    const QImage& image() const;
    QSize naturalSize() const;
    // The picture rendered for a given size (cached for the last size).
    const QImage& scaled(const QSize& size) const;

  private:
    mutable QImage m_image;
    std::shared_ptr<QSvgRenderer> m_svg;
    mutable QImage m_scaled;
};

// Shared state and behaviour of every visible control kind.
class ControlProps
{
  public:
    virtual ~ControlProps() = default;

    double Left() const { return m_left; }
    double Top() const { return m_top; }
    double Width() const { return m_width; }
    double Height() const { return m_height; }
    void setLeft(double v);
    void setTop(double v);
    void setWidth(double v);
    void setHeight(double v);
    void setTwipGeometry(double left, double top, double width, double height);

    OleColor BackColor() const { return m_back; }
    void setBackColor(OleColor c);
    OleColor ForeColor() const { return m_fore; }
    void setForeColor(OleColor c);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& text);

    bool Enabled() const;
    void setEnabledProp(bool on);
    bool Visible() const;
    void setVisibleProp(bool on);
    QString ToolTipText() const;
    void setToolTipText(const QString& text);

    QString FontName() const { return m_fontName; }
    void setFontName(const QString& name);
    double FontSize() const { return m_fontSize; }
    // A size of 0 or less is refused and leaves the font as it was.
    void setFontSize(double points);
    bool FontBold() const { return m_fontBold; }
    void setFontBold(bool bold);

    QColor qBack() const { return toQColor(m_back, m_self->palette()); }
    QColor qFore() const { return toQColor(m_fore, m_self->palette()); }

  protected:
    explicit ControlProps(QWidget* self, OleColor back, OleColor fore);
    virtual void captionChanged() {}
    void applyGeometry();
    void applyFont();

    QWidget* m_self;
    double m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    OleColor m_back;
    OleColor m_fore;
    QString m_caption;
    QString m_fontName = QStringLiteral("MS Sans Serif");
    double m_fontSize = 8.25;
    bool m_fontBold = false;
};

// A frame: a filled rectangle with an optional etched border and caption.
class Frame : public QWidget, public ControlProps
{
    Q_OBJECT
    Q_PROPERTY(double Left READ Left WRITE setLeft)
    Q_PROPERTY(double Top READ Top WRITE setTop)
    Q_PROPERTY(double Width READ Width WRITE setWidth)
    Q_PROPERTY(double Height READ Height WRITE setHeight)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(uint ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption NOTIFY CaptionChanged)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledProp)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisibleProp)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName)
    Q_PROPERTY(double FontSize READ FontSize WRITE setFontSize)
    Q_PROPERTY(bool FontBold READ FontBold WRITE setFontBold)
  public:
    explicit Frame(QWidget* parent, bool border = true);
    bool hasBorder() const { return m_border; }

  signals:
    void CaptionChanged(const QString& caption);
    void MouseMove();
    void MouseUp(Qt::MouseButton button);

  protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void captionChanged() override;

  private:
    bool m_border;
};

// A push button that shows its back colour (and optionally a picture).
class CommandButton : public QAbstractButton, public ControlProps
{
    Q_OBJECT
    Q_PROPERTY(double Left READ Left WRITE setLeft)
    Q_PROPERTY(double Top READ Top WRITE setTop)
    Q_PROPERTY(double Width READ Width WRITE setWidth)
    Q_PROPERTY(double Height READ Height WRITE setHeight)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledProp)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisibleProp)
    Q_PROPERTY(QString ToolTipText READ ToolTipText WRITE setToolTipText)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName)
    Q_PROPERTY(double FontSize READ FontSize WRITE setFontSize)
    Q_PROPERTY(bool FontBold READ FontBold WRITE setFontBold)
    Q_PROPERTY(QString Picture READ Picture WRITE setPicture)
  public:
    explicit CommandButton(QWidget* parent);
    QString Picture() const { return m_picturePath; }
    void setPicture(const QString& path);
    QSize sizeHint() const override;
    // Text added after ToolTipText in the tooltip shown and in the
    // description a screen reader reads, e.g. "(toets Esc)"; ToolTipText
    // itself stays as it was set.
    void setKeyHint(const QString& hint);
    QString keyHint() const { return m_keyHint; }
    // The tooltip as shown: ToolTipText and the key hint.
    QString shownToolTip() const;

  signals:
    void MouseMove();
    void CaptionChanged(const QString& caption);

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void captionChanged() override;
    // A checkable button shows a state the program sets (the station in
    // view); a click or a key never toggles it.
    void nextCheckState() override {}

  private:
    QString m_keyHint;
    QString m_picturePath;
    LoadedPicture m_picture;
};

// A label: text on its back colour, or on its container when transparent.
class Label : public QWidget, public ControlProps
{
    Q_OBJECT
    Q_PROPERTY(double Left READ Left WRITE setLeft)
    Q_PROPERTY(double Top READ Top WRITE setTop)
    Q_PROPERTY(double Width READ Width WRITE setWidth)
    Q_PROPERTY(double Height READ Height WRITE setHeight)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(uint ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledProp)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisibleProp)
    Q_PROPERTY(QString ToolTipText READ ToolTipText WRITE setToolTipText)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName)
    Q_PROPERTY(double FontSize READ FontSize WRITE setFontSize)
    Q_PROPERTY(bool FontBold READ FontBold WRITE setFontBold)
  public:
    explicit Label(QWidget* parent);
    void setTransparent(bool on);
    bool isTransparent() const { return m_transparent; }
    void setAlignment(Qt::Alignment a);

  signals:
    void MouseMove();
    void CaptionChanged(const QString& caption);

  protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    // A label takes its clicks itself; they never reach its container.
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void captionChanged() override;

  private:
    bool m_transparent = false;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignTop;
};

// One line of text printed onto a picture box.
struct PrintedText {
    QString text;
    double x = 0; // twips from the left of the drawing surface
    double y = 0; // twips from the top
    double fontSize = 0;
    OleColor color = 0;
};

// A picture box with text output: a current position, Print, Cls and a
// persistent drawing that survives repaints. Changing the back colour
// erases the drawing.
class PictureBox : public QWidget, public ControlProps
{
    Q_OBJECT
    Q_PROPERTY(double Left READ Left WRITE setLeft)
    Q_PROPERTY(double Top READ Top WRITE setTop)
    Q_PROPERTY(double Width READ Width WRITE setWidth)
    Q_PROPERTY(double Height READ Height WRITE setHeight)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(uint ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledProp)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisibleProp)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName)
    Q_PROPERTY(double FontSize READ FontSize WRITE setFontSize)
    Q_PROPERTY(bool FontBold READ FontBold WRITE setFontBold)
    Q_PROPERTY(double CurrentX READ CurrentX WRITE setCurrentX)
    Q_PROPERTY(double CurrentY READ CurrentY WRITE setCurrentY)
  public:
    explicit PictureBox(QWidget* parent);

    double CurrentX() const { return m_currentX; }
    double CurrentY() const { return m_currentY; }
    void setCurrentX(double twips) { m_currentX = twips; }
    void setCurrentY(double twips) { m_currentY = twips; }

    void Cls();
    // Writes one line at the current position, then moves to the left
    // margin of the next line.
    void Print(const QString& text);
    double TextHeight(const QString& text) const;
    double TextWidth(const QString& text) const;
    // Width of one text column: the average character width of the font.
    double columnWidth() const;

    // What has been printed since the last Cls, in order.
    const QVector<PrintedText>& printed() const { return m_printed; }
    const QImage& drawing() const { return m_drawing; }

  signals:
    void MouseMove();

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    void ensureDrawing(int neededHeight);
    double m_currentX = 0;
    double m_currentY = 0;
    QImage m_drawing;
    QVector<PrintedText> m_printed;

    friend class ControlProps;
};

// An image that stretches its picture to its own size.
class Image : public QWidget, public ControlProps
{
    Q_OBJECT
    Q_PROPERTY(double Left READ Left WRITE setLeft)
    Q_PROPERTY(double Top READ Top WRITE setTop)
    Q_PROPERTY(double Width READ Width WRITE setWidth)
    Q_PROPERTY(double Height READ Height WRITE setHeight)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledProp)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisibleProp)
    Q_PROPERTY(QString Picture READ Picture WRITE setPicture)
  public:
    explicit Image(QWidget* parent);
    QString Picture() const { return m_picturePath; }
    // Loads a picture file (or a resource); an empty path, or a file that
    // cannot be read, leaves the image empty (the latter with a warning).
    // Returns whether a picture is shown.
    bool setPicture(const QString& path);
    void clearPicture() { setPicture(QString()); }
    const QImage& picture() const { return m_picture.image(); }

  signals:
    void Click();
    void PictureChanged();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mousePressEvent(QMouseEvent*) override;

  private:
    QString m_picturePath;
    LoadedPicture m_picture;
    bool m_pressed = false;
};

// A shape: a plain or rounded rectangle with a solid fill.
class Shape : public QWidget, public ControlProps
{
    Q_OBJECT
    Q_PROPERTY(double Left READ Left WRITE setLeft)
    Q_PROPERTY(double Top READ Top WRITE setTop)
    Q_PROPERTY(double Width READ Width WRITE setWidth)
    Q_PROPERTY(double Height READ Height WRITE setHeight)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(uint FillColor READ FillColor WRITE setFillColor)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisibleProp)
  public:
    enum class Form { Rectangle, RoundedRectangle };
    explicit Shape(QWidget* parent, Form form);
    OleColor FillColor() const { return m_fill; }
    void setFillColor(OleColor c);
    Form form() const { return m_form; }
    void setBorder(bool on);
    // A stale lamp may not show what the device holds: it keeps its colour
    // under a hatch and a dashed red border.
    bool isStale() const { return m_stale; }
    void setStale(bool on);
    // Makes the shape a lamp that is lit while filled with `litColor`; a
    // screen reader then reads it as a read-only check box, checked while
    // lit.
    void setLitColor(OleColor litColor);
    bool isLamp() const { return m_lamp; }
    bool isLit() const { return m_lamp && m_fill == m_litColor; }

  signals:
    // Only when the colour really changes.
    void FillColorChanged(uint color);
    void StaleChanged(bool stale);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    Form m_form;
    OleColor m_fill = 0;
    bool m_border = true;
    bool m_stale = false;
    bool m_lamp = false;
    OleColor m_litColor = 0;
};

// An option button (radio button) that shows its back colour.
class OptionButton : public QAbstractButton, public ControlProps
{
    Q_OBJECT
    Q_PROPERTY(double Left READ Left WRITE setLeft)
    Q_PROPERTY(double Top READ Top WRITE setTop)
    Q_PROPERTY(double Width READ Width WRITE setWidth)
    Q_PROPERTY(double Height READ Height WRITE setHeight)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(uint ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledProp)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisibleProp)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName)
    Q_PROPERTY(double FontSize READ FontSize WRITE setFontSize)
    Q_PROPERTY(bool Value READ Value WRITE setValue)
  public:
    explicit OptionButton(QWidget* parent);
    bool Value() const { return isChecked(); }
    void setValue(bool on);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent*) override;
    void captionChanged() override;
};

// A text box that shows (and may let the user edit) plain text.
class TextBox : public QWidget, public ControlProps
{
    Q_OBJECT
    Q_PROPERTY(double Left READ Left WRITE setLeft)
    Q_PROPERTY(double Top READ Top WRITE setTop)
    Q_PROPERTY(double Width READ Width WRITE setWidth)
    Q_PROPERTY(double Height READ Height WRITE setHeight)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(uint ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledProp)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisibleProp)
    Q_PROPERTY(QString FontName READ FontName WRITE setFontName)
    Q_PROPERTY(double FontSize READ FontSize WRITE setFontSize)
  public:
    explicit TextBox(QWidget* parent);
    QString Text() const { return m_caption; }
    void setText(const QString& text) { setCaption(text); }

  protected:
    void paintEvent(QPaintEvent*) override;
    void captionChanged() override { update(); }
};

// A timer with an interval in milliseconds that ticks while enabled.
class Timer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Interval READ Interval WRITE setInterval)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabledProp)
  public:
    explicit Timer(QObject* parent, int intervalMs = 0);
    int Interval() const { return m_timer.interval(); }
    void setInterval(int ms);
    bool Enabled() const { return m_enabled; }
    // Enabling a running timer restarts its interval; an interval of 0
    // keeps the timer from ticking.
    void setEnabledProp(bool on);
    // Ticks on `clock` instead of its own timer (tests move it by hand);
    // the caller keeps the clock alive as long as the timer.
    void setClock(platform::Clock* clock);

  signals:
    void Tick();

  private:
    void sync();
    QTimer m_timer;
    platform::Clock* m_clock = nullptr;
    bool m_enabled = false;
};

} // namespace ctl
