// Colours on a console whose cells can be written (Windows), in a few console calls
// per flush instead of a write and an attribute change per coloured part: while
// colours are on, the text for standard output waits with the colour of each part,
// and at each flush it goes out in one write, after which its cells get their
// colours in one call. The devices of a listing go out one write each as they end
// and are painted together, a screenful at a time. What the screen shows is what a
// change per part would show.
#pragma once

#include <stdint.h>

// Makes what is written next `attributes` by painting. False where the console
// cannot be painted (or painting had to stop): the caller changes the console's
// attributes itself.
bool paint_colour(uint16_t attributes);
