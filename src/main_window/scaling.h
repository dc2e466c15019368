#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

namespace mw
{

// The recorded load-time geometry of one control (or, in the last entry,
// of the window itself: its outer size and font size).
struct BeginPositie {
    QPointer<QObject> Control;
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
    float FontSize = 0;
};

struct ScaleFactors {
    float FactorX = 1;
    float FactorY = 1;
    float FactorFont = 1;
};

// Width and height ratios of the window against its recorded size; the
// font follows the smaller one, and is exactly 1 when the two are equal.
ScaleFactors scaleFactors(double currentWidth, double currentHeight, double recordedWidth,
                          double recordedHeight);

struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// An ordinary control: position and size follow the two ratios.
TwipRect scaledRect(const BeginPositie& record, const ScaleFactors& f);

// A picture holder keeps its proportions (both sides grow with the font
// factor) and is centred in its frame, 150 twips (scaled) lower.
TwipRect centredPicture(const BeginPositie& record, const ScaleFactors& f, double frameWidth,
                        double frameHeight);

// Reads a control's geometry and font size; a property the control lacks
// stays 0.
BeginPositie recordControl(QObject* control);

// Writes a value; a property the control lacks, or a value it refuses, is
// skipped. Returns whether the value was taken.
bool writeProperty(QObject* control, const char* name, double value);

// Applies one rescale pass over the record (the last entry is the window).
// `pictureFrames` names the picture holders that are centred in a frame.
struct PictureRule {
    QObject* picture;
    QObject* frame;
};
void applyScaling(const std::vector<BeginPositie>& record, const ScaleFactors& f,
                  const std::vector<PictureRule>& pictures);

} // namespace mw
