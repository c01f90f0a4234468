// Printer access against Wine's real spooler and GDI, on the project's virtual printers
// "Virtual A4" (the default) and "Virtual Letter".
#include "printer/DeviceMode.h"
#include "printer/FontList.h"
#include "printer/PrintDevice.h"
#include "printer/Graphics.h"
#include "printer/PrinterList.h"
#include "printer/PrinterSetup.h"
#include "printer/WinVersion.h"
#include "tests/printer/PrinterTestSupport.h"

#include <windows.h>
#include <winspool.h>

#include <cstddef>
#include <cstdlib>
#include <memory>

// The device mode is read and filled by offset on every platform; these are the offsets.
static_assert(offsetof(DEVMODEA, dmFields) == 40, "dmFields");
static_assert(offsetof(DEVMODEA, dmOrientation) == 44, "dmOrientation");
static_assert(offsetof(DEVMODEA, dmPaperSize) == 46, "dmPaperSize");
static_assert(offsetof(DEVMODEA, dmPrintQuality) == 58, "dmPrintQuality");
static_assert(offsetof(DEVMODEA, dmYResolution) == 64, "dmYResolution");
static_assert(offsetof(DEVMODEA, dmYResolution) + 2 == DeviceMode::MinimumSize, "MinimumSize");
static_assert(DM_ORIENTATION == DeviceMode::Orientation && DM_PAPERSIZE == DeviceMode::PaperSize
                  && DM_PRINTQUALITY == DeviceMode::PrintQuality && DM_YRESOLUTION == DeviceMode::YResolution,
              "field flags");
static_assert(sizeof(PRINTER_INFO_2A) == 84, "level-2 printer record");

namespace {

using Log = std::vector<std::string>;
const char kA4[] = "Virtual A4";
const char kLetter[] = "Virtual Letter";

// The spooler's own list, asked directly, to hold the program's answers against.
std::vector<std::string> spoolerNames()
{
    std::vector<std::string> names;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersA(flags, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buf(needed + 1);
    if (!EnumPrintersA(flags, nullptr, 2, buf.data(), needed, &needed, &count))
        return names;
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(buf.data());
    for (DWORD i = 0; i < count; ++i)
        names.push_back(info[i].pPrinterName);
    return names;
}

std::unique_ptr<PrintDevice> open(const char* name)
{
    printerinfo info;
    EXPECT_TRUE(getprinter(name, info)) << name;
    PrintDevice* dc = nullptr;
    EXPECT_EQ(0, init_printer(dc, info)) << name;
    return std::unique_ptr<PrintDevice>(static_cast<PrintDevice*>(dc));
}

struct Size {
    int w, h, wmm, hmm, dpi;
};

Size sizeOf(PrintDevice& d) { return Size { d.widthPixels(), d.heightPixels(), d.widthMM(), d.heightMM(), d.dpiX() }; }

std::filesystem::path spoolDir()
{
    const char* dir = std::getenv("DRAXOME_SPOOL_DIR");
    return std::filesystem::path(std::string("Z:") + (dir != nullptr ? dir : ""));
}

std::vector<std::filesystem::path> jobFiles()
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(spoolDir(), ec))
        if (e.path().extension() == ".ps")
            files.push_back(e.path());
    return files;
}

class PrinterAccessWin : public PrinterTest {};

} // namespace

TEST_F(PrinterAccessWin, PrinterListIsTheSpoolersList)
{
    const auto names = spoolerNames();
    ASSERT_FALSE(names.empty());
    ASSERT_TRUE(printlist());
    std::string want;
    for (const auto& n : names)
        want += n + "\n";
    EXPECT_EQ(want, readFile("prntlist.txt"));
    EXPECT_NE(std::string::npos, want.find("Virtual A4\n"));
    EXPECT_NE(std::string::npos, want.find("Virtual Letter\n"));
    const Log log = logLines();
    ASSERT_EQ(names.size() + 1, log.size());
    EXPECT_EQ("Info: ENUMPRINTERS:", log[0]);
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(0u, log[i + 1].find("Info: \t" + names[i] + ";")) << log[i + 1];

    // Again: the table is refilled, not grown.
    UVector<printerinfo*>* printers = nullptr;
    int count = 0;
    ASSERT_TRUE(enumprinters(printers, count));
    ASSERT_TRUE(enumprinters(printers, count));
    EXPECT_EQ(static_cast<int>(names.size()), count);
    EXPECT_EQ(count, printers->size());
}

TEST_F(PrinterAccessWin, DefaultPrinterAndPrinterRecords)
{
    char* name = nullptr;
    ASSERT_TRUE(getdefaultprinter(name));
    EXPECT_STREQ(kA4, name);

    printerinfo info;
    ASSERT_TRUE(getprinter(kLetter, info));
    EXPECT_STREQ(kLetter, info.name.str());
    EXPECT_EQ('|', info.port.str()[0]) << info.port.str();
    EXPECT_FALSE(info.driver.isEmpty());
    printerinfo a4;
    ASSERT_TRUE(getprinter(kA4, a4));
    EXPECT_STRNE(a4.driver.str(), info.driver.str());
    EXPECT_TRUE(logLines().empty());

    EXPECT_FALSE(getprinter("No Such Printer", info));
    EXPECT_STREQ(kLetter, info.name.str());
    EXPECT_EQ(Log({ "Error: getprinter: OpenPrinter(): cannot open printer" }), logLines());
}

TEST_F(PrinterAccessWin, ResolutionsInPrinterOrderAndMinimumChoice)
{
    std::int32_t* list = nullptr;
    int count = 0;
    ASSERT_TRUE(enumres(kA4, list, count));
    ASSERT_EQ(5, count);
    std::string want;
    for (int i = 0; i < count; ++i)
        want += std::to_string(list[2 * i]) + "x" + std::to_string(list[2 * i + 1]) + "\n";
    EXPECT_EQ("150x150\n300x300\n600x600\n1200x1200\n2400x2400\n", want);

    std::int32_t res[2] = { 0, 0 };
    ASSERT_TRUE(getminres(kA4, res, 400));
    EXPECT_EQ(600, res[0]);
    EXPECT_EQ(600, res[1]);
    ASSERT_TRUE(getminres(kA4, res, 3000));
    EXPECT_EQ(2400, res[0]);
    EXPECT_EQ(2400, res[1]);
    ASSERT_TRUE(reslist(kA4));
    EXPECT_EQ(want, readFile("reslist.txt"));
    EXPECT_TRUE(logLines().empty());

    EXPECT_FALSE(reslist("No Such Printer"));
    EXPECT_FALSE(getminres("No Such Printer", res, 400));
    EXPECT_EQ(2400, res[0]);
    const Log failed = { "Error: getprinter: OpenPrinter(): cannot open printer",
                         "Error: enumres(...): b=getprinter(prname, printer) : printer missing" };
    Log twice = failed;
    twice.insert(twice.end(), failed.begin(), failed.end());
    EXPECT_EQ(twice, logLines());
}

TEST_F(PrinterAccessWin, DeviceModeOfThePrinters)
{
    void* devmode = nullptr;
    int size = 0;
    ASSERT_TRUE(getprinterinfo(kA4, devmode, size));
    EXPECT_GE(size, static_cast<int>(sizeof(DEVMODEA)));
    DeviceMode a4(devmode, size);
    EXPECT_EQ(1, a4.orientation());
    EXPECT_EQ(DMPAPER_A4, a4.paperSize());
    EXPECT_EQ(300, a4.printQuality());
    ASSERT_TRUE(getprinterinfo(kLetter, devmode, size));
    EXPECT_EQ(DMPAPER_LETTER, DeviceMode(devmode, size).paperSize());
    EXPECT_FALSE(getprinterinfo("No Such Printer", devmode, size));
    EXPECT_EQ(Log({ "Error: reset_printer: OpenPrinter(): cannot open printer" }), logLines());
}

TEST_F(PrinterAccessWin, ResetTurnsShrinksAndKeeps)
{
    auto dc = open(kA4);
    ASSERT_TRUE(dc);
    const Size portrait = sizeOf(*dc);
    EXPECT_EQ(2329, portrait.w);
    EXPECT_EQ(3358, portrait.h);
    EXPECT_EQ(300, portrait.dpi);

    ASSERT_EQ(0, reset_printer(kA4, dc.get(), -1, -1, 0, 0));
    Size s = sizeOf(*dc);
    EXPECT_EQ(portrait.w, s.w);
    EXPECT_EQ(portrait.h, s.h);

    ASSERT_EQ(0, reset_printer(kA4, dc.get(), DMORIENT_LANDSCAPE, -1, 0, 0));
    s = sizeOf(*dc);
    EXPECT_EQ(portrait.h, s.w);
    EXPECT_EQ(portrait.w, s.h);
    EXPECT_EQ(portrait.hmm, s.wmm);
    EXPECT_EQ(portrait.wmm, s.hmm);

    ASSERT_EQ(0, reset_printer(kA4, dc.get(), DMORIENT_PORTRAIT, DMPAPER_A5, 0, 0));
    s = sizeOf(*dc);
    EXPECT_LT(s.w, portrait.w);
    EXPECT_LT(s.h, portrait.h);
    EXPECT_LT(s.hmm, portrait.hmm);
    EXPECT_LT(s.w, s.h);

    // One resolution value alone applies none, and nothing selected changes nothing: the
    // device stays as the last reset left it.
    const Size a5 = s;
    ASSERT_EQ(0, reset_printer(kA4, dc.get(), -1, -1, 600, 0));
    s = sizeOf(*dc);
    EXPECT_EQ(300, s.dpi);
    EXPECT_EQ(a5.w, s.w);
    EXPECT_EQ(a5.h, s.h);
    EXPECT_TRUE(logLines().empty());

    EXPECT_EQ(-1, reset_printer("No Such Printer", dc.get(), 2, -1, 0, 0));
    EXPECT_EQ(-1, reset_printer(kA4, nullptr, 2, -1, 0, 0));
}

TEST_F(PrinterAccessWin, ResolutionReachesTheDevice)
{
    auto dc = open(kLetter);
    ASSERT_TRUE(dc);
    const Size before = sizeOf(*dc);
    ASSERT_EQ(0, reset_printer(kLetter, dc.get(), -1, -1, 600, 600));
    EXPECT_EQ(600, dc->dpiX());
    EXPECT_EQ(600, dc->dpiY());
    EXPECT_EQ(before.w * 2, dc->widthPixels());
    EXPECT_EQ(before.wmm, dc->widthMM());
}

TEST_F(PrinterAccessWin, InitPrinterFailsForAnUnknownDevice)
{
    printerinfo bogus;
    bogus.name = "No Such Printer";
    bogus.driver = "No Such Driver";
    bogus.port = "LPT9:";
    PrintDevice* dc = nullptr;
    EXPECT_EQ(-1, init_printer(dc, bogus));
    EXPECT_EQ(nullptr, dc);
}

TEST_F(PrinterAccessWin, FontListHasCourierNewAmongFixedPitchTrueType)
{
    ASSERT_TRUE(fontlist());
    const std::string list = readFile("fontlist.txt");
    EXPECT_EQ(std::string::npos, list.find('\r'));
    ASSERT_FALSE(list.empty());
    EXPECT_EQ('\n', list.back());
    EXPECT_TRUE(list.rfind("Courier New\n", 0) == 0 || list.find("\nCourier New\n") != std::string::npos) << list;
    EXPECT_EQ(std::string::npos, list.find("Arial\n")) << list;
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PrinterAccessWin, VersionClassOfThisSystem)
{
    OSVERSIONINFOA v;
    v.dwOSVersionInfoSize = sizeof v;
    ASSERT_TRUE(GetVersionExA(&v));
    EXPECT_EQ(winversionclass(static_cast<int>(v.dwMinorVersion)), getwinversion());
}

TEST_F(PrinterAccessWin, FontOnThePrinterMeasuresSensibly)
{
    auto dc = open(kA4);
    ASSERT_TRUE(dc);
    PrintObject saved = Graphics::select_font(dc.get(), 48, 0, "Courier New", Graphics::Bold);
    ASSERT_NE(nullptr, saved);
    int w = 0, h = 0;
    ASSERT_EQ(0, Graphics::get_text_metrics(dc.get(), "W", w, h));
    // Courier New's advance is 0.6 em; at a cell height of 48 that is between 24 and 30.
    EXPECT_GE(w, 24);
    EXPECT_LE(w, 30);
    EXPECT_GE(h, 40);
    EXPECT_LE(h, 56);
    int w10 = 0;
    ASSERT_EQ(0, Graphics::get_text_metrics(dc.get(), "WWWWWWWWWW", w10, h));
    EXPECT_EQ(10 * w, w10);
    EXPECT_TRUE(Graphics::restoreObject(dc.get(), saved));

    saved = Graphics::select_font(dc.get(), 48, 20, "Courier New", Graphics::Bold);
    ASSERT_NE(nullptr, saved);
    ASSERT_EQ(0, Graphics::get_text_metrics(dc.get(), "W", w, h));
    EXPECT_GE(w, 18);
    EXPECT_LE(w, 22);
    EXPECT_TRUE(Graphics::restoreObject(dc.get(), saved));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PrinterAccessWin, PrintsAPageThroughTheDevice)
{
    const auto before = jobFiles();
    auto dc = open(kA4);
    ASSERT_TRUE(dc);
    ASSERT_GT(dc->startDoc("draxome device test"), 0);
    ASSERT_GT(dc->startPage(), 0);
    PrintObject paint = Graphics::setPaint(dc.get(), 0, PrintDevice::Transparent);
    ASSERT_NE(nullptr, paint);
    PrintObject font = Graphics::select_font(dc.get(), 50, 0, "Courier New", Graphics::Bold);
    ASSERT_NE(nullptr, font);
    const int advances[5] = { 40, 40, 40, 40, 40 };
    EXPECT_TRUE(dc->textOut(300, 300, "HELLO", 5, advances));
    EXPECT_TRUE(dc->textOut(300, 400, "BANNER", 6, nullptr));
    EXPECT_EQ(1, Graphics::drawHLine(dc.get(), 300, 500, 2000, 500, 3));
    EXPECT_EQ(1, Graphics::drawVLine(dc.get(), 300, 500, 300, 900, 3));
    EXPECT_TRUE(Graphics::restoreObject(dc.get(), font));
    EXPECT_TRUE(Graphics::restoreObject(dc.get(), paint));
    ASSERT_GT(dc->endPage(), 0);
    ASSERT_GT(dc->endDoc(), 0);
    EXPECT_TRUE(dc->deleteDC());
    EXPECT_FALSE(dc->deleteDC());
    EXPECT_LE(dc->startPage(), 0);

    const auto after = jobFiles();
    ASSERT_EQ(before.size() + 1, after.size()) << "no new job in " << spoolDir();
    std::filesystem::path job;
    for (const auto& p : after)
        if (std::find(before.begin(), before.end(), p) == before.end())
            job = p;
    const std::string ps = readFile(job.string());
    EXPECT_NE(std::string::npos, ps.find("%!PS-Adobe")) << job;
    EXPECT_NE(std::string::npos, ps.find("%%Page: 1 1")) << job;
    EXPECT_EQ(std::string::npos, ps.find("%%Page: 2")) << job;
    EXPECT_TRUE(logLines().empty());
}
