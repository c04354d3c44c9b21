// The command line, read before anything needs a display: --help and --version print and end
// the program, an unknown option prints the usage and ends it with 2. Qt's own options
// (-display, -platform, -session, ...) pass through to the application untouched.
#pragma once

#include <optional>

// The exit code when the program should end at once; nothing when it should start.
std::optional<int> handleCommandLine(int &argc, char **argv);
