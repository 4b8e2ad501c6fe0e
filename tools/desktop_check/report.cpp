// The desktop check's lines (see report.h).
#include "tools/desktop_check/report.h"

#include <windows.h>

#include <cstdio>

namespace check {

namespace {
std::FILE* g_log = nullptr;

std::string ToUtf8(const wchar_t* wide, int length) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), n, nullptr, nullptr);
    return utf8;
}
}  // namespace

void OpenLog(const std::string& path) {
    if (!path.empty()) g_log = std::fopen(path.c_str(), "ab");
}

void Line(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    if (g_log) {
        std::fprintf(g_log, "%s\n", text.c_str());
        std::fflush(g_log);
    }
}

std::string FromAnsi(const std::string& ansi) {
    const int n =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
    return FromWide(wide);
}

std::string FromWide(const std::wstring& wide) {
    return ToUtf8(wide.data(), static_cast<int>(wide.size()));
}

void Difference(const std::string& what) { throw Stop{kDifference, "FAIL: " + what}; }
void Environment(const std::string& what) { throw Stop{kEnvironment, "environment: " + what}; }

}  // namespace check
