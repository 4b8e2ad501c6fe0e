// The check's run against whatever desktop it finds (see check_main.cpp for the steps).
#pragma once

#include <string>

namespace check {

struct RunOptions {
    int icons = 1;  // at least this many must be listed before anything starts
    unsigned waitSeconds = 120;
    std::wstring exePath;                   // TORVINEL.EXE
    std::wstring title = L"desktop check";  // ASCII: every code page shows it
    bool restart = true;                    // restart the shell (Explorer, the test desktop)
    bool expectSnapshot = false;
};

// Ends with check::Stop on the first difference or environment fault.
void Run(const RunOptions& options);
// Ends with check::Stop (environment) when no desktop lists `icons` icons in time.
void Probe(int icons, unsigned waitSeconds);

}  // namespace check
