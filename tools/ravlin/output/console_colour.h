// Coloured output of the device display: console text attributes, only when -k
// switched colours on. A failed change is ignored.
#pragma once

#include <stdint.h>

constexpr uint16_t kColourYellow = 14;
constexpr uint16_t kColourLightBlue = 9;
constexpr uint16_t kColourIscsi = 0xF9;  // light blue on white
constexpr uint16_t kColourFc = 0xFC;     // light red on white
constexpr uint16_t kColourSas = 0x9F;    // white on light blue
constexpr uint16_t kColourGoodPath = 10; // light green
constexpr uint16_t kColourBadPath = 12;  // light red

// Gives standard output the attributes `attributes` when colours are on.
void set_colour(uint16_t attributes);
// Gives standard output the attributes saved when -k was read.
void restore_colour();
