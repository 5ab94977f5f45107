// Standard output's mode on Windows. No windows.h: the C runtime's own calls.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include "platform.h"

bool platform_stdout_binary(bool binary) { return _setmode(_fileno(stdout), binary ? _O_BINARY : _O_TEXT) != -1; }
