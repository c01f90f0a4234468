// The pure parts of the inventories: the default printer's name, the file formats, the
// font filter, the version class and the resolution choice.
#include "printer/FontList.h"
#include "printer/PrinterList.h"
#include "printer/PrinterSetup.h"
#include "printer/WinVersion.h"
#include "tests/printer/PrinterTestSupport.h"

#include <cstdio>

namespace {

using Pairs = std::vector<std::int32_t>;

std::string split(const char* value)
{
    char buf[120];
    std::snprintf(buf, sizeof buf, "%s", value);
    char* name = nullptr;
    return splitdevice(buf, name) ? name : "<none>";
}

} // namespace

TEST(Inventory, DefaultPrinterIsTheFirstOfThreeParts)
{
    const std::vector<std::pair<const char*, const char*>> cases = { { "Office Laser,winspool,LPT1:", "Office Laser" },
        { ",, Spaced ,drv,port", " Spaced " }, { "P, drv ,  port", "P" }, { "Office Laser,win spool", "Office Laser" },
        { ",,,", "<none>" }, { "", "<none>" }, { "Office Laser,winspool,", "<none>" }, { "Laser", "<none>" } };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, split(c.first)) << c.first;
}

TEST_F(PrinterTest, InventoryFilesHoldOneEntryPerLine)
{
    UVector<printerinfo*> printers;
    printerinfo a, b;
    a.name = "Virtual A4";
    b.name = "Office Laser";
    printers.add(&a);
    printers.add(&b);
    const std::int32_t list[] = { 600, 600, 300, 300, 1200, 600 };
    std::FILE* f = std::fopen("out.txt", "wb");
    EXPECT_TRUE(writeprinternames(f, printers, 5) && writeresolutions(f, list, 3) && writeresolutions(f, list, 0));
    std::fclose(f);
    EXPECT_EQ("Virtual A4\nOffice Laser\n600x600\n300x300\n1200x600\n", readFile("out.txt"));
}

TEST(Inventory, FontFilterAndVersionClass)
{
    EXPECT_TRUE(listedfont(0x31, 0x4) && listedfont(0x01, 0x6));
    EXPECT_FALSE(listedfont(0x31, 0x1) || listedfont(0x31, 0x2) || listedfont(0x22, 0x4) || listedfont(0x00, 0x4)
        || listedfont(0x03, 0x4));
    for (const auto& c : std::vector<std::pair<int, int>> { { 0, 1 }, { 10, 2 }, { 90, 3 }, { 51, 4 }, { 1, 7 },
             { 2, 0 }, { 11, 0 }, { 52, 0 }, { -1, 0 } })
        EXPECT_EQ(c.second, winversionclass(c.first)) << c.first;
}

TEST(Inventory, ResolutionsSortByTheLargerValueAndTheSmallestEnoughIsChosen)
{
    const std::vector<std::pair<Pairs, Pairs>> sorts = {
        { { 600, 600, 300, 300, 1200, 600 }, { 300, 300, 600, 600, 1200, 600 } },
        { { 800, 200, 100, 700, 600, 600 }, { 600, 600, 100, 700, 800, 200 } },
        // A selection sort: the swap at position 0 carries 600x300 behind 300x600.
        { { 600, 300, 300, 600, 100, 100 }, { 100, 100, 300, 600, 600, 300 } } };
    for (auto p : sorts) {
        sortres(p.first.data(), static_cast<int>(p.first.size() / 2));
        EXPECT_EQ(p.second, p.first);
    }
    const Pairs sorted = { 300, 300, 600, 600, 1200, 600 };
    for (const auto& c : std::vector<std::pair<int, Pairs>> { { 400, { 600, 600 } }, { 2000, { 1200, 600 } },
             { 300, { 300, 300 } }, { -5, { 300, 300 } } }) {
        std::int32_t res[2] = { -7, -7 };
        ASSERT_TRUE(chooseres(sorted.data(), 3, c.first, res));
        EXPECT_EQ(c.second, Pairs(res, res + 2)) << c.first;
    }
}
