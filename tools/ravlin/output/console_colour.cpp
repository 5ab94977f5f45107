#include "console_colour.h"

#include "colour_painting.h"
#include "invocation_settings.h"
#include "output_policy.h"
#include "platform.h"

void set_colour(uint16_t attributes) {
    if (!g_settings.color_enabled) return;
    if (paint_colour(attributes)) return;
    // What is already printed keeps the colour it was printed in.
    flush_output();
    platform_console_set_attributes(attributes);
}

void restore_colour() { set_colour(g_settings.saved_attributes); }
