// The whole preparation of a job, printer included, on the in-memory machine of the native
// build: the printer is looked up, its device made and set up as the options say.
#include "printer/fake/FakeSpooler.h"

#include "LayoutTestSupport.h"

#include <algorithm>

namespace {

class PrintfileOnPrinter : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        FakeSpooler::clear();
        FakeSpooler::add("Virtual A4", "|cat > job.ps", "Virtual A4 Driver");
        writeFile("doc.txt", "first line\r\nsecond line\r\n");
    }

    void TearDown() override
    {
        job.reset();
        EXPECT_EQ(0, FakeSpooler::openPrinters()) << "a printer was left open";
        FakeSpooler::clear();
        LayoutTest::TearDown();
    }

    bool loggedLine(const std::string& line) const
    {
        const Lines log = logged();
        return std::find(log.begin(), log.end(), line) != log.end();
    }
};

} // namespace

TEST_F(PrintfileOnPrinter, PreparesAndPrintsOnTheNamedPrinter)
{
    args.orientation = 2;
    job.reset(new Printfile());
    ASSERT_EQ(0, job->printfile());
    RecordingDevice* dc = FakeSpooler::lastDevice();
    ASSERT_NE(nullptr, dc);
    // Landscape: the page is turned before it is measured.
    EXPECT_EQ(3358, job->page().width);
    EXPECT_EQ(2329, job->page().height);
    EXPECT_EQ(2, job->document().totalLines());
    EXPECT_EQ((Lines {
                  "Info: Init printer...",
                  "Info: Printer port and driver as returned by GetPrinter():\tport=|cat > job.ps\tdriver=Virtual A4 "
                  "Driver",
                  "Info: Reset orientation, paper size and resolution...",
                  "Info: Printer settings:\tWidth: 284milimeters(3358pixels)\tHeight: 197milimeters(2329pixels)",
              }),
        logged());

    ASSERT_EQ(0, job->draxome(-1));
    EXPECT_EQ(1, dc->pagesEnded());
    EXPECT_TRUE(dc->deleted());
    // Two runs on each of the two lines.
    EXPECT_EQ(4, dc->count(RecordingDevice::TextOut));
}

TEST_F(PrintfileOnPrinter, SettingsThePrinterRefusesLeaveItsOwn)
{
    FakeSpooler::find("Virtual A4")->readsDeviceMode = false;
    args.orientation = 2;
    job.reset(new Printfile());
    ASSERT_EQ(0, job->printfile());
    EXPECT_TRUE(loggedLine("Warning: reset_printer(printername, hdcPrinter, orientation, papersize): cannot set "
                           "orientation or papersize or both; Using default settings..."));
    EXPECT_EQ(2329, job->page().width);
}

TEST_F(PrintfileOnPrinter, EachStepThatFailsEndsThePreparation)
{
    // No printer named.
    args.printername[0] = '\0';
    job.reset(new Printfile());
    EXPECT_EQ(-1, job->printfile());
    EXPECT_EQ("Error: Printfile::printfile(): no printer selected; use '-printername' to specify one",
        logged().back());

    // An unknown printer; the document was opened first.
    setText(args.printername, "Nobody");
    job.reset(new Printfile());
    EXPECT_EQ(-1, job->printfile());
    EXPECT_EQ("Error: b=getprinter(args.printername, printer): canot find specified printer", logged().back());

    // A printer whose device cannot be made.
    setText(args.printername, "Virtual A4");
    FakeSpooler::find("Virtual A4")->makesDevice = false;
    job.reset(new Printfile());
    EXPECT_EQ(-1, job->printfile());
    EXPECT_EQ("Error: init_printer(hdcPrinter): cannot init specified printer", logged().back());
    FakeSpooler::find("Virtual A4")->makesDevice = true;

    // No document, or one that cannot be opened: the printer is not touched.
    args.filename[0] = '\0';
    job.reset(new Printfile());
    EXPECT_EQ(-1, job->printfile());
    EXPECT_EQ("Error: Printfile::openFile(): no file specified; use -open parameter to specify one", logged().back());
    setText(args.filename, "missing.txt");
    job.reset(new Printfile());
    EXPECT_EQ(-1, job->printfile());
    EXPECT_EQ("Error: fopen(filename, \"rb\"): cannot open file", logged().back());
}

TEST_F(PrintfileOnPrinter, PreparingTwiceStartsAfresh)
{
    job.reset(new Printfile());
    ASSERT_EQ(0, job->printfile());
    writeFile("doc.txt", "only\r\n");
    ASSERT_EQ(0, job->printfile());
    EXPECT_EQ(1, job->document().totalLines());
    EXPECT_EQ(1, job->pageCount());
    EXPECT_STREQ("only", job->document().lines().line(0));
}
