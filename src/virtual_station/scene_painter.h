#pragma once

#include "virtual_station/scene_model.h"

#include <array>

class QPainter;

namespace virt
{

// What the lamps and markers show besides the pose.
struct Signals {
    quint8 inputs = 0;
    quint8 outputs = 0;
    std::array<Force, sim::Simulation::InputCount> forces{};
};

// The parts that never move: wall, floor, frames, cylinder bodies, the
// belt's frame, the names. Drawn once per window size and kept.
void paintStatic(QPainter& p, const SceneLayout& layout);

// Everything that follows the station: rods, parts, lamps, forcing marks.
void paintMoving(QPainter& p, const SceneLayout& layout, const Pose& pose, const Signals& sig);

} // namespace virt
