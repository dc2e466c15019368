#include "controls/color.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <cmath>

namespace ctl
{

QColor toQColor(OleColor color, const QPalette& palette)
{
    if (color & kSystemColorFlag) {
        switch (color & 0xFFu) {
        case 5:
            return palette.color(QPalette::Active, QPalette::Window);
        case 12:
            return palette.color(QPalette::Disabled, QPalette::WindowText);
        case 15:
            return palette.color(QPalette::Active, QPalette::Button);
        case 18:
            return palette.color(QPalette::Active, QPalette::ButtonText);
        case 22:
            return palette.color(QPalette::Active, QPalette::Light);
        default:
            return palette.color(QPalette::Active, QPalette::Window);
        }
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

int twipsToPixels(double twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

void installFontSubstitutes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("Comic Sans MS"), Qt::CaseInsensitive))
        QFont::insertSubstitutions(QStringLiteral("Comic Sans MS"),
                                   {QStringLiteral("Comic Neue"), QStringLiteral("Comic Relief"),
                                    QStringLiteral("Sans Serif")});
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"),
                              QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
}

QFont makeFont(const QString& name, double points, bool bold)
{
    installFontSubstitutes();
    QFont font(name);
    font.setStyleHint(QFont::SansSerif);
    // Sizes are set in device-independent pixels so that text keeps its
    // place relative to the twip layout whatever the screen's DPI setting.
    const int px = points > 0 ? std::max(1, int(std::lround(points * 96.0 / 72.0))) : 1;
    font.setPixelSize(px);
    font.setBold(bold);
    return font;
}

} // namespace ctl
