// Screenshots of the whole virtual screen through GDI, written as 24-bit BMP files.
#pragma once

#include <string>

namespace check {

// Where screenshots go (empty: none are taken) and the next one's number.
void SetScreenshotFolder(const std::string& folder);
// Writes "<folder>\NN-<name>.bmp"; the file's path, or "" when none was written.
std::string TakeScreenshot(const std::string& name);

}  // namespace check
