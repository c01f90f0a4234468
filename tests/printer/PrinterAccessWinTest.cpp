// Printer access against Wine's real spooler and GDI, on the project's virtual printers
// "Virtual A4" (the default) and "Virtual Letter": what only the real system can show and
// the system tests do not (they print through the device and read the pages back).
#include "printer/DeviceMode.h"
#include "printer/Graphics.h"
#include "printer/PrintDevice.h"
#include "printer/PrinterList.h"
#include "printer/PrinterSetup.h"
#include "printer/WinVersion.h"
#include "tests/printer/PrinterTestSupport.h"

#include <windows.h>
#include <winspool.h>

#include <cstddef>

// The device mode is read and filled by offset on every platform; these are the offsets.
static_assert(offsetof(DEVMODEA, dmFields) == 40 && offsetof(DEVMODEA, dmOrientation) == 44
        && offsetof(DEVMODEA, dmPaperSize) == 46 && offsetof(DEVMODEA, dmPrintQuality) == 58
        && offsetof(DEVMODEA, dmYResolution) + 2 == DeviceMode::MinimumSize,
    "device mode offsets");
static_assert(DM_ORIENTATION == DeviceMode::Orientation && DM_PAPERSIZE == DeviceMode::PaperSize
        && DM_PRINTQUALITY == DeviceMode::PrintQuality && DM_YRESOLUTION == DeviceMode::YResolution,
    "field flags");
// Nine pointers and twelve 32-bit fields.
static_assert(sizeof(PRINTER_INFO_2A) == (sizeof(void*) == 8 ? 136 : 84), "level-2 printer record");

namespace {

const char kA4[] = "Virtual A4";
const char kLetter[] = "Virtual Letter";

std::unique_ptr<PrintDevice> open(const char* name)
{
    printerinfo info;
    EXPECT_TRUE(getprinter(name, info)) << name;
    PrintDevice* dc = nullptr;
    EXPECT_EQ(0, init_printer(dc, info)) << name;
    return std::unique_ptr<PrintDevice>(dc);
}

class PrinterAccessWin : public PrinterTest {};

} // namespace

TEST_F(PrinterAccessWin, ResolutionsAndDeviceModeOfTheDriver)
{
    std::int32_t res[2] = { 0, 0 };
    ASSERT_TRUE(getminres(kA4, res, 400));
    EXPECT_EQ(600, res[1]);
    void* devmode = nullptr;
    int size = 0;
    ASSERT_TRUE(getprinterinfo(kA4, devmode, size));
    EXPECT_EQ((std::vector<int> { 1, DMPAPER_A4, 300 }), (std::vector<int> { DeviceMode(devmode, size).orientation(),
        DeviceMode(devmode, size).paperSize(), DeviceMode(devmode, size).printQuality() }));
    ASSERT_TRUE(getprinterinfo(kLetter, devmode, size));
    EXPECT_EQ(DMPAPER_LETTER, DeviceMode(devmode, size).paperSize());
}

TEST_F(PrinterAccessWin, ResetTurnsShrinksAndChangesTheResolution)
{
    auto dc = open(kA4);
    ASSERT_TRUE(dc);
    const int w = dc->widthPixels(), h = dc->heightPixels(), wmm = dc->widthMM();
    EXPECT_EQ(2329, w);
    EXPECT_EQ(3358, h);
    ASSERT_EQ(0, reset_printer(kA4, dc.get(), DMORIENT_LANDSCAPE, -1, 0, 0));
    EXPECT_EQ(h, dc->widthPixels());
    EXPECT_EQ(w, dc->heightPixels());
    EXPECT_EQ(wmm, dc->heightMM());
    ASSERT_EQ(0, reset_printer(kA4, dc.get(), DMORIENT_PORTRAIT, DMPAPER_A5, 0, 0));
    EXPECT_LT(dc->widthPixels(), w);
    EXPECT_LT(dc->heightPixels(), h);
    // One resolution value alone applies none.
    const int a5 = dc->widthPixels();
    ASSERT_EQ(0, reset_printer(kA4, dc.get(), -1, -1, 600, 0));
    EXPECT_EQ(300, dc->dpiX());
    EXPECT_EQ(a5, dc->widthPixels());
    auto letter = open(kLetter);
    const int letterWidth = letter->widthPixels();
    ASSERT_EQ(0, reset_printer(kLetter, letter.get(), -1, -1, 600, 600));
    EXPECT_EQ(600, letter->dpiY());
    EXPECT_EQ(2 * letterWidth, letter->widthPixels());
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PrinterAccessWin, VersionClassAndFontsOnThePrinter)
{
    OSVERSIONINFOA v;
    v.dwOSVersionInfoSize = sizeof v;
    ASSERT_TRUE(GetVersionExA(&v));
    EXPECT_EQ(winversionclass(static_cast<int>(v.dwMinorVersion)), getwinversion());
    // Courier New's advance is 0.6 em: at a height of 48, W is 24 to 30 wide; asked for
    // width 20, about 20.
    auto dc = open(kA4);
    for (const auto& want : std::vector<std::vector<int>> { { 0, 24, 30 }, { 20, 18, 22 } }) {
        PrintObject saved = Graphics::select_font(dc.get(), 48, want[0], "Courier New", Graphics::Bold);
        ASSERT_NE(nullptr, saved);
        int w = 0, h = 0;
        ASSERT_EQ(0, Graphics::get_text_metrics(dc.get(), "W", w, h));
        EXPECT_GE(w, want[1]);
        EXPECT_LE(w, want[2]);
        EXPECT_TRUE(Graphics::restoreObject(dc.get(), saved));
    }
    EXPECT_TRUE(logLines().empty());
}
