#include "print/PageFitter.h"

#include "common/ULog.h"
#include "print/PixelMath.h"
#include "print/PrintArgs.h"
#include "printer/PrintDevice.h"
#include "printer/SelectedObject.h"

#include <algorithm>
#include <cstdio>

PageFitter::PageFitter(const PrintArgs& options, PrintDevice* device, PageGeometry& page)
    : mArgs(options), mDevice(device), mPage(page)
{
}

bool PageFitter::measure()
{
    PageGeometry& p = mPage;
    p.width = mDevice->widthPixels();
    p.height = mDevice->heightPixels();
    p.widthMM = mDevice->widthMM();
    p.heightMM = mDevice->heightMM();
    char message[1000];
    // Every later size is a ratio of these; a device that answers no size would make them
    // divisions by zero, and a page of no pixels holds no line.
    if (p.width <= 0 || p.height <= 0 || p.widthMM <= 0 || p.heightMM <= 0) {
        std::snprintf(message, sizeof message,
            "Printfile::printfile(): GetDeviceCaps(): the printer reports no page size (%dx%d pixels, %dx%d "
            "milimeters)",
            p.width, p.height, p.widthMM, p.heightMM);
        ULog::write(message, ULog::Error);
        return false;
    }
    std::snprintf(message, sizeof message,
        "Printer settings:\tWidth: %dmilimeters(%dpixels)\tHeight: %dmilimeters(%dpixels)", p.widthMM, p.width,
        p.heightMM, p.height);
    ULog::write(message, ULog::Info);

    p.htextPx = static_cast<double>(p.height) * mArgs.htext / p.heightMM / 10;
    p.hlinePx = static_cast<double>(p.height) * mArgs.hline / p.heightMM / 10;

    p.leftPx = clamp32(static_cast<long long>(p.width) * mArgs.left / p.widthMM);
    p.rightPx = clamp32(static_cast<long long>(p.width) * mArgs.right / p.widthMM);
    p.topPx = clamp32(static_cast<long long>(p.height) * mArgs.top / p.heightMM);
    p.bottomPx = clamp32(static_cast<long long>(p.height) * mArgs.bottom / p.heightMM);

    p.width = clamp32(static_cast<long long>(p.width) - p.rightPx - p.leftPx);
    p.height = clamp32(static_cast<long long>(p.height) - p.bottomPx - p.topPx);
    // Not one line between the margins: every page would be blank or hold one line cut
    // off, hundreds of pages of it.
    if (p.height < p.pitch()) {
        std::snprintf(message, sizeof message,
            "command line: -top %d -bottom %d -htext %s -hline %s: not one line of text fits on the page (%d mm "
            "high)",
            mArgs.top, mArgs.bottom, tenths(mArgs.htext).c_str(), tenths(mArgs.hline).c_str(), p.heightMM);
        return refuse(message);
    }
    return true;
}

std::string PageFitter::tenths(std::int32_t value)
{
    const long long v = value;
    const long long magnitude = v < 0 ? -v : v;
    return (v < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
}

bool PageFitter::refuse(const char* message)
{
    mRefused = true;
    ULog::write(message, ULog::Error);
    return false;
}

bool PageFitter::measureW(int fontWidth, const char* warning, int& measured)
{
    SelectedObject font(
        mDevice, Graphics::select_font(mDevice, trunc32(mPage.htextPx), fontWidth, mArgs.fontface, Graphics::Bold));
    if (!font.selected()) {
        ULog::write(warning, ULog::Warning);
        return false;
    }
    int h = 0;
    if (Graphics::get_text_metrics(mDevice, "W", measured, h) != 0) {
        ULog::write("Graphics::get_text_metrics(hdcPrinter, line, width, height);: cannot retrive text width",
            ULog::Error);
        return false;
    }
    return true;
}

bool PageFitter::fitFont(int maxLength)
{
    PageGeometry& p = mPage;
    int w = 0;
    if (!measureW(0,
            "Graphics::select_font(hdcPrinter, htext, fontface): cannot set specified font for printer; Using "
            "default font...",
            w))
        return false;
    p.charWidth = w;
    if (p.width < w) {
        char message[1000];
        std::snprintf(message, sizeof message,
            "command line: -left %d -right %d -htext %s: not one character fits across the page (%d mm wide)",
            mArgs.left, mArgs.right, tenths(mArgs.htext).c_str(), p.widthMM);
        return refuse(message);
    }
    // A document without a character has nothing to fit: the natural font is used, and the
    // quotient width / 0 is never formed.
    p.cellWidth = maxLength > 0 ? static_cast<float>(p.width) / static_cast<float>(maxLength) : 0.0f;
    if (maxLength > 0 && p.cellWidth < 2) {
        p.fontWidth = 1;
        return true;
    }
    const long long block = static_cast<long long>(p.charWidth) * maxLength;
    if (maxLength == 0 || block < p.width) {
        p.cellWidth = static_cast<float>(p.charWidth);
        p.fontWidth = p.charWidth;
        if (mArgs.hcenter)
            p.leftPx = clamp32(static_cast<long long>(p.leftPx) + p.width / 2 - block / 2);
        return true;
    }
    return searchFontWidth();
}

bool PageFitter::searchFontWidth()
{
    // The widest width whose W is narrower than a cell, found one pixel at a time from the
    // cell width: down while W is too wide, up while it is too narrow, and done once the
    // search has crossed from too wide to too narrow (or hit the cell exactly).
    const float target = mPage.cellWidth;
    const char* const warning = "Graphics::select_font(hdcPrinter, htext, args.fontface): cannot set specified font "
                                "for printer; Using default font...";
    const int start = trunc32(target);
    int w = start;
    int previous = w;
    bool wentDown = false;
    bool settled = false;
    int tries = 0;
    for (; tries < kMaxWidthTries && w >= 1; ++tries) {
        int m = 0;
        if (!measureW(w, warning, m))
            return false;
        if (m < target) {
            previous = w;
            ++w;
            if (wentDown) {
                w = previous;
                settled = true;
                break;
            }
        } else if (m > target) {
            previous = w;
            --w;
            wentDown = true;
        } else {
            w = previous;
            settled = true;
            break;
        }
    }
    if (!settled) {
        // The measured W never crossed the cell: the device does not follow the width asked
        // for, or no width is narrow enough. Its answers say nothing useful then, so the
        // font is asked for the cell's own width, and the advances keep every character in
        // its cell whatever the glyphs do.
        w = start;
        char message[1000];
        std::snprintf(message, sizeof message,
            "Printfile::printfile(): font width search: the width of \"W\" did not cross the cell width %.2f "
            "after %d tries; using font width %d",
            static_cast<double>(target), tries, w);
        ULog::write(message, ULog::Warning);
    }
    mPage.fontWidth = w;
    return true;
}

void PageFitter::countLinesPerPage()
{
    // measure() refused a page without room for one line; a device whose sizes changed
    // since must still not get an empty first page and every later line beyond the paper.
    mPage.linesPerPage = std::max(1, trunc32(static_cast<double>(mPage.height) / mPage.pitch()));
    // The banner stands below the last line. Where that would reach past the printable
    // area (no bottom margin to take it) and clip it on paper, the last line's slot is
    // the banner's.
    if (mArgs.banner[0] != '\0' && mPage.linesPerPage > 1
        && mPage.pitch() * mPage.linesPerPage + mPage.topPx + mPage.bannerPx(mArgs.hbanner) > mPage.fullHeight())
        --mPage.linesPerPage;
}
