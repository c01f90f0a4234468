#include "printer/PrinterSetup.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Pairs = std::vector<std::int32_t>;

Pairs sorted(Pairs p)
{
    sortres(p.data(), static_cast<int>(p.size() / 2));
    return p;
}

Pairs choose(const Pairs& list, int minres)
{
    Pairs s = sorted(list);
    std::int32_t res[2] = { -7, -7 };
    if (!chooseres(s.data(), static_cast<int>(s.size() / 2), minres, res))
        return {};
    return { res[0], res[1] };
}

} // namespace

TEST(Resolution, SortsByLargerValueKeepingEqualKeysInOrder)
{
    EXPECT_EQ(Pairs({ 300, 300, 600, 600, 1200, 600 }), sorted({ 600, 600, 300, 300, 1200, 600 }));
    EXPECT_EQ(Pairs({ 600, 300, 300, 600 }), sorted({ 600, 300, 300, 600 }));
    // The key is the larger value, so 100x700 comes after 600x600.
    EXPECT_EQ(Pairs({ 600, 600, 100, 700, 800, 200 }), sorted({ 800, 200, 100, 700, 600, 600 }));
    // Several equal keys around smaller ones: each keeps its place relative to the others
    // of its key, as long as the selection sort's swaps leave them so.
    EXPECT_EQ(Pairs({ 150, 150, 300, 300, 600, 600, 1200, 1200, 2400, 2400 }),
              sorted({ 2400, 2400, 1200, 1200, 600, 600, 300, 300, 150, 150 }));
    EXPECT_EQ(Pairs({}), sorted({}));
    EXPECT_EQ(Pairs({ 72, 72 }), sorted({ 72, 72 }));
    sortres(nullptr, 3); // nothing to sort, nothing to break
}

TEST(Resolution, SelectionSortSwapsLikeTheWrittenAlgorithm)
{
    // A selection sort is not stable: the swap at position 0 carries 600x300 behind
    // 300x600 here. This order is what the program has always produced.
    EXPECT_EQ(Pairs({ 100, 100, 300, 600, 600, 300 }), sorted({ 600, 300, 300, 600, 100, 100 }));
}

TEST(Resolution, ChoosesSmallestThatReachesMinimumElseLargest)
{
    const Pairs printer = { 600, 600, 300, 300, 1200, 600 };
    EXPECT_EQ(Pairs({ 600, 600 }), choose(printer, 400));
    EXPECT_EQ(Pairs({ 1200, 600 }), choose(printer, 2000));
    EXPECT_EQ(Pairs({ 300, 300 }), choose(printer, 300));
    EXPECT_EQ(Pairs({ 300, 300 }), choose(printer, 0));
    EXPECT_EQ(Pairs({ 300, 300 }), choose(printer, -5));
    // Neither pair has both values at 400: the last one in sorted order.
    EXPECT_EQ(Pairs({ 300, 600 }), choose({ 600, 300, 300, 600 }, 400));
    // The virtual printers' list.
    const Pairs virt = { 150, 150, 300, 300, 600, 600, 1200, 1200, 2400, 2400 };
    EXPECT_EQ(Pairs({ 600, 600 }), choose(virt, 400));
    EXPECT_EQ(Pairs({ 2400, 2400 }), choose(virt, 3000));
    EXPECT_EQ(Pairs({}), choose({}, 300));
}
