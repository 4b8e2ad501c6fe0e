// The test desktop's log files (see line_log.h).
#include "tools/test_desktop/line_log.h"

#include <cstdarg>

namespace testdesk {

void LineLog::Open(const std::string& path) {
    Close();
    m_path = path;
    if (!path.empty()) m_file = std::fopen(path.c_str(), "wb");
}

void LineLog::Line(const char* format, ...) {
    if (!m_file) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(m_file, format, args);
    va_end(args);
    std::fputc('\n', m_file);
    std::fflush(m_file);
}

void LineLog::Close() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
}

}  // namespace testdesk
