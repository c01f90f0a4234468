#include "print/Printfile.h"

#include "common/UCodePage.h"
#include "common/ULog.h"
#include "common/UOs.h"
#include "print/FileJob.h"
#include "print/PageDrawer.h"
#include "print/PageFitter.h"
#include "print/PixelMath.h"
#include "print/Startup.h"
#include "printer/Graphics.h"
#include "printer/PrintDevice.h"
#include "printer/PrinterList.h"
#include "printer/PrinterSetup.h"
#include "printer/SelectedObject.h"
#include "printer/printerinfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

const char* const kNoPrinter = "Printfile::printfile(): no printer selected; use '-printername' to specify one";

// A file of no bytes at all would print one blank page. A file that cannot be opened is
// not empty: opening it again names the failure.
bool isEmptyFile(const char* path)
{
    UFile file;
    return path[0] != '\0' && file.open(path, "rb") && std::fgetc(file.get()) == EOF && !std::ferror(file.get());
}

} // namespace

Printfile::Printfile(const PrintArgs& options)
    : mArgs(options)
{
}

Printfile::~Printfile() { releaseDevice(); }

void Printfile::closeFile()
{
    mReader.attach(nullptr);
    mFile.close();
}

void Printfile::releaseDevice()
{
    if (mOwnDevice != nullptr)
        mOwnDevice->deleteDC();
    mOwnDevice.reset();
    mDevice = nullptr;
}

void Printfile::attachDevice(PrintDevice* device)
{
    releaseDevice();
    mDevice = device;
}

int Printfile::printfile()
{
    mPagination.clear();
    if (mArgs.printername[0] == '\0') {
        ULog::write(kNoPrinter, ULog::Error);
        return -1;
    }
    if (openFile() != 0 || initPrinter() != 0)
        return -1;
    return layout();
}

int Printfile::openFile()
{
    closeFile();
    if (mArgs.filename[0] == '\0') {
        ULog::write("Printfile::openFile(): no file specified; use -open parameter to specify one", ULog::Error);
        return -1;
    }
    if (!mFile.open(mArgs.filename, "rb")) {
        const std::string why = UOs::systemErrorText();
        ULog::write("fopen(filename, \"rb\"): cannot open file", ULog::Error);
        UString named("Printfile::openFile(): cannot open '");
        named += mArgs.filename;
        named += "': ";
        named += why.c_str();
        ULog::write(named, ULog::Error);
        return -1;
    }
    mReader.attach(mFile.get());
    return 0;
}

int Printfile::initPrinter()
{
    ULog::write("Init printer...", ULog::Info);
    releaseDevice();
    printerinfo printer;
    if (!getprinter(mArgs.printername, printer)) {
        ULog::write("b=getprinter(args.printername, printer): canot find specified printer", ULog::Error);
        return -1;
    }
    char message[1000];
    std::snprintf(message, sizeof message, "Printer port and driver as returned by GetPrinter():\tport=%s\tdriver=%s",
        printer.port.str(), printer.driver.str());
    ULog::write(message, ULog::Info);
    PrintDevice* device = nullptr;
    if (init_printer(device, printer) != 0 || device == nullptr) {
        ULog::write("init_printer(hdcPrinter): cannot init specified printer", ULog::Error);
        return -1;
    }
    mOwnDevice.reset(device);
    mDevice = device;
    ULog::write("Reset orientation, paper size and resolution...", ULog::Info);
    short papersize = mArgs.papersize;
    short duplex = mArgs.duplex;
    checkAbilities(papersize, duplex);
    if (reset_printer(mArgs.printername, mDevice, mArgs.orientation, papersize, mArgs.resolution.xres,
            mArgs.resolution.yres, mArgs.copies, duplex)
        != 0)
        ULog::write("reset_printer(printername, hdcPrinter, orientation, papersize): cannot set orientation or "
                    "papersize or both; Using default settings...",
            ULog::Warning);
    // What the driver made of the resolution asked for: it may round it to one it has.
    std::snprintf(message, sizeof message, "\tresolution in use=%dx%d", mDevice->dpiX(), mDevice->dpiY());
    ULog::write(message, ULog::Info);
    return 0;
}

void Printfile::checkAbilities(short& papersize, short& duplex) const
{
    if (papersize == -1 && duplex <= 1)
        return;
    PrinterAbilities can;
    // A printer that cannot be asked is given what the job wants: it may well do it.
    if (!getabilities(mArgs.printername, can))
        return;
    char line[1000];
    if (papersize != -1 && std::find(can.papers.begin(), can.papers.end(), papersize) == can.papers.end()) {
        std::snprintf(line, sizeof line, "papersize %s: the printer %s cannot print on it; using its default, %s",
            Startup::paperName(papersize), mArgs.printername, Startup::paperName(can.defaultPaper));
        ULog::write(line, ULog::Warning);
        papersize = -1;
    }
    if (duplex > 1 && !can.duplex) {
        std::snprintf(line, sizeof line, "duplex %s: the printer %s cannot print on both sides; using its default, %s",
            Startup::duplexName(duplex), mArgs.printername, Startup::duplexName(can.defaultDuplex));
        ULog::write(line, ULog::Warning);
        duplex = -1;
    }
}

int Printfile::layout()
{
    mPagination.clear();
    mDocument.clear();
    if (!mFile.isOpen()) {
        ULog::write("Printfile::layout(): file==NULL: the document is not open", ULog::Error);
        return -1;
    }
    if (mDevice == nullptr) {
        ULog::write("Printfile::layout(): hdcPrinter==NULL: there is no printer to lay the document out for",
            ULog::Error);
        return -1;
    }
    mCodePage.reset();
    mDocument.setCodePage(nullptr);
    if (mArgs.codepage[0] != '\0') {
        const int number = UCodePage::lookup(mArgs.codepage);
        if (number == 0) {
            char message[100];
            std::snprintf(message, sizeof message, "Printfile::printfile(): -codepage %s: unknown code page",
                mArgs.codepage);
            ULog::write(message, ULog::Error);
            return -1;
        }
        mCodePage = std::make_unique<UCodePage>(number);
        mDocument.setCodePage(mCodePage.get());
    }
    mPage = PageGeometry();
    PageFitter fitter(mArgs, mDevice, mPage);
    const bool fitted = fitter.measure() && mDocument.count(mReader) && fitter.fitFont(mDocument.maxLength());
    mOptionsRefused = fitter.refused();
    if (!fitted || !mDocument.read(mReader, mArgs.filename))
        return -1;
    fitter.countLinesPerPage();
    if (!mPagination.paginate(mDocument.lines(), mDocument.totalLines(), mPage.linesPerPage))
        return -1;
    closeFile();
    return 0;
}

int Printfile::draxome(int page)
{
    const int pages = pageCount();
    if (page >= pages) {
        ULog::write("Printfile::draxome(): page overflow", ULog::Error);
        return -1;
    }
    if (mArgs.printername[0] == '\0') {
        ULog::write(kNoPrinter, ULog::Error);
        return -1;
    }
    if (mDevice == nullptr) {
        ULog::write("Printfile::draxome(): hdcPrinter==NULL: the document was not prepared", ULog::Error);
        return -1;
    }
    ULog::write("Start printing...", ULog::Info);
    if (mDevice->startDoc(mArgs.docname) <= 0) {
        ULog::write("StartDoc(...): cannot start printing the document", ULog::Error);
        return -1;
    }
    const std::uint32_t started = UOs::tickCount();

    if (page >= 0) {
        if (!drawPage(page, page + 1))
            return -1;
    } else {
        for (int k = 0; k < pages; ++k)
            if (Pagination::selected(mArgs.pages, k + 1) && !drawPage(k, k + 1))
                return -1;
    }

    ULog::write("", ULog::Info);
    const std::uint32_t elapsed = UOs::tickCount() - started;
    char message[100];
    std::snprintf(message, sizeof message, "Total time: %.2f sec.", elapsed / 1000.0);
    ULog::write(message, ULog::Info);
    if (mDevice->endDoc() <= 0) {
        ULog::write("EndDoc(...)", ULog::Error);
        return -1;
    }
    ULog::write("End printing...", ULog::Info);
    mDevice->deleteDC();
    return 0;
}

bool Printfile::drawPage(int k, int pageNumber)
{
    char message[100];
    std::snprintf(message, sizeof message, "Printing page %d", pageNumber);
    ULog::write(message, ULog::Info);
    if (mDevice->startPage() <= 0) {
        ULog::write("StartPage(...): cannot start printing pages", ULog::Error);
        return false;
    }
    {
        // Declared before the paint, so the paint goes back first and then the font.
        std::optional<SelectedObject> font;
        SelectedObject paint(mDevice, Graphics::setPaint(mDevice, 0, PrintDevice::Transparent));
        if (!paint.selected()) {
            ULog::write("draxome: could not set paint with Graphics::setPaint()", ULog::Error);
            return false;
        }
        printBanner(mDevice, mPage.pitch());
        font.emplace(mDevice,
            Graphics::select_font(mDevice, trunc32(mPage.htextPx), mPage.fontWidth, mArgs.fontface, Graphics::Bold));
        if (!font->selected()) {
            ULog::write("Graphics::selectFont(hdcPrinter, htext, fontface): cannot set specified font for printer; "
                        "Using default font...",
                ULog::Warning);
            return false;
        }
        PageDrawer drawer(mDevice, mPage, mDocument.lines(), mDocument.totalLines(), mArgs.graph != 0);
        if (!drawer.drawLines(mPagination.firstLine(k), mPagination.endLine(k)))
            return false;
    }
    if (mDevice->endPage() <= 0) {
        ULog::write("(while)EndPage(...)", ULog::Error);
        return false;
    }
    return true;
}

bool Printfile::printBanner(PrintDevice* dc, double pitch)
{
    if (mArgs.banner[0] == '\0')
        return false;
    // From the printable height: a page with margins gets a smaller banner.
    const int bannerHeight = mPage.bannerPx(mArgs.hbanner);
    SelectedObject font(dc, Graphics::select_font(dc, bannerHeight, 0, mArgs.fontface, Graphics::Bold));
    if (!font.selected()) {
        ULog::write("Printfile::printBanner(): Graphics::select_font(): could set font", ULog::Error);
        return false;
    }
    // Below the last line; a page of one line and no room below it still gets its banner
    // inside the printable area, over the line's foot.
    const int y = trunc32(std::min<double>(pitch * mPage.linesPerPage + mPage.topPx,
        static_cast<double>(mPage.fullHeight() - bannerHeight)));
    return dc->textOut(mPage.leftPx, y, mArgs.banner, static_cast<int>(std::strlen(mArgs.banner)), nullptr);
}

// Which of the job modes a run performs. The copy and run modes and the reading of a file
// for raw printing are FileJob's.
bool Printfile::startPrinting()
{
    FileJob job(mArgs);
    if (job.handsOver())
        return job.copyAndRun();

    if (isEmptyFile(mArgs.filename)) {
        UString warning("Printfile::startPrinting(): the file '");
        warning += mArgs.filename;
        warning += "' is empty: nothing to print";
        ULog::write(warning, ULog::Warning);
        return true;
    }
    if (mArgs.direct) {
        if (draxomeDirect())
            return true;
        ULog::write("Printfile::startPrinting() : could not print file", ULog::Error);
        return false;
    }
    if (printfile() != 0) {
        ULog::write("Printfile::startPrinting() : could not parse document", ULog::Error);
        return false;
    }
    if (draxome(-1) != 0) {
        ULog::write("Printfile::startPrinting() : could not print file", ULog::Error);
        return false;
    }
    return true;
}

bool Printfile::draxomeDirect() { return FileJob(mArgs).printDirect(); }
