// Printer access on the in-memory machine of the native build: the same algorithms that
// run against the spooler on Windows, with every failure the spooler can answer.
#include "printer/DeviceMode.h"
#include "printer/fake/FakeSpooler.h"
#include "printer/FontList.h"
#include "printer/Graphics.h"
#include "printer/PrinterList.h"
#include "printer/PrinterSetup.h"
#include "printer/WinVersion.h"
#include "tests/printer/PrinterTestSupport.h"

#include <filesystem>
#include <memory>

namespace {

using Log = std::vector<std::string>;

class PrinterAccess : public PrinterTest {
protected:
    void SetUp() override
    {
        PrinterTest::SetUp();
        FakeSpooler::clear();
    }
    void TearDown() override
    {
        EXPECT_EQ(0, FakeSpooler::openPrinters()) << "a printer was left open";
        FakeSpooler::clear();
        PrinterTest::TearDown();
    }

    static void twoPrinters()
    {
        FakeSpooler::Printer& a = FakeSpooler::add("Virtual A4", "|cat > a.ps", "Virtual A4 Driver");
        a.resolutions = { 150, 150, 300, 300, 600, 600, 1200, 1200, 2400, 2400 };
        FakeSpooler::Printer& l = FakeSpooler::add("Virtual Letter", "LPT1:", "Virtual Letter Driver");
        l.paperSize = 1;
        l.caps.widthPixels = 2400;
        l.caps.heightPixels = 3150;
        l.caps.widthMM = 203;
        l.caps.heightMM = 266;
    }

    static std::vector<std::string> names(UVector<printerinfo*>* printers, int count)
    {
        std::vector<std::string> out;
        for (int i = 0; i < count; ++i)
            out.push_back(std::string((*printers)[i]->name.str()) + ";" + (*printers)[i]->port.str() + ";"
                          + (*printers)[i]->driver.str());
        return out;
    }
};

std::unique_ptr<RecordingDevice> deviceFor(const char* name)
{
    printerinfo info;
    EXPECT_TRUE(getprinter(name, info));
    PrintDevice* dc = nullptr;
    EXPECT_EQ(0, init_printer(dc, info));
    return std::unique_ptr<RecordingDevice>(static_cast<RecordingDevice*>(dc));
}

} // namespace

TEST_F(PrinterAccess, NoPrintersGivesEmptyListAndWarning)
{
    ASSERT_TRUE(printlist());
    EXPECT_TRUE(exists("prntlist.txt"));
    EXPECT_EQ("", readFile("prntlist.txt"));
    EXPECT_EQ(Log({ "Info: ENUMPRINTERS:", "Warning: enumprinters(): cReturned > 0: no printers in the system" }),
              logLines());
}

TEST_F(PrinterAccess, PrinterListInSpoolerOrderLfOnly)
{
    twoPrinters();
    FakeSpooler::add("Office Laser", "LPT2:", "Office Laser Driver");
    ASSERT_TRUE(printlist());
    EXPECT_EQ("Virtual A4\nVirtual Letter\nOffice Laser\n", readFile("prntlist.txt"));
    EXPECT_EQ(Log({ "Info: ENUMPRINTERS:", "Info: \tVirtual A4;|cat > a.ps;Virtual A4 Driver",
                    "Info: \tVirtual Letter;LPT1:;Virtual Letter Driver", "Info: \tOffice Laser;LPT2:;Office Laser Driver" }),
              logLines());
    // A rewrite empties the file first.
    FakeSpooler::clear();
    FakeSpooler::add("Only", "p", "d");
    ASSERT_TRUE(printlist());
    EXPECT_EQ("Only\n", readFile("prntlist.txt"));
}

TEST_F(PrinterAccess, EnumeratingTwiceLeavesNothingOver)
{
    twoPrinters();
    UVector<printerinfo*>* printers = nullptr;
    int count = -1;
    ASSERT_TRUE(enumprinters(printers, count));
    ASSERT_EQ(2, count);
    const auto first = names(printers, count);
    UVector<printerinfo*>* again = nullptr;
    ASSERT_TRUE(enumprinters(again, count));
    EXPECT_EQ(printers, again);
    EXPECT_EQ(2, count);
    EXPECT_EQ(2, again->size());
    EXPECT_EQ(first, names(again, count));
    EXPECT_EQ(Log({ "Virtual A4;|cat > a.ps;Virtual A4 Driver", "Virtual Letter;LPT1:;Virtual Letter Driver" }), first);
}

TEST_F(PrinterAccess, EnumerationFailuresLeaveAnEmptyTable)
{
    twoPrinters();
    UVector<printerinfo*>* printers = nullptr;
    int count = -1;
    ASSERT_TRUE(enumprinters(printers, count));
    FakeSpooler::setEnumResult(PrinterOs::NoMemory);
    ASSERT_TRUE(enumprinters(printers, count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, printers->size());
    FakeSpooler::setEnumResult(PrinterOs::EnumFailed);
    clearLog();
    ASSERT_TRUE(printlist());
    EXPECT_EQ("", readFile("prntlist.txt"));
    EXPECT_EQ(Log({ "Error: enumprinters(): EnumPrinters(): could not enumerate printers" }), logLines());
    clearLog();
    FakeSpooler::setEnumResult(PrinterOs::NoMemory);
    ASSERT_TRUE(enumprinters(printers, count));
    EXPECT_EQ(Log({ "Error: enumprinters(): pPrinters=LocalAlloc(): memory allocation error" }), logLines());
}

TEST_F(PrinterAccess, PrinterListThatCannotBeCreated)
{
    std::filesystem::create_directory("prntlist.txt");
    twoPrinters();
    EXPECT_FALSE(printlist());
    EXPECT_EQ(Log({ "Error: printlist(...): if( prnlst==NULL )" }), logLines());
}

TEST_F(PrinterAccess, GetPrinterDescribesOrLeavesInfoAlone)
{
    twoPrinters();
    printerinfo info;
    ASSERT_TRUE(getprinter("Virtual Letter", info));
    EXPECT_STREQ("Virtual Letter", info.name.str());
    EXPECT_STREQ("LPT1:", info.port.str());
    EXPECT_STREQ("Virtual Letter Driver", info.driver.str());
    EXPECT_TRUE(logLines().empty());

    EXPECT_FALSE(getprinter("No Such Printer", info));
    EXPECT_FALSE(getprinter(nullptr, info));
    EXPECT_STREQ("Virtual Letter", info.name.str());
    EXPECT_EQ(Log(2, "Error: getprinter: OpenPrinter(): cannot open printer"), logLines());

    // A failed query is silent, and the printer is closed all the same (see TearDown).
    clearLog();
    FakeSpooler::find("Virtual A4")->describes = false;
    EXPECT_FALSE(getprinter("Virtual A4", info));
    EXPECT_STREQ("Virtual Letter", info.name.str());
    EXPECT_TRUE(logLines().empty());

    FakeSpooler::find("Virtual A4")->describes = true;
    FakeSpooler::find("Virtual A4")->closes = false;
    EXPECT_TRUE(getprinter("Virtual A4", info));
    EXPECT_STREQ("Virtual A4", info.name.str());
    EXPECT_EQ(Log({ "Error: getprinter: ClosePrinter(): cannot close printer/r/n" }), logLines());
}

TEST_F(PrinterAccess, DefaultPrinterFromProfile)
{
    char* name = nullptr;
    EXPECT_FALSE(getdefaultprinter(name));
    FakeSpooler::setDefaultDevice("Virtual A4,wineps.drv");
    EXPECT_FALSE(getdefaultprinter(name));
    FakeSpooler::setDefaultDevice("Virtual A4,wineps.drv,|cat > \"${DRAXOME_SPOOL_DIR}/job.ps\"");
    ASSERT_TRUE(getdefaultprinter(name));
    EXPECT_STREQ("Virtual A4", name);
    // A value longer than the profile buffer still yields its name.
    std::string longPort(300, 'x');
    FakeSpooler::setDefaultDevice(("Office Laser,winspool," + longPort).c_str());
    ASSERT_TRUE(getdefaultprinter(name));
    EXPECT_STREQ("Office Laser", name);
    // And a name that fills the whole buffer leaves no room for the rest.
    FakeSpooler::setDefaultDevice((std::string(200, 'N') + ",drv,port").c_str());
    EXPECT_FALSE(getdefaultprinter(name));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PrinterAccess, DeviceModeFailuresEachSayWhere)
{
    twoPrinters();
    void* devmode = nullptr;
    int size = 0;
    ASSERT_TRUE(getprinterinfo("Virtual A4", devmode, size));
    EXPECT_EQ(164, size);
    DeviceMode mode(devmode, size);
    EXPECT_EQ(1, mode.orientation());
    EXPECT_EQ(9, mode.paperSize());

    EXPECT_FALSE(getprinterinfo("nobody", devmode, size));
    FakeSpooler::Printer* p = FakeSpooler::find("Virtual A4");
    p->deviceModeSize = -1;
    EXPECT_FALSE(getprinterinfo("Virtual A4", devmode, size));
    p->deviceModeSize = 164;
    p->readsDeviceMode = false;
    EXPECT_FALSE(getprinterinfo("Virtual A4", devmode, size));
    EXPECT_EQ(Log({ "Error: reset_printer: OpenPrinter(): cannot open printer",
                    "Error: reset_printer: DocumentProperties(): cannot retrieve size of DEVMODE/r/n",
                    "Error: reset_printer: DocumentProperties(): cannot initialize mode/r/n" }),
              logLines());
    // A record shorter than the fields the job writes still gets room for them.
    p->readsDeviceMode = true;
    p->deviceModeSize = 20;
    ASSERT_TRUE(getprinterinfo("Virtual A4", devmode, size));
    EXPECT_EQ(DeviceMode::MinimumSize, size);
}

TEST_F(PrinterAccess, ResetAppliesOrientationPaperAndResolution)
{
    twoPrinters();
    auto dc = deviceFor("Virtual A4");
    ASSERT_TRUE(dc);
    EXPECT_EQ(dc.get(), FakeSpooler::lastDevice());

    ASSERT_EQ(0, reset_printer("Virtual A4", dc.get(), -1, -1, 0, 0));
    EXPECT_EQ(Log({ "reset fields=0x0 orientation=1 paper=9 quality=300 yres=300" }), dc->log({ RecordingDevice::Reset }));
    EXPECT_EQ(2329, dc->widthPixels());

    ASSERT_EQ(0, reset_printer("Virtual A4", dc.get(), 2, -1, 0, 0));
    EXPECT_EQ(0x1u, dc->calls().back().op == RecordingDevice::Reset ? dc->calls().back().fields : 0u);
    EXPECT_EQ(3358, dc->widthPixels());
    EXPECT_EQ(2329, dc->heightPixels());
    EXPECT_EQ(284, dc->widthMM());

    // Only one of the two resolution values: no resolution at all.
    dc->clearCalls();
    ASSERT_EQ(0, reset_printer("Virtual A4", dc.get(), 1, 11, 600, 0));
    EXPECT_EQ(Log({ "reset fields=0x3 orientation=1 paper=11 quality=300 yres=300" }), dc->log({ RecordingDevice::Reset }));
    EXPECT_EQ(135, dc->widthMM());
    EXPECT_LT(dc->widthPixels(), 2329);
    EXPECT_EQ(300, dc->dpiX());

    dc->clearCalls();
    ASSERT_EQ(0, reset_printer("Virtual A4", dc.get(), -1, -1, 600, 600));
    EXPECT_EQ(Log({ "reset fields=0x2400 orientation=1 paper=9 quality=600 yres=600" }), dc->log({ RecordingDevice::Reset }));
    EXPECT_EQ(600, dc->dpiX());
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PrinterAccess, ResetFailures)
{
    twoPrinters();
    auto dc = deviceFor("Virtual A4");
    EXPECT_EQ(-1, reset_printer("nobody", dc.get(), 2, -1, 0, 0));
    EXPECT_EQ(0, dc->count(RecordingDevice::Reset));
    EXPECT_EQ(-1, reset_printer("Virtual A4", nullptr, 2, -1, 0, 0));
    dc->fail(RecordingDevice::Reset);
    EXPECT_EQ(-1, reset_printer("Virtual A4", dc.get(), 2, -1, 0, 0));
    EXPECT_EQ(2329, dc->widthPixels());
    EXPECT_EQ(Log({ "Error: reset_printer: OpenPrinter(): cannot open printer" }), logLines());
}

TEST_F(PrinterAccess, InitPrinterMakesTheDeviceOrFails)
{
    twoPrinters();
    auto letter = deviceFor("Virtual Letter");
    ASSERT_TRUE(letter);
    EXPECT_EQ(2400, letter->widthPixels());
    EXPECT_EQ(3150, letter->heightPixels());

    printerinfo info;
    ASSERT_TRUE(getprinter("Virtual A4", info));
    FakeSpooler::find("Virtual A4")->makesDevice = false;
    PrintDevice* dc = reinterpret_cast<PrintDevice*>(&info); // anything but null
    EXPECT_EQ(-1, init_printer(dc, info));
    EXPECT_EQ(nullptr, dc);
    printerinfo unknown;
    EXPECT_EQ(-1, init_printer(dc, unknown));
}

TEST_F(PrinterAccess, ResolutionsInPrinterOrderAndChosenSorted)
{
    twoPrinters();
    FakeSpooler::find("Virtual Letter")->resolutions = { 600, 600, 300, 300, 1200, 600 };
    std::int32_t res[2] = { 0, 0 };
    ASSERT_TRUE(getminres("Virtual Letter", res, 400));
    EXPECT_EQ(600, res[0]);
    EXPECT_EQ(600, res[1]);
    ASSERT_TRUE(getminres("Virtual Letter", res, 2000));
    EXPECT_EQ(1200, res[0]);
    EXPECT_EQ(600, res[1]);
    // The file comes after the choice and still has the printer's order.
    ASSERT_TRUE(reslist("Virtual Letter"));
    EXPECT_EQ("600x600\n300x300\n1200x600\n", readFile("reslist.txt"));

    ASSERT_TRUE(getminres("Virtual A4", res, 400));
    EXPECT_EQ(600, res[0]);
    ASSERT_TRUE(getminres("Virtual A4", res, 3000));
    EXPECT_EQ(2400, res[0]);
    EXPECT_EQ(2400, res[1]);
    std::int32_t* list = nullptr;
    int count = 0;
    ASSERT_TRUE(enumres("Virtual A4", list, count));
    EXPECT_EQ(5, count);
    EXPECT_EQ(150, list[0]);
    EXPECT_EQ(2400, list[9]);
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PrinterAccess, PrinterWithoutResolutions)
{
    twoPrinters();
    FakeSpooler::find("Virtual A4")->resolutions.clear();
    std::int32_t* list = nullptr;
    int count = -1;
    ASSERT_TRUE(enumres("Virtual A4", list, count));
    EXPECT_EQ(0, count);
    std::int32_t res[2] = { 7, 7 };
    EXPECT_FALSE(getminres("Virtual A4", res, 300));
    EXPECT_EQ(7, res[0]);
    ASSERT_TRUE(reslist("Virtual A4"));
    EXPECT_TRUE(exists("reslist.txt"));
    EXPECT_EQ("", readFile("reslist.txt"));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PrinterAccess, ResolutionFailures)
{
    twoPrinters();
    std::int32_t* list = nullptr;
    int count = 0;
    std::int32_t res[2] = { 7, 7 };
    EXPECT_FALSE(enumres("nobody", list, count));
    EXPECT_EQ(Log({ "Error: getprinter: OpenPrinter(): cannot open printer",
                    "Error: enumres(...): b=getprinter(prname, printer) : printer missing" }),
              logLines());
    clearLog();
    FakeSpooler::find("Virtual A4")->reportsResolutions = false;
    EXPECT_FALSE(getminres("Virtual A4", res, 300));
    EXPECT_EQ(7, res[0]);
    EXPECT_FALSE(reslist("Virtual A4"));
    EXPECT_EQ(Log(2, "Error: enumres(...): DeviceCapabilities() : cannot get number of resolutions"), logLines());
    // The file was created before the question and is left empty.
    EXPECT_EQ("", readFile("reslist.txt"));

    clearLog();
    std::filesystem::remove("reslist.txt");
    std::filesystem::create_directory("reslist.txt");
    EXPECT_FALSE(reslist("Virtual Letter"));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PrinterAccess, FontListHoldsFixedPitchTrueTypeFacesInOrder)
{
    FakeSpooler::addFont("Liberation Mono", 0x31, 0x4);
    FakeSpooler::addFont("Arial", 0x22, 0x4);
    FakeSpooler::addFont("Courier", 0x31, 0x1);
    FakeSpooler::addFont("Courier New", 0x31, 0x4);
    FakeSpooler::addFont("Liberation Mono", 0x31, 0x4);
    // Left over from an earlier run; the list starts afresh.
    FILE* f = std::fopen("fontlist.txt", "wb");
    std::fputs("Stale\n", f);
    std::fclose(f);
    ASSERT_TRUE(fontlist());
    EXPECT_EQ("Liberation Mono\nCourier New\nLiberation Mono\n", readFile("fontlist.txt"));

    FakeSpooler::clear();
    ASSERT_TRUE(fontlist());
    EXPECT_TRUE(exists("fontlist.txt"));
    EXPECT_EQ("", readFile("fontlist.txt"));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(PrinterAccess, FontListFailures)
{
    FakeSpooler::setScreen(false);
    EXPECT_FALSE(fontlist());
    EXPECT_EQ(Log({ "Error: fontlist(): GetWindowDC(NULL): cannot enumerate fonts" }), logLines());
    clearLog();
    std::filesystem::remove("fontlist.txt");
    std::filesystem::create_directory("fontlist.txt");
    FakeSpooler::setScreen(true);
    FakeSpooler::addFont("Courier New", 0x31, 0x4);
    EXPECT_FALSE(fontlist());
    EXPECT_TRUE(logLines().empty());
    // A face that cannot be written ends the enumeration.
    EXPECT_EQ(1, fontlist_proc("Arial", 0x22, 0x4, nullptr));
    EXPECT_EQ(0, fontlist_proc("Courier New", 0x31, 0x4, nullptr));
    EXPECT_EQ(Log({ "Error: fontlist_proc(...): fopen(\"./fontlist.txt\"): could not write font list" }), logLines());
}

TEST_F(PrinterAccess, VersionClassChoosesFontQuality)
{
    EXPECT_EQ(0, getwinversion());
    FakeSpooler::setVersion(true, 6, 1);
    EXPECT_EQ(7, getwinversion());
    RecordingDevice dev;
    PrintObject saved = Graphics::select_font(&dev, 50, 0, "Courier New", 700);
    EXPECT_EQ(5, dev.selectedFont()->font.quality);
    Graphics::restoreObject(&dev, saved);
    FakeSpooler::setVersion(true, 5, 0);
    EXPECT_EQ(1, getwinversion());
    saved = Graphics::select_font(&dev, 50, 0, "Courier New", 700);
    EXPECT_EQ(4, dev.selectedFont()->font.quality);
    Graphics::restoreObject(&dev, saved);
    FakeSpooler::setVersion(true, 4, 51);
    EXPECT_EQ(4, getwinversion());
}
