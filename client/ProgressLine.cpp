#include "client/ProgressLine.h"

#include "common/UOs.h"

ProgressLine::ProgressLine(std::FILE* out, const std::string& name, long long total)
    : mOut(out), mName(name), mTotal(total)
{
}

std::string ProgressLine::format(const std::string& name, long long done, long long total)
{
    if (done > total)
        done = total;
    std::string shown = name;
    if (shown.size() > 40)
        shown = "..." + shown.substr(shown.size() - 37);
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    char figures[80];
    std::snprintf(figures, sizeof figures, ": %.1f of %.1f MB (%d%%)", static_cast<double>(done) / 1e6,
                  static_cast<double>(total) / 1e6, percent);
    return "sending " + shown + figures;
}

void ProgressLine::advance(long long bytes)
{
    if (bytes > 0)
        mDone += bytes;
    const std::uint32_t now = UOs::tickCount();
    if (!mDrawn || now - mLastDraw >= kRedrawMs) {
        mLastDraw = now;
        draw();
    }
}

void ProgressLine::finish()
{
    if (mFinished)
        return;
    mFinished = true;
    draw();
    std::fputc('\n', mOut);
    std::fflush(mOut);
}

void ProgressLine::draw()
{
    mDrawn = true;
    // The blanks wipe what a longer earlier state left at the end of the line.
    std::fprintf(mOut, "\r%s   ", format(mName, mDone, mTotal).c_str());
    std::fflush(mOut);
}
