#pragma once

// Time to paint one frame of the virtual station window at its default
// size into an image while the station moves (the shared conveyor and
// handling station: belt running with a part, carriage travelling), in
// milliseconds, averaged over many frames. The cached background is made
// once before timing starts, as it is in the window.
double measureVirtualStationFrameMs();
