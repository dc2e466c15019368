#include "main_window/scaling.h"

#include "controls/controls.h"

#include <QVariant>

namespace mw
{

ScaleFactors scaleFactors(double currentWidth, double currentHeight, double recordedWidth,
                          double recordedHeight)
{
    ScaleFactors f;
    f.FactorX = float(currentWidth / recordedWidth);
    f.FactorY = float(currentHeight / recordedHeight);
    if (f.FactorX > f.FactorY)
        f.FactorFont = f.FactorY;
    else if (f.FactorX < f.FactorY)
        f.FactorFont = f.FactorX;
    else
        f.FactorFont = 1; // equal factors: the font keeps its size
    return f;
}

TwipRect scaledRect(const BeginPositie& r, const ScaleFactors& f)
{
    return {double(f.FactorX) * r.Left, double(f.FactorY) * r.Top, double(f.FactorX) * r.Width,
            double(f.FactorY) * r.Height};
}

TwipRect centredPicture(const BeginPositie& r, const ScaleFactors& f, double frameWidth,
                        double frameHeight)
{
    TwipRect out;
    out.width = double(f.FactorFont) * r.Width;
    out.height = double(f.FactorFont) * r.Height;
    out.left = (frameWidth - out.width) / 2;
    out.top = double(f.FactorY) * 150 + (frameHeight - out.height) / 2;
    return out;
}

namespace
{

float readProperty(QObject* control, const char* name)
{
    const QVariant v = control->property(name);
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok ? float(d) : 0.0f;
}

} // namespace

BeginPositie recordControl(QObject* control)
{
    BeginPositie r;
    r.Control = control;
    if (!control)
        return r;
    r.Left = readProperty(control, "Left");
    r.Top = readProperty(control, "Top");
    r.Width = readProperty(control, "Width");
    r.Height = readProperty(control, "Height");
    r.FontSize = readProperty(control, "FontSize");
    return r;
}

bool writeProperty(QObject* control, const char* name, double value)
{
    if (!control || control->metaObject()->indexOfProperty(name) < 0)
        return false;
    if (qstrcmp(name, "FontSize") == 0 && !(value > 0))
        return false; // a font size of 0 is refused
    return control->setProperty(name, value);
}

void applyScaling(const std::vector<BeginPositie>& record, const ScaleFactors& f,
                  const std::vector<PictureRule>& pictures)
{
    if (record.empty())
        return;
    for (size_t k = 0; k + 1 < record.size(); ++k) {
        const BeginPositie& r = record[k];
        QObject* c = r.Control.data();
        if (!c)
            continue;
        const PictureRule* rule = nullptr;
        for (const PictureRule& p : pictures)
            if (p.picture == c)
                rule = &p;
        if (rule) {
            // The frame was rescaled earlier in this same pass.
            const double fw = rule->frame->property("Width").toDouble();
            const double fh = rule->frame->property("Height").toDouble();
            const TwipRect t = centredPicture(r, f, fw, fh);
            writeProperty(c, "Width", t.width);
            writeProperty(c, "Height", t.height);
            writeProperty(c, "Left", t.left);
            writeProperty(c, "Top", t.top);
            continue;
        }
        const TwipRect t = scaledRect(r, f);
        if (auto* control = dynamic_cast<ctl::ControlProps*>(c)) {
            // One geometry change instead of four moves and resizes.
            control->setTwipGeometry(t.left, t.top, t.width, t.height);
        } else {
            writeProperty(c, "Left", t.left);
            writeProperty(c, "Top", t.top);
            writeProperty(c, "Width", t.width);
            writeProperty(c, "Height", t.height);
        }
        writeProperty(c, "FontSize", double(f.FactorFont) * r.FontSize);
    }
}

} // namespace mw
