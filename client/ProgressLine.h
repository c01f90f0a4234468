#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The line on standard error that shows how far a large file has gone, redrawn in place
// (carriage return) a few times a second, never more often, so a fast link does not turn
// it into a flood of writes.
class ProgressLine {
public:
    // Redraws at most this often.
    static constexpr std::uint32_t kRedrawMs = 200;

    ProgressLine(std::FILE* out, const std::string& name, long long total);
    void advance(long long bytes);
    // Draws the last state and ends the line; the next message starts on a line of its own.
    void finish();

    // "sending report.txt: 1.5 of 12.0 MB (12%)"; a long name is shortened.
    static std::string format(const std::string& name, long long done, long long total);

private:
    void draw();

    std::FILE* mOut;
    std::string mName;
    long long mTotal;
    long long mDone = 0;
    std::uint32_t mLastDraw = 0;
    bool mDrawn = false;
    bool mFinished = false;
};
