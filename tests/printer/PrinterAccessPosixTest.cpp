// Printer access on the in-memory machine of the native build: the same algorithms that
// run against the spooler on Windows, with every failure the spooler can answer.
#include "printer/DeviceMode.h"
#include "printer/FontList.h"
#include "printer/PrinterList.h"
#include "printer/PrinterSetup.h"
#include "printer/fake/FakeSpooler.h"
#include "tests/printer/PrinterTestSupport.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class PrinterAccess : public PrinterTest {
protected:
    void SetUp() override
    {
        PrinterTest::SetUp();
        FakeSpooler::clear();
        FakeSpooler::add("Virtual A4", "|cat > a.ps", "Virtual A4 Driver").resolutions = { 600, 600, 300, 300, 1200,
            600 };
        FakeSpooler::add("Virtual Letter", "LPT1:", "Virtual Letter Driver").caps.widthPixels = 2400;
    }
    void TearDown() override
    {
        EXPECT_EQ(0, FakeSpooler::openPrinters()) << "a printer was left open";
        FakeSpooler::clear();
        PrinterTest::TearDown();
    }
};

} // namespace

TEST_F(PrinterAccess, PrinterListAndEnumerationFailures)
{
    ASSERT_TRUE(printlist());
    EXPECT_EQ("Virtual A4\nVirtual Letter\n", readFile("prntlist.txt"));
    EXPECT_EQ((Log { "Info: ENUMPRINTERS:", "Info: \tVirtual A4;|cat > a.ps;Virtual A4 Driver",
                  "Info: \tVirtual Letter;LPT1:;Virtual Letter Driver" }),
        logLines());
    // Enumerating again refills the table; a failure leaves it empty.
    UVector<printerinfo*>* printers = nullptr;
    int count = -1;
    ASSERT_TRUE(enumprinters(printers, count) && enumprinters(printers, count));
    EXPECT_EQ(2, printers->size());
    FakeSpooler::setEnumResult(PrinterOs::NoMemory);
    ASSERT_TRUE(enumprinters(printers, count));
    EXPECT_EQ(0, printers->size());
    FakeSpooler::setEnumResult(PrinterOs::EnumFailed);
    ASSERT_TRUE(enumprinters(printers, count));
    FakeSpooler::clear();
    ASSERT_TRUE(printlist());
    EXPECT_EQ("", readFile("prntlist.txt"));
    const Log log = logLines();
    EXPECT_EQ((Log { "Error: enumprinters(): pPrinters=LocalAlloc(): memory allocation error",
                  "Error: enumprinters(): EnumPrinters(): could not enumerate printers", "Info: ENUMPRINTERS:",
                  "Warning: enumprinters(): cReturned > 0: no printers in the system" }),
        Log(log.end() - 4, log.end()));
    fs::remove("prntlist.txt");
    fs::create_directory("prntlist.txt");
    EXPECT_FALSE(printlist());
}

TEST_F(PrinterAccess, PrinterRecordsAndTheDefaultPrinter)
{
    printerinfo info;
    ASSERT_TRUE(getprinter("Virtual Letter", info));
    EXPECT_EQ("Virtual Letter;LPT1:;Virtual Letter Driver",
        std::string(info.name.str()) + ";" + info.port.str() + ";" + info.driver.str());
    EXPECT_FALSE(getprinter("No Such Printer", info));
    FakeSpooler::find("Virtual A4")->describes = false;
    EXPECT_FALSE(getprinter("Virtual A4", info)) << "a failed query is silent";
    EXPECT_STREQ("Virtual Letter", info.name.str());
    FakeSpooler::find("Virtual A4")->describes = true;
    FakeSpooler::find("Virtual A4")->closes = false;
    EXPECT_TRUE(getprinter("Virtual A4", info));
    EXPECT_EQ((Log { "Error: getprinter: OpenPrinter(): cannot open printer",
                  "Error: getprinter(): cannot open the printer 'No Such Printer': error 2: No such file or directory",
                  "Error: getprinter: ClosePrinter(): cannot close printer/r/n" }),
        logLines());
    // The default printer is the first of the three parts of the profile's "device".
    char* name = nullptr;
    for (const auto& c : std::vector<std::pair<std::string, std::string>> { { "Virtual A4,wineps.drv", "" },
             { "Office Laser,winspool," + std::string(300, 'x'), "Office Laser" }, { ",, Spaced ,drv,port", " Spaced " },
             { "P, drv ,  port", "P" }, { "Laser,win spool", "Laser" }, { ",,,", "" }, { "Laser,winspool,", "" },
             { std::string(200, 'N') + ",drv,port", "" } }) {
        FakeSpooler::setDefaultDevice(c.first.c_str());
        EXPECT_EQ(!c.second.empty(), getdefaultprinter(name));
        if (!c.second.empty()) {
            EXPECT_EQ(c.second, name);
        }
    }
}

TEST_F(PrinterAccess, DeviceModeResetAndDevice)
{
    void* devmode = nullptr;
    int size = 0;
    FakeSpooler::Printer* p = FakeSpooler::find("Virtual A4");
    p->deviceModeSize = 20;
    ASSERT_TRUE(getprinterinfo("Virtual A4", devmode, size));
    EXPECT_EQ(DeviceMode::MinimumSize, size) << "room for every field a job writes";
    EXPECT_FALSE(getprinterinfo("nobody", devmode, size));
    p->deviceModeSize = -1;
    EXPECT_FALSE(getprinterinfo("Virtual A4", devmode, size));
    p->deviceModeSize = 164;
    p->readsDeviceMode = false;
    EXPECT_FALSE(getprinterinfo("Virtual A4", devmode, size));
    EXPECT_EQ((Log { "Error: reset_printer: OpenPrinter(): cannot open printer",
                  "Error: reset_printer(): cannot open the printer 'nobody': error 2: No such file or directory",
                  "Error: reset_printer: DocumentProperties(): cannot retrieve size of DEVMODE/r/n",
                  "Error: reset_printer: DocumentProperties(): cannot initialize mode/r/n" }),
        logLines());
    p->readsDeviceMode = true;
    printerinfo info;
    ASSERT_TRUE(getprinter("Virtual A4", info));
    PrintDevice* made = nullptr;
    ASSERT_EQ(0, init_printer(made, info));
    std::unique_ptr<RecordingDevice> dc(static_cast<RecordingDevice*>(made));
    ASSERT_EQ(0, reset_printer("Virtual A4", dc.get(), 2, 11, 600, 0));
    ASSERT_EQ(0, reset_printer("Virtual A4", dc.get(), -1, -1, 600, 600));
    EXPECT_EQ((Log { "reset fields=0x3 orientation=2 paper=11 quality=300 yres=300",
                  "reset fields=0x2400 orientation=1 paper=9 quality=600 yres=600" }),
        dc->log({ RecordingDevice::Reset }));
    EXPECT_EQ(-1, reset_printer("nobody", dc.get(), 2, -1, 0, 0));
    dc->fail(RecordingDevice::Reset);
    EXPECT_EQ(-1, reset_printer("Virtual A4", dc.get(), 2, -1, 0, 0));
    p->makesDevice = false;
    EXPECT_EQ(-1, init_printer(made, info));
    EXPECT_EQ(nullptr, made);
}

TEST_F(PrinterAccess, ResolutionsInPrinterOrderAndTheirFailures)
{
    std::int32_t res[2] = { 7, 7 };
    ASSERT_TRUE(getminres("Virtual A4", res, 2000));
    EXPECT_EQ(1200, res[0]);
    ASSERT_TRUE(reslist("Virtual A4"));
    EXPECT_EQ("600x600\n300x300\n1200x600\n", readFile("reslist.txt"));
    // One resolution is a list too; none is none.
    std::int32_t one[2] = { 0, 0 };
    FakeSpooler::find("Virtual Letter")->resolutions = { 300, 300 };
    EXPECT_TRUE(getminres("Virtual Letter", one, 300) && one[0] == 300);
    FakeSpooler::find("Virtual Letter")->resolutions.clear();
    EXPECT_FALSE(getminres("Virtual Letter", res, 300));
    EXPECT_TRUE(logLines().empty());
    FakeSpooler::find("Virtual A4")->reportsResolutions = false;
    EXPECT_FALSE(getminres("Virtual A4", res, 300));
    EXPECT_FALSE(reslist("nobody"));
    EXPECT_EQ(1200, res[0]);
    EXPECT_EQ((Log { "Error: enumres(...): DeviceCapabilities() : cannot get number of resolutions",
                  "Error: getprinter: OpenPrinter(): cannot open printer",
                  "Error: getprinter(): cannot open the printer 'nobody': error 2: No such file or directory",
                  "Error: enumres(...): b=getprinter(prname, printer) : printer missing" }),
        logLines());
}

TEST_F(PrinterAccess, FontListHoldsFixedPitchTrueTypeFacesInOrder)
{
    for (const auto& f : std::vector<std::pair<const char*, unsigned>> {
             { "Liberation Mono", 0x4 }, { "Courier", 0x1 }, { "Courier New", 0x4 }, { "Liberation Mono", 0x4 },
             { "Lucida Console", 0x4 } })
        FakeSpooler::addFont(f.first, 0x31, f.second);
    FakeSpooler::addFont("Arial", 0x22, 0x4);
    testsupport::writeFile("fontlist.txt", "Stale\n");
    ASSERT_TRUE(fontlist());
    EXPECT_EQ("Liberation Mono\nCourier New\nLucida Console\n", readFile("fontlist.txt"));
    FakeSpooler::setScreen(false);
    EXPECT_FALSE(fontlist());
    fs::remove("fontlist.txt");
    fs::create_directory("fontlist.txt");
    FakeSpooler::setScreen(true);
    EXPECT_FALSE(fontlist());
    EXPECT_EQ((Log { "Error: fontlist(): GetWindowDC(NULL): cannot enumerate fonts" }), logLines());
    EXPECT_EQ(0, fontlist_proc("Courier New", 0x31, 0x4, nullptr)) << "a face that cannot be written ends it";
}
