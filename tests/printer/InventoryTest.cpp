// The pure parts of the inventories: the font filter, the version class and the
// resolution choice.
#include "printer/FontList.h"
#include "printer/PrinterSetup.h"
#include "printer/WinVersion.h"
#include "tests/printer/PrinterTestSupport.h"


using Pairs = std::vector<std::int32_t>;

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
