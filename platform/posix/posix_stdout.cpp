// Standard output's mode on Linux: there is only one, and a line end is "\n".
#include "platform.h"

bool platform_stdout_binary(bool) { return false; }
