// The program's version: the one place it is set. app/version.rc builds the version
// record from it; CMake reads the four numbers from here (cmake/TorvinelVersion.cmake) for
// the manifest and the release package's name, so keep the #define lines in this form.
#pragma once

#define TORVINEL_VERSION_MAJOR 1
#define TORVINEL_VERSION_MINOR 0
#define TORVINEL_VERSION_PATCH 3
#define TORVINEL_VERSION_BUILD 0

// "1, 0, 3, 0": the form of the version record's FileVersion and ProductVersion strings.
#define TORVINEL_VERSION_JOIN2(a, b, c, d) #a ", " #b ", " #c ", " #d
#define TORVINEL_VERSION_JOIN(a, b, c, d) TORVINEL_VERSION_JOIN2(a, b, c, d)
#define TORVINEL_VERSION_TEXT                                                                     \
    TORVINEL_VERSION_JOIN(TORVINEL_VERSION_MAJOR, TORVINEL_VERSION_MINOR, TORVINEL_VERSION_PATCH, \
                          TORVINEL_VERSION_BUILD)
