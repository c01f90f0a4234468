// draxomeDirect against every answer the in-memory spooler can give: what reaches the
// printer, which failures end the job and which only warn, and that the printer is
// always closed again.
#include "printer/DirectPrint.h"
#include "printer/fake/FakeSpooler.h"
#include "tests/printer/PrinterTestSupport.h"

#include <functional>

TEST_F(PrinterTest, DirectPrintOnEveryAnswerOfTheSpooler)
{
    using P = FakeSpooler::Printer;
    struct Case {
        std::function<void(P&)> setUp;
        const char* printer;
        bool result;
        std::string data; // what the spooler holds, "-" for no document
        int writes;
        Log log;
    };
    const Case cases[] = {
        { [](P&) {}, "Virtual A4", true, "%!PS\r\nshowpage\f\r\n", 1, {} },
        { [](P&) {}, "Office Laser", false, "-", 0, { "Error: draxomeDirect() : cannot open printer",
            "Error: draxomeDirect(): cannot open the printer 'Office Laser': error 2: No such file or directory" } },
        { [](P& p) { p.startsDocument = false; }, "Virtual A4", false, "-", 0,
            { "Error: draxomeDirect() : cannot start document" } },
        // A failed write still ends the document: the spooler holds at most a partial job.
        { [](P& p) { p.writes = false; }, "Virtual A4", false, "", 0,
            { "Error: draxomeDirect() : cannot write document to printer" } },
        { [](P& p) { p.writeLimit = 4; }, "Virtual A4", true, "%!PS\r\nshowpage\f\r\n", 5, {} },
        { [](P& p) { p.writeLimit = 0; }, "Virtual A4", true, "", 1,
            { "Warning: draxomeDirect() : cannot print entire document" } },
        { [](P& p) { p.endsDocument = false; }, "Virtual A4", true, "%!PS\r\nshowpage\f\r\n", 1,
            { "Warning: draxomeDirect() : cannot end document" } },
    };
    for (const Case& c : cases) {
        FakeSpooler::clear();
        P& printer = FakeSpooler::add("Virtual A4", "LPT1:", "Virtual A4 Driver");
        c.setUp(printer);
        std::remove("test.log");
        EXPECT_EQ(c.result, draxomeDirect(c.printer, "Raport", "%!PS\r\nshowpage\f\r\n")) << c.data;
        EXPECT_EQ(c.log, logLines());
        EXPECT_EQ(0, FakeSpooler::openPrinters()) << "a printer was left open";
        if (c.data == "-") {
            EXPECT_TRUE(printer.rawDocuments.empty());
            continue;
        }
        ASSERT_EQ(1u, printer.rawDocuments.size());
        const FakeSpooler::RawDocument& d = printer.rawDocuments[0];
        EXPECT_EQ(c.data + " " + std::to_string(c.writes) + " Raport ended", d.data + " " + std::to_string(d.writes)
            + " " + d.name + (d.ended ? " ended" : " open"));
    }
    FakeSpooler::clear();
}
