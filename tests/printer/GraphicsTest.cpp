#include "printer/Graphics.h"
#include "printer/fake/RecordingDevice.h"
#include "tests/printer/PrinterTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

class GraphicsTest : public PrinterTest {
protected:
    RecordingDevice dev;
};

TEST(GraphicsLineChar, MapsBoxDrawingBytesOnly)
{
    EXPECT_EQ('-', Graphics::lineChar(0xC4));
    EXPECT_EQ('|', Graphics::lineChar(0xBA));
    EXPECT_EQ(0xB0, Graphics::lineChar(0xB0));
    EXPECT_EQ('A', Graphics::lineChar('A'));
    const std::string bars = "\xB3\xB4\xB5\xB6\xB9\xBA\xC3\xC6\xC7\xCC";
    const std::string dashes = "\xB7\xB8\xBB\xBC\xBD\xBE\xBF\xC0\xC1\xC2\xC4\xC5\xC8\xC9\xCA\xCB\xCD\xCE\xCF"
                               "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA";
    int mapped = 0;
    for (int c = 0; c < 256; ++c) {
        const unsigned char got = Graphics::lineChar(static_cast<unsigned char>(c));
        if (bars.find(static_cast<char>(c)) != std::string::npos) {
            EXPECT_EQ('|', got) << c;
            ++mapped;
        } else if (dashes.find(static_cast<char>(c)) != std::string::npos) {
            EXPECT_EQ('-', got) << c;
            ++mapped;
        } else {
            EXPECT_EQ(c, got) << c;
        }
    }
    // Every byte from 0xB3 to 0xDA is a box piece.
    EXPECT_EQ(40, mapped);
}

TEST(GraphicsJoins, HorizontalNeighbours)
{
    const char* lines[] = { "a-b", "|", "x=y", "ab", "-", "", "a|" };
    EXPECT_TRUE(Graphics::joinsHorizontally(lines, 0, 0));   // right neighbour "-"
    EXPECT_TRUE(Graphics::joinsHorizontally(lines, 0, 2));   // left neighbour "-"
    EXPECT_FALSE(Graphics::joinsHorizontally(lines, 0, 1));  // the "-" itself has letters around
    EXPECT_FALSE(Graphics::joinsHorizontally(lines, 1, 0));  // a lone "|"
    EXPECT_TRUE(Graphics::joinsHorizontally(lines, 2, 2));
    EXPECT_FALSE(Graphics::joinsHorizontally(lines, 3, 1));  // last position, no rule left
    EXPECT_FALSE(Graphics::joinsHorizontally(lines, 4, 0));
    EXPECT_FALSE(Graphics::joinsHorizontally(lines, 5, 0));  // empty line
    EXPECT_TRUE(Graphics::joinsHorizontally(lines, 6, 0));
    // Positions beyond the text read as no rule character instead of past the buffer.
    EXPECT_FALSE(Graphics::joinsHorizontally(lines, 0, 40));
    EXPECT_TRUE(Graphics::joinsHorizontally(lines, 6, 2));   // its left neighbour is "|"
    EXPECT_FALSE(Graphics::joinsHorizontally(nullptr, 0, 0));
}

TEST(GraphicsJoins, VerticalNeighbours)
{
    const char* single[] = { "|" };
    EXPECT_FALSE(Graphics::joinsVertically(single, 1, 0, 0));
    const char* two[] = { "|", "|" };
    EXPECT_TRUE(Graphics::joinsVertically(two, 2, 1, 0));
    EXPECT_TRUE(Graphics::joinsVertically(two, 2, 0, 0));
    const char* frame[] = { "+--+", "|  |", "ab", "x  =" };
    EXPECT_FALSE(Graphics::joinsVertically(frame, 4, 1, 0));  // "+" above, "a" below
    EXPECT_TRUE(Graphics::joinsVertically(frame, 4, 1, 1));   // "-" above
    EXPECT_TRUE(Graphics::joinsVertically(frame, 4, 2, 0));   // "|" above
    EXPECT_TRUE(Graphics::joinsVertically(frame, 4, 2, 3));   // "|" above, though "ab" is shorter
    EXPECT_FALSE(Graphics::joinsVertically(frame, 4, 1, 3));  // below lies beyond "ab"
    EXPECT_FALSE(Graphics::joinsVertically(frame, 4, 3, 3));  // last line, above beyond "ab"
    EXPECT_FALSE(Graphics::joinsVertically(frame, 4, 0, 1));  // first line, blank below
    EXPECT_FALSE(Graphics::joinsVertically(frame, 4, 4, 0));  // no such line
    EXPECT_FALSE(Graphics::joinsVertically(frame, 4, 1, -1));
}

TEST(GraphicsVersion, QualityFollowsVersionClass)
{
    EXPECT_EQ(5, Graphics::fontQuality(7));
    for (int c : { 0, 1, 2, 3, 4, 6 })
        EXPECT_EQ(4, Graphics::fontQuality(c));
    const PrintDevice::FontSpec spec = Graphics::fontSpec(96, 40, "Courier New", 700, 7);
    EXPECT_EQ(96, spec.height);
    EXPECT_EQ(40, spec.width);
    EXPECT_EQ(700, spec.weight);
    EXPECT_EQ(5, spec.quality);
    EXPECT_EQ(1, spec.pitchAndFamily);
    EXPECT_EQ(4, spec.outPrecision);
    EXPECT_EQ(0, spec.charSet);
    EXPECT_FALSE(spec.italic || spec.underline || spec.strikeOut);
}

TEST_F(GraphicsTest, SelectFontAndRestoreLeaveNothingBehind)
{
    PrintObject saved = Graphics::select_font(&dev, 96, 0, "Courier New", Graphics::Bold);
    ASSERT_EQ(dev.stockFont(), saved);
    ASSERT_NE(nullptr, dev.selectedFont());
    EXPECT_EQ("Courier New", dev.selectedFont()->face);
    EXPECT_EQ(96, dev.selectedFont()->font.height);
    EXPECT_EQ(700, dev.selectedFont()->font.weight);
    EXPECT_EQ(1, dev.selectedFont()->font.pitchAndFamily);
    int w = 0, h = 0;
    ASSERT_EQ(0, Graphics::get_text_metrics(&dev, "W", w, h));
    EXPECT_EQ(96 * 25 / 48, w);
    EXPECT_EQ(96, h);
    EXPECT_TRUE(Graphics::restoreObject(&dev, saved));
    EXPECT_EQ(1, dev.selectedFont()->id);
    EXPECT_EQ(0, dev.liveObjects());
    EXPECT_TRUE(logLines().empty());
}

TEST_F(GraphicsTest, SelectFontFailuresAreLoggedAndLeakNothing)
{
    const Log failed = { "Error: select_font(): SelectObject(dc, hfnt): couldn't select font" };
    dev.fail(RecordingDevice::CreateFont);
    EXPECT_EQ(nullptr, Graphics::select_font(&dev, 96, 0, "Courier New", 700));
    EXPECT_EQ(failed, logLines());
    dev.succeed(RecordingDevice::CreateFont);
    dev.fail(RecordingDevice::SelectObject);
    clearLog();
    EXPECT_EQ(nullptr, Graphics::select_font(&dev, 96, 0, "Courier New", 700));
    EXPECT_EQ(failed, logLines());
    // The font made for nothing is gone again.
    EXPECT_EQ(0, dev.liveObjects());
    clearLog();
    EXPECT_EQ(nullptr, Graphics::select_font(nullptr, 96, 0, "Courier New", 700));
    EXPECT_EQ(failed, logLines());
}

TEST_F(GraphicsTest, TextMetricsFailureLeavesOutputs)
{
    int w = 7, h = 8;
    dev.fail(RecordingDevice::TextExtent);
    EXPECT_EQ(-1, Graphics::get_text_metrics(&dev, "W", w, h));
    EXPECT_EQ(7, w);
    EXPECT_EQ(8, h);
    EXPECT_EQ(-1, Graphics::get_text_metrics(nullptr, "W", w, h));
    dev.succeed(RecordingDevice::TextExtent);
    ASSERT_EQ(0, Graphics::get_text_metrics(&dev, "", w, h));
    EXPECT_EQ(0, w);
    EXPECT_TRUE(logLines().empty()); // the callers log
}

TEST_F(GraphicsTest, PaintPicksBrushByMode)
{
    PrintObject before = Graphics::setPaint(&dev, 0x000000FFu, PrintDevice::Opaque);
    ASSERT_EQ(dev.stockBrush(), before);
    EXPECT_EQ(PrintDevice::SolidBrush, dev.selectedBrush()->style);
    EXPECT_EQ(0x000000FFu, dev.selectedBrush()->color);
    EXPECT_EQ(PrintDevice::Opaque, dev.bkMode());
    EXPECT_EQ(0x000000FFu, dev.bkColor());
    EXPECT_TRUE(Graphics::restoreObject(&dev, before));

    before = Graphics::setPaint(&dev, 0, PrintDevice::Transparent);
    ASSERT_NE(nullptr, before);
    EXPECT_EQ(PrintDevice::HollowBrush, dev.selectedBrush()->style);
    EXPECT_EQ(0, dev.selectedBrush()->hatch);
    EXPECT_EQ(PrintDevice::Transparent, dev.bkMode());
    EXPECT_TRUE(Graphics::restoreObject(&dev, before));
    EXPECT_EQ(0, dev.liveObjects());
    const Log want = {
        "setBkMode 2", "setBkColor 0x0000ff", "createBrush #3 style=0 color=0x0000ff hatch=0", "selectObject #3 -> #2",
        "selectObject #2 -> #3", "deleteObject #3",
        "setBkMode 1", "setBkColor 0x000000", "createBrush #4 style=1 color=0x000000 hatch=0", "selectObject #4 -> #2",
        "selectObject #2 -> #4", "deleteObject #4",
    };
    EXPECT_EQ(want, dev.log());
}

TEST_F(GraphicsTest, PaintFailuresStopAtTheFailingStep)
{
    dev.fail(RecordingDevice::SetBkMode);
    EXPECT_EQ(nullptr, Graphics::setPaint(&dev, 0, 1));
    EXPECT_EQ(0, dev.count(RecordingDevice::SetBkColor));
    dev.succeed(RecordingDevice::SetBkMode);
    dev.fail(RecordingDevice::SetBkColor);
    EXPECT_EQ(nullptr, Graphics::setPaint(&dev, 0, 1));
    EXPECT_EQ(0, dev.count(RecordingDevice::CreateBrush));
    dev.succeed(RecordingDevice::SetBkColor);
    dev.fail(RecordingDevice::CreateBrush);
    EXPECT_EQ(nullptr, Graphics::setPaint(&dev, 0, 1));
    dev.succeed(RecordingDevice::CreateBrush);
    dev.fail(RecordingDevice::SelectObject);
    EXPECT_EQ(nullptr, Graphics::setBackground(&dev, 0, 0));
    EXPECT_EQ(0, dev.liveObjects());
    const Log want = {
        "Error: setPaint: SetBkMode(dc, bgMode): couldn't set paint",
        "Error: setPaint: SetBkColor(dc, color): couldn't set paint",
        "Error: Graphics::setBackground(): SelectObject(dc, brushRes): couldn't set paint",
        "Error: Graphics::setBackground(): SelectObject(dc, brushRes): couldn't set paint",
    };
    EXPECT_EQ(want, logLines());
}

TEST_F(GraphicsTest, RestoringAnUnknownObjectFails)
{
    EXPECT_FALSE(Graphics::restoreObject(&dev, nullptr));
    EXPECT_FALSE(Graphics::restoreObject(nullptr, dev.stockFont()));
    // Putting the stock font back over itself: the "replaced" stock font is not deleted
    // but the call reports success, as GDI does.
    EXPECT_TRUE(Graphics::restoreObject(&dev, dev.stockFont()));
}

TEST_F(GraphicsTest, BandsAreStackedOnePixelStrokes)
{
    EXPECT_EQ(1, Graphics::drawHLine(&dev, 10.9, 20, 100, 20, 3));
    const Log h = { "moveTo 10 20", "lineTo 100 20", "moveTo 10 21", "lineTo 100 21", "moveTo 10 22", "lineTo 100 22" };
    EXPECT_EQ(h, dev.log());
    dev.clearCalls();
    EXPECT_EQ(1, Graphics::drawVLine(&dev, 50.99, 7.5, 50.2, 90.999, 2));
    const Log v = { "moveTo 50 7", "lineTo 50 90", "moveTo 51 7", "lineTo 51 90" };
    EXPECT_EQ(v, dev.log());
    dev.clearCalls();
    // Truncation goes toward zero for negative coordinates too.
    Graphics::drawHLine(&dev, -1.5, -0.5, 3, 3, 1);
    EXPECT_EQ(Log({ "moveTo -1 0", "lineTo 3 3" }), dev.log());
    dev.clearCalls();
    EXPECT_EQ(0, Graphics::drawHLine(&dev, 0, 0, 1, 1, 0));
    EXPECT_EQ(0, Graphics::drawVLine(&dev, 0, 0, 1, 1, -3));
    EXPECT_TRUE(dev.log().empty());
    // The answer is that of the last stroke only.
    dev.fail(RecordingDevice::LineTo, 1);
    EXPECT_EQ(0, Graphics::drawHLine(&dev, 0, 0, 10, 0, 2));
    dev.succeed(RecordingDevice::LineTo);
    dev.fail(RecordingDevice::LineTo);
    dev.succeed(RecordingDevice::LineTo);
    EXPECT_EQ(0, Graphics::drawHLine(nullptr, 0, 0, 10, 0, 2));
    // Coordinates far outside the int range are clamped instead of overflowing.
    dev.clearCalls();
    Graphics::drawHLine(&dev, 1e300, -1e300, 0, 0, 1);
    EXPECT_EQ(Log({ "moveTo 2147483647 -2147483648", "lineTo 0 0" }), dev.log());
}
