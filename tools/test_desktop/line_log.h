// A log of the test desktop's: one line per event, flushed at once so that a client
// reads it while the desktop runs; emptied on the client's clear-log message.
#pragma once

#include <cstdio>
#include <string>

namespace testdesk {

class LineLog {
public:
    LineLog() = default;
    ~LineLog() { Close(); }
    LineLog(const LineLog&) = delete;
    LineLog& operator=(const LineLog&) = delete;

    void Open(const std::string& path);  // empty: logs nothing
    void Reopen() { Open(m_path); }      // empties the file
    void Line(const char* format, ...);  // printf-style, without the line end
    void Close();

private:
    std::string m_path;
    std::FILE* m_file = nullptr;
};

}  // namespace testdesk
