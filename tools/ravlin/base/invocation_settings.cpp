#include "invocation_settings.h"

InvocationSettings g_settings;

void reset_invocation_settings() {
    g_settings = InvocationSettings{};
    g_settings.saved_attributes = 7;
}
