// Scrambles the desktop icons for demos: every icon of the desktop list view (found as
// TORVINEL.EXE finds it) goes to a random place inside the view.
#pragma once

namespace driver {

// Moves every icon to a pseudo-random place (the same places for the same seed and
// view size); returns the number of icons, or -1 when there is no desktop list view.
int ScrambleDesktop(unsigned seed);

}  // namespace driver
