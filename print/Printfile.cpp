#include "print/Printfile.h"

#include "common/ULog.h"
#include "common/UOs.h"
#include "print/FileJob.h"
#include "printer/Graphics.h"
#include "printer/PrintDevice.h"
#include "printer/PrinterList.h"
#include "printer/PrinterSetup.h"
#include "printer/printerinfo.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace {

const char* const kNoPrinter = "Printfile::printfile(): no printer selected; use '-printername' to specify one";
const char* const kMeasureFailed
    = "Graphics::get_text_metrics(hdcPrinter, line, width, height);: cannot retrive text width";

bool isRuleChar(char c) { return c == '-' || c == '=' || c == '|'; }

// A product or sum of page sizes kept inside 32 bits, where a margin of millions of
// millimetres would otherwise overflow.
std::int32_t clamp32(long long v)
{
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<std::int32_t>(v);
}

// Truncation toward zero of a coordinate or count, safe for any value a degenerate page
// can produce (an infinite or undefined quotient included).
std::int32_t trunc32(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return INT_MAX;
    if (v <= -2147483648.0)
        return INT_MIN;
    return static_cast<std::int32_t>(v);
}

} // namespace

Printfile::Printfile()
    : args(::args)
{
    message[0] = '\0';
}

Printfile::~Printfile()
{
    closeFile();
    releaseDevice();
}

void Printfile::closeFile()
{
    if (file != nullptr)
        std::fclose(file);
    file = nullptr;
    mReader.attach(nullptr);
}

void Printfile::releaseDevice()
{
    if (mOwnsDevice && hdcPrinter != nullptr) {
        hdcPrinter->deleteDC();
        delete hdcPrinter;
    }
    hdcPrinter = nullptr;
    mOwnsDevice = false;
}

void Printfile::attachDevice(PrintDevice* device)
{
    releaseDevice();
    hdcPrinter = device;
}

int Printfile::printfile()
{
    pageStarts.noEl = 0;
    if (args.printername[0] == '\0') {
        ULog::write(kNoPrinter, ULog::Error);
        return result = -1;
    }
    if (openFile() != 0)
        return result = -1;
    if (initPrinter() != 0)
        return result = -1;
    return layout();
}

int Printfile::openFile()
{
    closeFile();
    if (args.filename[0] == '\0') {
        ULog::write("Printfile::openFile(): no file specified; use -open parameter to specify one", ULog::Error);
        return result = -1;
    }
    file = std::fopen(args.filename, "rb");
    if (file == nullptr) {
        ULog::write("fopen(filename, \"rb\"): cannot open file", ULog::Error);
        return result = -1;
    }
    mReader.attach(file);
    return result = 0;
}

int Printfile::initPrinter()
{
    ULog::write("Init printer...", ULog::Info);
    releaseDevice();
    printerinfo printer;
    if (!getprinter(args.printername, printer)) {
        ULog::write("b=getprinter(args.printername, printer): canot find specified printer", ULog::Error);
        return result = -1;
    }
    std::snprintf(message, sizeof message, "Printer port and driver as returned by GetPrinter():\tport=%s\tdriver=%s",
        printer.port.str(), printer.driver.str());
    ULog::write(message, ULog::Info);
    PrintDevice* device = nullptr;
    if (init_printer(device, printer) != 0 || device == nullptr) {
        ULog::write("init_printer(hdcPrinter): cannot init specified printer", ULog::Error);
        return result = -1;
    }
    hdcPrinter = device;
    mOwnsDevice = true;
    ULog::write("Reset orientation, paper size and resolution...", ULog::Info);
    if (reset_printer(args.printername, hdcPrinter, args.orientation, args.papersize, args.resolution.xres,
            args.resolution.yres)
        != 0)
        ULog::write("reset_printer(printername, hdcPrinter, orientation, papersize): cannot set orientation or "
                    "papersize or both; Using default settings...",
            ULog::Warning);
    return result = 0;
}

int Printfile::layout()
{
    pageStarts.noEl = 0;
    lines.clear();
    if (file == nullptr) {
        ULog::write("Printfile::layout(): file==NULL: the document is not open", ULog::Error);
        return result = -1;
    }
    if (hdcPrinter == nullptr) {
        ULog::write("Printfile::layout(): hdcPrinter==NULL: there is no printer to lay the document out for",
            ULog::Error);
        return result = -1;
    }
    if (measurePage() != 0)
        return result = -1;
    geometry();
    if (countLines() != 0 || chooseFontWidth() != 0 || readLines() != 0 || paginate() != 0)
        return result = -1;
    closeFile();
    return result = 0;
}

int Printfile::measurePage()
{
    width = hdcPrinter->widthPixels();
    height = hdcPrinter->heightPixels();
    widthMM = hdcPrinter->widthMM();
    heightMM = hdcPrinter->heightMM();
    // Every later size is a ratio of these; a device that answers no size would make them
    // divisions by zero.
    if (width < 0 || height < 0 || widthMM <= 0 || heightMM <= 0) {
        std::snprintf(message, sizeof message,
            "Printfile::printfile(): GetDeviceCaps(): the printer reports no page size (%dx%d pixels, %dx%d "
            "milimeters)",
            width, height, widthMM, heightMM);
        ULog::write(message, ULog::Error);
        return -1;
    }
    return 0;
}

void Printfile::geometry()
{
    std::snprintf(message, sizeof message,
        "Printer settings:\tWidth: %dmilimeters(%dpixels)\tHeight: %dmilimeters(%dpixels)", widthMM, width,
        heightMM, height);
    ULog::write(message, ULog::Info);

    htextPx = static_cast<double>(height) * args.htext / heightMM / 10;
    hlinePx = static_cast<double>(height) * args.hline / heightMM / 10;

    leftPx = clamp32(static_cast<long long>(width) * args.left / widthMM);
    rightPx = clamp32(static_cast<long long>(width) * args.right / widthMM);
    topPx = clamp32(static_cast<long long>(height) * args.top / heightMM);
    bottomPx = clamp32(static_cast<long long>(height) * args.bottom / heightMM);

    width = clamp32(static_cast<long long>(width) - rightPx - leftPx);
    height = clamp32(static_cast<long long>(height) - bottomPx - topPx);
    if (width < 0) {
        width = 0;
        ULog::write("horizontal margins too high", ULog::Warning);
    }
    if (height < 0) {
        height = 0;
        ULog::write("vertical margins too high", ULog::Warning);
    }
}

int Printfile::countLines()
{
    totalines = 0;
    maxLength = 0;
    int length = 0;
    while (mReader.readLine(mLine, sizeof mLine, length)) {
        if (totalines == INT_MAX) {
            ULog::write("Printfile::printfile(): totalines: the document has too many lines", ULog::Error);
            return -1;
        }
        ++totalines;
        if (length > maxLength)
            maxLength = length;
    }
    return 0;
}

int Printfile::measureW(int fontWidthToTry, const char* warning, int& measured)
{
    PrintObject saved
        = Graphics::select_font(hdcPrinter, trunc32(htextPx), fontWidthToTry, args.fontface, Graphics::Bold);
    if (saved == nullptr) {
        ULog::write(warning, ULog::Warning);
        return -1;
    }
    int h = 0;
    const int measuredOk = Graphics::get_text_metrics(hdcPrinter, "W", measured, h);
    Graphics::restoreObject(hdcPrinter, saved);
    if (measuredOk != 0) {
        ULog::write(kMeasureFailed, ULog::Error);
        return -1;
    }
    return 0;
}

int Printfile::chooseFontWidth()
{
    // A document without a character has nothing to fit: the natural font is used, and the
    // quotient width / 0 is never formed.
    cellWidth = maxLength > 0 ? static_cast<float>(width) / static_cast<float>(maxLength) : 0.0f;
    if (maxLength > 0 && cellWidth < 2) {
        fontWidth = 1;
        return 0;
    }
    int w = 0;
    if (measureW(0,
            "Graphics::select_font(hdcPrinter, htext, fontface): cannot set specified font for printer; Using "
            "default font...",
            w)
        != 0)
        return -1;
    charWidth = w;
    const long long block = static_cast<long long>(charWidth) * maxLength;
    if (maxLength == 0 || block < width) {
        cellWidth = static_cast<float>(charWidth);
        fontWidth = charWidth;
        if (args.hcenter)
            leftPx = clamp32(static_cast<long long>(leftPx) + width / 2 - block / 2);
        return 0;
    }
    return searchFontWidth();
}

int Printfile::searchFontWidth()
{
    // The widest width whose W is narrower than a cell, found one pixel at a time from the
    // cell width: down while W is too wide, up while it is too narrow, and done once the
    // search has crossed from too wide to too narrow (or hit the cell exactly).
    const float target = cellWidth;
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
        if (measureW(w, warning, m) != 0)
            return -1;
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
        std::snprintf(message, sizeof message,
            "Printfile::printfile(): font width search: the width of \"W\" did not cross the cell width %.2f "
            "after %d tries; using font width %d",
            static_cast<double>(target), tries, w);
        ULog::write(message, ULog::Warning);
    }
    fontWidth = w;
    return 0;
}

int Printfile::readLines()
{
    if (!lines.reserve(totalines)) {
        ULog::write("malloc(totalines*sizeof(char*): memory error", ULog::Error);
        return -1;
    }
    if (!mReader.rewind()) {
        std::snprintf(message, sizeof message, "Error in fseek(f, 0, SEEK_SET): problems width %s", args.filename);
        ULog::write(message, ULog::Error);
        return -1;
    }
    for (int i = 0; i < totalines; ++i) {
        int length = 0;
        // A file that changed since it was counted is laid out as counted: missing lines
        // are empty and no line grows past the longest one the font was chosen for.
        if (!mReader.readLine(mLine, sizeof mLine, length))
            length = 0;
        if (length > maxLength)
            length = maxLength;
        if (!lines.add(mLine, length)) {
            ULog::write("malloc(strlen(line)+1): memory error", ULog::Error);
            return -1;
        }
    }
    const double perPage = static_cast<double>(height) / pitch();
    linesPerPage = trunc32(perPage);
    if (linesPerPage < 1) {
        // The original rule would give an empty first page and then every line on one page
        // beyond the paper; one line per page at least prints every line.
        linesPerPage = 1;
        ULog::write("Printfile::printfile(): linesPerPage<1: no text line fits between the margins; printing one "
                    "line per page",
            ULog::Warning);
    }
    return 0;
}

bool Printfile::addPageStart(int line)
{
    // The vector grows by a fixed step; doubled here, a page table of many thousand pages
    // is not copied over and over.
    const long long needed = (static_cast<long long>(pageStarts.noEl) + 1) * static_cast<long long>(sizeof(int));
    if (needed > pageStarts.capacity) {
        const long long doubled = static_cast<long long>(pageStarts.capacity) * 2;
        const long long want = doubled > needed ? doubled : needed;
        if (want > INT_MAX / 2 || !pageStarts.alloc(static_cast<int>(want)))
            return false;
    }
    return pageStarts.add(line);
}

int Printfile::paginate()
{
    pageStarts.noEl = 0;
    bool ok = addPageStart(0);
    int onPage = 0;
    for (int i = 0; ok && i < totalines; ++i) {
        if (onPage == linesPerPage) {
            onPage = 0;
            ok = addPageStart(i);
        }
        const int length = lines.length(i);
        if (length > 0 && lines.line(i)[length - 1] == '\f' && i > 5) {
            lines.dropLast(i);
            onPage = linesPerPage - 1;
        }
        ++onPage;
    }
    if (ok)
        ok = addPageStart(totalines);
    if (!ok) {
        ULog::write("Printfile::printfile(): pageStarts.add(): memory error", ULog::Error);
        return -1;
    }
    return 0;
}

bool Printfile::pageSelected(int pageNumber) const
{
    const UVector<int>& pages = ::args.pages;
    if (pages.size() == 0)
        return true;
    for (int i = 0; i < pages.size(); ++i)
        if (pages.data[i] == pageNumber)
            return true;
    return false;
}

int Printfile::draxome(int page)
{
    const int pages = pageCount();
    if (page >= pages) {
        ULog::write("Printfile::draxome(): page overflow", ULog::Error);
        return -1;
    }
    if (args.printername[0] == '\0') {
        ULog::write(kNoPrinter, ULog::Error);
        return -1;
    }
    if (hdcPrinter == nullptr) {
        ULog::write("Printfile::draxome(): hdcPrinter==NULL: the document was not prepared", ULog::Error);
        return -1;
    }
    ULog::write("Start printing...", ULog::Info);
    if (hdcPrinter->startDoc(args.docname) <= 0) {
        ULog::write("StartDoc(...): cannot start printing the document", ULog::Error);
        return -1;
    }
    const std::uint32_t started = UOs::tickCount();
    rulePen = kRulePen;

    int pageNumber = 0;
    for (int k = 0; k < pages; ++k) {
        ++pageNumber;
        if (page >= 0) {
            k = page;
            pageNumber = page + 1;
        } else if (!pageSelected(pageNumber)) {
            continue;
        }
        if (drawPage(k, pageNumber) != 0)
            return -1;
        if (page >= 0)
            break;
    }

    ULog::write("", ULog::Info);
    const std::uint32_t elapsed = UOs::tickCount() - started;
    std::snprintf(message, sizeof message, "Total time: %.2f sec.", elapsed / 1000.0);
    ULog::write(message, ULog::Info);
    if (hdcPrinter->endDoc() <= 0) {
        ULog::write("EndDoc(...)", ULog::Error);
        return -1;
    }
    ULog::write("End printing...", ULog::Info);
    hdcPrinter->deleteDC();
    return 0;
}

int Printfile::drawPage(int k, int pageNumber)
{
    std::snprintf(message, sizeof message, "Printing page %d", pageNumber);
    ULog::write(message, ULog::Info);
    if (hdcPrinter->startPage() <= 0) {
        ULog::write("StartPage(...): cannot start printing pages", ULog::Error);
        return -1;
    }
    PrintObject paint = Graphics::setPaint(hdcPrinter, 0, PrintDevice::Transparent);
    if (paint == nullptr) {
        ULog::write("draxome: could not set paint with Graphics::setPaint()", ULog::Error);
        return -1;
    }
    printBanner(hdcPrinter, pitch());
    PrintObject font = Graphics::select_font(hdcPrinter, trunc32(htextPx), fontWidth, args.fontface, Graphics::Bold);
    if (font == nullptr) {
        ULog::write("Graphics::selectFont(hdcPrinter, htext, fontface): cannot set specified font for printer; Using "
                    "default font...",
            ULog::Warning);
        Graphics::restoreObject(hdcPrinter, paint);
        return -1;
    }
    lineOnPage = -1;
    for (lineIndex = pageStarts[k]; lineIndex < pageStarts[k + 1]; ++lineIndex) {
        ++lineOnPage;
        if (drawLine() != 0) {
            Graphics::restoreObject(hdcPrinter, paint);
            Graphics::restoreObject(hdcPrinter, font);
            return -1;
        }
    }
    Graphics::restoreObject(hdcPrinter, paint);
    Graphics::restoreObject(hdcPrinter, font);
    if (hdcPrinter->endPage() <= 0) {
        ULog::write("(while)EndPage(...)", ULog::Error);
        return -1;
    }
    return 0;
}

int Printfile::drawLine()
{
    const char* s = lines.line(lineIndex);
    lineLength = lines.length(lineIndex);
    const double y0 = pitch() * lineOnPage + topPx;
    const int advance = trunc32(cellWidth);
    for (column = 0; column < lineLength; ++column) {
        const char ch = s[column];
        if (ch == ' ' || ch == '\f')
            continue;
        const int x = trunc32(static_cast<double>(cellWidth) * column + leftPx);
        if (isRuleChar(ch)) {
            if (args.graph) {
                const int joins = ch == '|' ? Graphics::joinsVertically(lines.lines(), totalines, lineIndex, column)
                                            : Graphics::joinsHorizontally(lines.lines(), lineIndex, column);
                if (joins == 0) {
                    drawRule(ch);
                    continue;
                }
            }
            if (!hdcPrinter->textOut(x, trunc32(y0), s + column, 1, nullptr))
                return -1;
            continue;
        }
        // A run ends before the next space or rule character; a form feed left at the end
        // of one of the first lines ends it too, as it is no character to print.
        int end = column + 1;
        while (end < lineLength && s[end] != ' ' && s[end] != '\f' && !isRuleChar(s[end]))
            ++end;
        const int length = end - column;
        for (int i = 0; i < length; ++i)
            mAdvances[i] = advance;
        if (!hdcPrinter->textOut(x, trunc32(y0), s + column, length, mAdvances))
            return -1;
        column = end - 1;
    }
    return 0;
}

void Printfile::drawRule(char ch)
{
    const double p = pitch();
    const double y0 = p * lineOnPage + topPx;
    const double x0 = static_cast<double>(cellWidth) * column + leftPx;
    const double xm = x0 + static_cast<double>(cellWidth) / 2;
    const double ym = y0 + p / 2;
    const double xLeft = trunc32(x0);
    const double xMid = trunc32(xm);
    const double xRight = trunc32(x0 + cellWidth);
    const bool left = column > 0 && isRuleChar(lines.at(lineIndex, column - 1));
    const bool right = isRuleChar(lines.at(lineIndex, column + 1));
    const bool above = totalines > 1 && isRuleChar(lines.at(lineIndex - 1, column));
    const bool below = totalines > 1 && isRuleChar(lines.at(lineIndex + 1, column));

    if (ch != '=') {
        if (left)
            Graphics::drawHLine(hdcPrinter, xLeft, ym, xMid, ym, rulePen);
        if (right)
            Graphics::drawHLine(hdcPrinter, xMid, ym, xRight, ym, rulePen);
        if (above)
            Graphics::drawVLine(hdcPrinter, xMid, y0, xMid, ym, rulePen);
        if (below)
            Graphics::drawVLine(hdcPrinter, xMid, ym, xMid, y0 + p, rulePen);
        return;
    }
    // The double shape: two bands at 5/12 and 7/12 of the text height, as single-precision
    // fractions.
    const double a = trunc32(htextPx * static_cast<double>(5.0f / 12.0f));
    const double b = trunc32(htextPx * static_cast<double>(7.0f / 12.0f));
    if (left) {
        Graphics::drawHLine(hdcPrinter, xLeft, y0 + a, xMid, y0 + a, rulePen);
        Graphics::drawHLine(hdcPrinter, xLeft, y0 + b, xMid, y0 + b, rulePen);
    }
    if (right) {
        Graphics::drawHLine(hdcPrinter, xMid, y0 + a, xRight, y0 + a, rulePen);
        Graphics::drawHLine(hdcPrinter, xMid, y0 + b, xRight, y0 + b, rulePen);
    }
    if (above)
        Graphics::drawVLine(hdcPrinter, xMid, y0, xMid, y0 + b, rulePen);
    if (below && lineIndex < totalines - 5)
        Graphics::drawVLine(hdcPrinter, xMid, y0 + a, xMid, y0 + p, rulePen);
}

bool Printfile::printBanner(PrintDevice* dc, double pitchPx)
{
    if (args.banner[0] == '\0')
        return false;
    // From the printable height: a page with margins gets a smaller banner.
    const int bannerHeight = clamp32(static_cast<long long>(args.hbanner) * height / heightMM) / 10;
    PrintObject saved = Graphics::select_font(dc, bannerHeight, 0, args.fontface, Graphics::Bold);
    if (saved == nullptr) {
        ULog::write("Printfile::printBanner(): Graphics::select_font(): could set font", ULog::Error);
        return false;
    }
    const int y = trunc32(pitchPx * linesPerPage + topPx);
    const bool drawn = dc->textOut(leftPx, y, args.banner, static_cast<int>(std::strlen(args.banner)), nullptr);
    Graphics::restoreObject(dc, saved);
    return drawn;
}

// The job step: which of the job modes a run performs. The copy and run modes and the
// reading of a file for raw printing are FileJob's.
bool Printfile::startPrinting()
{
    FileJob job(args);
    if (job.handsOver())
        return job.copyAndRun();

    if (args.direct) {
        if (draxomeDirect())
            return true;
        ULog::write("Printfile::startPrinting() : could not print file", ULog::Error);
        return false;
    }
    result = printfile();
    if (result != 0) {
        ULog::write("Printfile::startPrinting() : could not parse document", ULog::Error);
        return false;
    }
    result = draxome(-1);
    if (result != 0) {
        ULog::write("Printfile::startPrinting() : could not print file", ULog::Error);
        return false;
    }
    return true;
}

bool Printfile::draxomeDirect() { return FileJob(args).printDirect(); }
