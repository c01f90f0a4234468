// draxomeDirect on the virtual printers under Wine: the spooler's output file holds exactly
// the bytes handed over, and an unknown printer is refused before anything is spooled.
#include "printer/DirectPrint.h"
#include "tests/printer/PrinterTestSupport.h"

#include <cstdlib>
#include <set>

namespace {

namespace fs = std::filesystem;

std::set<std::string> spooledJobs()
{
    std::set<std::string> jobs;
    const char* dir = std::getenv("DRAXOME_SPOOL_DIR");
    if (dir == nullptr || !fs::is_directory(dir))
        return jobs;
    for (const auto& entry : fs::directory_iterator(dir))
        jobs.insert(entry.path().string());
    return jobs;
}

class DirectPrintWin : public PrinterTest {};

TEST_F(DirectPrintWin, SpoolerOutputIsTheBytesHandedOver)
{
    ASSERT_NE(nullptr, std::getenv("DRAXOME_SPOOL_DIR"));
    const std::set<std::string> before = spooledJobs();
    const std::string bytes = "%!PS-Adobe-3.0\r\n% raw \xe4\xf6\xfc\r\n/Courier findfont 12 scalefont setfont\n"
                              "72 720 moveto (DRAXOME RAW) show showpage\r\n\f\r\n";
    EXPECT_TRUE(draxomeDirect("Virtual Letter", "raw test", bytes.c_str()));
    EXPECT_EQ(Log {}, logLines());
    std::vector<std::string> fresh;
    for (const std::string& job : spooledJobs())
        if (before.count(job) == 0)
            fresh.push_back(job);
    ASSERT_EQ(1u, fresh.size()) << "one new job in the spool directory";
    EXPECT_EQ(bytes, readFile(fresh[0]));
}

TEST_F(DirectPrintWin, UnknownPrinterSpoolsNothing)
{
    const std::set<std::string> before = spooledJobs();
    EXPECT_FALSE(draxomeDirect("No Such Printer", "raw test", "x"));
    EXPECT_EQ((Log { "Error: draxomeDirect() : cannot open printer" }), logLines());
    EXPECT_EQ(before, spooledJobs());
}

} // namespace
