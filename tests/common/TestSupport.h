#pragma once

// Helpers for tests that touch files: a private temporary directory, reading a file back,
// and capturing the log into a file of its own.

#include "common/ULog.h"
#include "common/UString.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void writeFile(const fs::path& name, const std::string& content)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << content;
}

// A fresh directory under the system's temporary directory, removed with everything in
// it at the end. With enter, the test runs inside it and the old directory comes back.
class TempDir {
public:
    explicit TempDir(bool enter = false)
    {
        static unsigned counter = 0;
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        mPath = fs::temp_directory_path() / ("draxome-" + std::to_string(ticks) + "-" + std::to_string(++counter));
        fs::create_directories(mPath);
        if (enter) {
            mOld = fs::current_path();
            fs::current_path(mPath);
        }
    }
    ~TempDir()
    {
        std::error_code ec;
        if (!mOld.empty())
            fs::current_path(mOld, ec);
        fs::remove_all(mPath, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return mPath; }
    fs::path operator/(const std::string& name) const { return mPath / name; }

private:
    fs::path mPath;
    fs::path mOld;
};

// Sends the log to a file of its own for the length of a scope.
class LogCapture {
public:
    LogCapture() : mFile(mDir / "log.txt")
    {
        ULog::reset();
        ULog::setStyle(ULog::ServerStyle);
        ULog::setStream(UString(mFile.string().c_str()), 0);
    }
    ~LogCapture() { ULog::reset(); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text() const { return readFile(mFile); }

private:
    TempDir mDir;
    fs::path mFile;
};

} // namespace testsupport
