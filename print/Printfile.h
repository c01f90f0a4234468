#pragma once

#include "common/UVector.h"
#include "print/LineReader.h"
#include "print/LineStore.h"
#include "print/PrintArgs.h"

#include <cstdint>
#include <cstdio>

class PrintDevice;

// The print program's job: one plain-text document laid out on a fixed character grid and
// drawn on a printer. Text is never wrapped; every line of the file is one printed line,
// and the font is narrowed until the longest line fits the page.
//
// printfile() reads and paginates the document on the printer named in the options;
// draxome() then draws the selected pages. Both answer 0 or -1 after logging why.
//
// Everything is drawn through a PrintDevice, so the whole job can run on a device of the
// caller's (attachDevice, then layout instead of printfile): the tests use a recording
// device, the layout benchmark a device that draws nothing.
class Printfile {
public:
    // Thickness in pixels of drawn rules.
    static constexpr int kRulePen = 3;
    // The font-width search moves one pixel per try; on any real device it settles within
    // a few tries. A device whose measured width does not follow the requested one would
    // keep it going forever, so it stops here and takes the best width it found.
    static constexpr int kMaxWidthTries = 200;
    // A run of text is drawn with one advance per character; a line holds at most this
    // many characters.
    static constexpr int kMaxRun = LineReader::kLineSize - 1;

    // Copies the global options (all but the page list, which is always read from them).
    Printfile();
    ~Printfile();
    Printfile(const Printfile&) = delete;
    Printfile& operator=(const Printfile&) = delete;

    // Runs the job the options ask for (PrintfileJob.cpp): prints the file laid out, or raw
    // with -direct, or copies it or hands it to another program (FileJob). True when the
    // job succeeded.
    bool startPrinting();
    // Sends the file to the printer unchanged, as one raw spooler document; true when it
    // was handed to the spooler.
    bool draxomeDirect();

    // Prepares the job: opens the document and the printer, measures the page, chooses the
    // font width, reads the document into lines and splits them into pages. 0 when the
    // document is ready to be drawn, -1 when not.
    int printfile();
    // Opens the document (filename) for reading; 0 or -1.
    int openFile();
    // Looks the printer up, makes its device and applies orientation, paper size and
    // resolution; 0 or -1.
    int initPrinter();
    // The part of printfile() after the printer is open: page size, geometry, counting
    // pass and font width, reading pass, pagination; the document is closed on success.
    // Needs openFile() and a device (initPrinter() or attachDevice()). 0 or -1.
    int layout();

    // Draws the job: page -1 draws every page the page list selects (all when it is empty),
    // a page index of 0 or more only that page. Ends the spooler document and the device.
    // 0 or -1.
    int draxome(int page);
    // Draws the banner of the current page on dc, with pitch the distance of two lines.
    // True when it was drawn.
    bool printBanner(PrintDevice* dc, double pitch);

    // Uses this device instead of the printer named in the options. The caller keeps it
    // and must keep it alive as long as this job.
    void attachDevice(PrintDevice* device);
    // Number of pages after pagination.
    int pageCount() const { return pageStarts.size() > 0 ? pageStarts.size() - 1 : 0; }

    // Page geometry, in device pixels unless named otherwise.
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t widthMM = 0;
    std::int32_t heightMM = 0;
    double htextPx = 0;
    double hlinePx = 0;
    std::int32_t leftPx = 0;
    std::int32_t rightPx = 0;
    std::int32_t topPx = 0;
    std::int32_t bottomPx = 0;
    std::int32_t linesPerPage = 0;
    // The document.
    std::int32_t totalines = 0;
    std::int32_t maxLength = 0;
    LineStore lines;
    // The first line of every page, then totalines.
    UVector<int> pageStarts;
    // The character grid and the font.
    float cellWidth = 0;
    std::int32_t charWidth = 0;
    std::int32_t fontWidth = 0;
    // Position of the line loops.
    std::int32_t lineIndex = 0;
    std::int32_t lineOnPage = 0;
    std::int32_t column = 0;
    std::int32_t lineLength = 0;

    std::FILE* file = nullptr;
    char message[1000];
    PrintDevice* hdcPrinter = nullptr;
    std::int32_t rulePen = kRulePen;
    PrintArgs args;
    std::int32_t result = 0;

private:
    void releaseDevice();
    void closeFile();
    int measurePage();
    void geometry();
    int countLines();
    int chooseFontWidth();
    int searchFontWidth();
    int measureW(int fontWidthToTry, const char* warning, int& measured);
    int readLines();
    int paginate();
    bool addPageStart(int line);

    int drawPage(int k, int pageNumber);
    int drawLine();
    void drawRule(char ch);
    double pitch() const { return htextPx + hlinePx; }
    bool pageSelected(int pageNumber) const;

    bool mOwnsDevice = false;
    LineReader mReader;
    char mLine[LineReader::kLineSize];
    int mAdvances[kMaxRun];
};
