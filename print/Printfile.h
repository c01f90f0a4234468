#pragma once

#include "print/Document.h"
#include "print/LineReader.h"
#include "print/PageGeometry.h"
#include "print/Pagination.h"
#include "print/PrintArgs.h"
#include "common/UFile.h"

#include <memory>

class PrintDevice;
class UCodePage;

// The print program's job: one plain-text document laid out on a fixed character grid and
// drawn on a printer, on the options it was made with (the global ones by default).
//
// printfile() reads and paginates the document on the printer named in the options;
// draxome() then draws the selected pages. Both answer 0 or -1 after logging why. The
// work itself is done by Document (reading), PageFitter (page size and font width),
// Pagination (pages and page selection) and PageDrawer (a page's lines and rules).
//
// Everything is drawn through a PrintDevice, so the whole job can run on a device of the
// caller's (attachDevice, then layout instead of printfile): the tests use a recording
// device, the layout benchmark a device that draws nothing.
class Printfile {
public:
    explicit Printfile(const PrintArgs& options = args);
    ~Printfile();
    Printfile(const Printfile&) = delete;
    Printfile& operator=(const Printfile&) = delete;

    // Runs the job the options ask for: prints the file laid out, or raw with -direct, or
    // copies it or hands it to another program (FileJob). True when the job succeeded.
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
    // A paper or duplex the printer cannot do is logged, naming the printer's default, and
    // left to it.
    void checkAbilities(short& papersize, short& duplex) const;
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
    // Draws the banner below the last text line of a page on dc, with pitch the distance
    // of two lines. True when it was drawn.
    bool printBanner(PrintDevice* dc, double pitch);

    // Uses this device instead of the printer named in the options. The caller keeps it
    // and must keep it alive as long as this job.
    void attachDevice(PrintDevice* device);

    // Whether the last layout refused the options: margins or text sizes that leave no room
    // for one character or one line on this printer's page.
    bool optionsRefused() const { return mOptionsRefused; }

    int pageCount() const { return mPagination.pageCount(); }
    const PageGeometry& page() const { return mPage; }
    const Document& document() const { return mDocument; }
    const Pagination& pagination() const { return mPagination; }

private:
    void releaseDevice();
    void closeFile();
    bool drawPage(int k, int pageNumber);

    const PrintArgs& mArgs;
    UFile mFile;
    LineReader mReader;
    // The device drawn on, and the one this job made itself (null for an attached one).
    PrintDevice* mDevice = nullptr;
    std::unique_ptr<PrintDevice> mOwnDevice;
    PageGeometry mPage;
    // The code page the document is decoded with (-codepage); none: its bytes.
    std::unique_ptr<UCodePage> mCodePage;
    Document mDocument;
    Pagination mPagination;
    bool mOptionsRefused = false;
};
