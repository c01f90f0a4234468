// draxomeDirect against every answer the in-memory spooler can give: what reaches the
// printer, which failures end the job and which only warn, and that the printer is
// always closed again.
#include "printer/DirectPrint.h"
#include "printer/fake/FakeSpooler.h"
#include "tests/printer/PrinterTestSupport.h"

namespace {

using Log = std::vector<std::string>;

class DirectPrint : public PrinterTest {
protected:
    void SetUp() override
    {
        PrinterTest::SetUp();
        FakeSpooler::clear();
        printer = &FakeSpooler::add("Virtual A4", "LPT1:", "Virtual A4 Driver");
    }
    void TearDown() override
    {
        EXPECT_EQ(0, FakeSpooler::openPrinters()) << "a printer was left open";
        FakeSpooler::clear();
        PrinterTest::TearDown();
    }

    FakeSpooler::Printer* printer = nullptr;
};

TEST_F(DirectPrint, SendsTheTextUpToItsNulAsOneDocument)
{
    EXPECT_TRUE(draxomeDirect("Virtual A4", "Raport", "%!PS\r\nshowpage\f\r\n"));
    ASSERT_EQ(1u, printer->rawDocuments.size());
    EXPECT_EQ("%!PS\r\nshowpage\f\r\n", printer->rawDocuments[0].data);
    EXPECT_EQ("Raport", printer->rawDocuments[0].name);
    EXPECT_EQ(1, printer->rawDocuments[0].writes);
    EXPECT_TRUE(printer->rawDocuments[0].ended);
    EXPECT_EQ(Log {}, logLines());
}

TEST_F(DirectPrint, UnknownPrinterPrintsNothing)
{
    EXPECT_FALSE(draxomeDirect("Office Laser", "Raport", "x"));
    EXPECT_EQ((Log { "Error: draxomeDirect() : cannot open printer" }), logLines());
    EXPECT_TRUE(printer->rawDocuments.empty());
}

TEST_F(DirectPrint, DocumentThatCannotStart)
{
    printer->startsDocument = false;
    EXPECT_FALSE(draxomeDirect("Virtual A4", "Raport", "x"));
    EXPECT_EQ((Log { "Error: draxomeDirect() : cannot start document" }), logLines());
}

TEST_F(DirectPrint, FailedWriteStillEndsTheDocument)
{
    printer->writes = false;
    EXPECT_FALSE(draxomeDirect("Virtual A4", "Raport", "x"));
    EXPECT_EQ((Log { "Error: draxomeDirect() : cannot write document to printer" }), logLines());
    ASSERT_EQ(1u, printer->rawDocuments.size());
    EXPECT_TRUE(printer->rawDocuments[0].ended) << "the spooler holds at most a partial job";
}

TEST_F(DirectPrint, SpoolerThatTakesPiecesGetsTheRest)
{
    printer->writeLimit = 4;
    EXPECT_TRUE(draxomeDirect("Virtual A4", "Raport", "0123456789"));
    ASSERT_EQ(1u, printer->rawDocuments.size());
    EXPECT_EQ("0123456789", printer->rawDocuments[0].data);
    EXPECT_EQ(3, printer->rawDocuments[0].writes);
    EXPECT_EQ(Log {}, logLines());
}

TEST_F(DirectPrint, SpoolerThatTakesNothingWarnsAndGoesOn)
{
    printer->writeLimit = 0;
    EXPECT_TRUE(draxomeDirect("Virtual A4", "Raport", "0123456789"));
    EXPECT_EQ((Log { "Warning: draxomeDirect() : cannot print entire document" }), logLines());
    ASSERT_EQ(1u, printer->rawDocuments.size());
    EXPECT_TRUE(printer->rawDocuments[0].ended);
}

TEST_F(DirectPrint, FailedEndOnlyWarns)
{
    printer->endsDocument = false;
    EXPECT_TRUE(draxomeDirect("Virtual A4", "Raport", "x"));
    EXPECT_EQ((Log { "Warning: draxomeDirect() : cannot end document" }), logLines());
}

TEST_F(DirectPrint, EmptyTextIsAnEmptyDocument)
{
    EXPECT_TRUE(draxomeDirect("Virtual A4", "Raport", ""));
    ASSERT_EQ(1u, printer->rawDocuments.size());
    EXPECT_EQ("", printer->rawDocuments[0].data);
    EXPECT_EQ(Log {}, logLines());
}

} // namespace
