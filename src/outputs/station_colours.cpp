#include "main_window/main.h"

// Station-button colours and hover: not built yet.
void Main::KleurBeheer(int) {}
void Main::stationButtonMouseMove(qint16) {}
