#pragma once

#include <QWidget>
#include <memory>

// The main window's 84 controls as stock Qt widgets, with the same places,
// captions, colours and fonts but no pictures and no instruction text: what
// a straightforward port of the window costs, to compare start-up with.
std::unique_ptr<QWidget> makePlainWindow();
