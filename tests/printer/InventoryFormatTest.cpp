#include "printer/FontList.h"
#include "printer/PrinterList.h"
#include "printer/PrinterSetup.h"
#include "printer/WinVersion.h"
#include "tests/printer/PrinterTestSupport.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

class InventoryFormatTest : public PrinterTest {
protected:
    std::string written(bool (*write)(std::FILE*))
    {
        std::FILE* f = std::fopen("out.txt", "wb");
        EXPECT_NE(nullptr, f);
        EXPECT_TRUE(write(f));
        std::fclose(f);
        return readFile("out.txt");
    }
};

std::string split(const char* value)
{
    char buf[120];
    std::snprintf(buf, sizeof buf, "%s", value);
    char* name = nullptr;
    if (!splitdevice(buf, name))
        return "<none>";
    return name;
}

} // namespace

TEST(DefaultPrinter, NameIsTheFirstOfThreeParts)
{
    EXPECT_EQ("Office Laser", split("Office Laser,winspool,LPT1:"));
    EXPECT_EQ("Virtual A4", split("Virtual A4,wineps.drv,|cat > \"$DIR/job.ps\""));
    // Leading commas are skipped; blanks belong to the name.
    EXPECT_EQ(" Spaced ", split(",, Spaced ,drv,port"));
    EXPECT_EQ("P", split("P, drv ,  port"));
    EXPECT_EQ("<none>", split(",,,"));
    EXPECT_EQ("<none>", split(""));
    EXPECT_EQ("<none>", split("Office Laser,winspool"));
    EXPECT_EQ("<none>", split("Office Laser,winspool,"));
    EXPECT_EQ("<none>", split("Office Laser,winspool, "));
    EXPECT_EQ("<none>", split("Office Laser"));
    // The second and third parts also end at a blank.
    EXPECT_EQ("Office Laser", split("Office Laser,win spool"));
    char* name = nullptr;
    EXPECT_FALSE(splitdevice(nullptr, name));
}

TEST(DefaultPrinter, NameIsCutInPlace)
{
    char buf[] = "Office Laser,winspool,LPT1:";
    char* name = nullptr;
    ASSERT_TRUE(splitdevice(buf, name));
    EXPECT_EQ(buf, name);
    EXPECT_EQ(std::strlen("Office Laser"), std::strlen(buf));
}

TEST_F(InventoryFormatTest, PrinterNamesOnePerLineLfOnly)
{
    UVector<printerinfo*> printers;
    printerinfo a, b;
    a.name = "Virtual A4";
    b.name = "Office Laser";
    printers.add(&a);
    printers.add(&b);
    std::FILE* f = std::fopen("p.txt", "wb");
    ASSERT_TRUE(writeprinternames(f, printers, 2));
    std::fclose(f);
    EXPECT_EQ("Virtual A4\nOffice Laser\n", readFile("p.txt"));
    // A count beyond the table reads only what is there.
    f = std::fopen("p.txt", "wb");
    ASSERT_TRUE(writeprinternames(f, printers, 5));
    std::fclose(f);
    EXPECT_EQ("Virtual A4\nOffice Laser\n", readFile("p.txt"));
    f = std::fopen("p.txt", "wb");
    ASSERT_TRUE(writeprinternames(f, printers, 0));
    std::fclose(f);
    EXPECT_EQ("", readFile("p.txt"));
}

TEST_F(InventoryFormatTest, ResolutionsAsXByYLfOnly)
{
    const std::int32_t list[] = { 600, 600, 300, 300, 1200, 600 };
    std::FILE* f = std::fopen("r.txt", "wb");
    ASSERT_TRUE(writeresolutions(f, list, 3));
    std::fclose(f);
    EXPECT_EQ("600x600\n300x300\n1200x600\n", readFile("r.txt"));
    f = std::fopen("r.txt", "wb");
    ASSERT_TRUE(writeresolutions(f, list, 0));
    std::fclose(f);
    EXPECT_EQ("", readFile("r.txt"));
}

TEST(FontListFilter, OnlyFixedPitchTrueType)
{
    EXPECT_TRUE(listedfont(0x31, 0x4));   // FF_MODERN | FIXED_PITCH, TrueType
    EXPECT_TRUE(listedfont(0x01, 0x4 | 0x2));
    EXPECT_FALSE(listedfont(0x31, 0x1));  // raster
    EXPECT_FALSE(listedfont(0x31, 0x2));  // device font
    EXPECT_FALSE(listedfont(0x22, 0x4));  // variable pitch
    EXPECT_FALSE(listedfont(0x00, 0x4));  // default pitch
    EXPECT_FALSE(listedfont(0x03, 0x4));  // both pitch bits
}

TEST(WinVersionClass, MinorVersionDecides)
{
    EXPECT_EQ(1, winversionclass(0));
    EXPECT_EQ(2, winversionclass(10));
    EXPECT_EQ(3, winversionclass(90));
    EXPECT_EQ(4, winversionclass(51));
    EXPECT_EQ(7, winversionclass(1));
    for (int minor : { 2, 3, 9, 11, 50, 52, 89, 91, -1 })
        EXPECT_EQ(0, winversionclass(minor)) << minor;
}
