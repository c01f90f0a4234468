#include "printer/Graphics.h"
#include "printer/WinVersion.h"
#include "printer/fake/RecordingDevice.h"
#include "tests/printer/PrinterTestSupport.h"

#include <filesystem>

namespace {

class GraphicsTest : public PrinterTest {
protected:
    RecordingDevice dev;
};

} // namespace

TEST(Graphics, BoxDrawingBytesBecomeRuleCharacters)
{
    const std::string bars = "\xB3\xB4\xB5\xB6\xB9\xBA\xC3\xC6\xC7\xCC";
    for (int c = 0; c < 256; ++c) {
        const bool box = c >= 0xB3 && c <= 0xDA;
        const int want = !box ? c : bars.find(static_cast<char>(c)) != std::string::npos ? '|' : '-';
        EXPECT_EQ(want, Graphics::lineChar(static_cast<unsigned char>(c))) << c;
    }
}

TEST_F(GraphicsTest, FontsAndPaintAreSelectedAndRestoredWithoutLeaks)
{
    PrintObject font = Graphics::select_font(&dev, 96, 0, "Courier New", Graphics::Bold);
    ASSERT_EQ(dev.stockFont(), font);
    // A fixed-pitch, TrueType-preferred font; ClearType quality only on the XP class, which
    // is what a Wine prefix may report.
    const PrintDevice::FontSpec s = dev.selectedFont()->font;
    EXPECT_EQ((std::vector<int> { 96, 0, 700, Graphics::fontQuality(getwinversion()), 1, 4, 0, 0 }),
        (std::vector<int> { s.height, s.width, s.weight,
        s.quality, s.pitchAndFamily, s.outPrecision, s.charSet, s.italic || s.underline || s.strikeOut }));
    EXPECT_EQ(5, Graphics::fontQuality(7));
    int w = 0, h = 0;
    ASSERT_EQ(0, Graphics::get_text_metrics(&dev, "W", w, h));
    EXPECT_EQ(50, w);
    EXPECT_TRUE(Graphics::restoreObject(&dev, font));
    for (int mode : { PrintDevice::Opaque, PrintDevice::Transparent }) {
        PrintObject paint = Graphics::setPaint(&dev, 0xFF, mode);
        EXPECT_EQ(mode == PrintDevice::Opaque ? PrintDevice::SolidBrush : PrintDevice::HollowBrush,
            dev.selectedBrush()->style);
        EXPECT_EQ(mode, dev.bkMode());
        EXPECT_TRUE(Graphics::restoreObject(&dev, paint));
    }
    EXPECT_EQ(0, dev.liveObjects());
    EXPECT_FALSE(Graphics::restoreObject(&dev, nullptr));
    EXPECT_TRUE(logLines().empty());
}

TEST_F(GraphicsTest, FailuresAreLoggedAndLeakNothing)
{
    const std::string noFont = "Error: select_font(): SelectObject(dc, hfnt): couldn't select font";
    const std::string noBrush = "Error: Graphics::setBackground(): SelectObject(dc, brushRes): couldn't set paint";
    const std::vector<std::pair<RecordingDevice::Op, std::string>> cases = { { RecordingDevice::CreateFont, noFont },
        { RecordingDevice::SelectObject, noFont }, { RecordingDevice::SetBkMode, "Error: setPaint: SetBkMode(dc, "
                                                                                 "bgMode): couldn't set paint" },
        { RecordingDevice::SetBkColor, "Error: setPaint: SetBkColor(dc, color): couldn't set paint" },
        { RecordingDevice::CreateBrush, noBrush } };
    for (const auto& c : cases) {
        RecordingDevice failing;
        failing.fail(c.first);
        std::filesystem::remove("test.log");
        const bool font = c.second == noFont;
        EXPECT_EQ(nullptr, font ? Graphics::select_font(&failing, 96, 0, "Courier New", 700)
                                : Graphics::setPaint(&failing, 0, PrintDevice::Transparent));
        EXPECT_EQ(Log { c.second }, logLines());
        EXPECT_EQ(0, failing.liveObjects());
    }
    int w = 7, h = 8;
    dev.fail(RecordingDevice::TextExtent);
    EXPECT_EQ(-1, Graphics::get_text_metrics(&dev, "W", w, h));
    EXPECT_EQ(7, w);
}

TEST_F(GraphicsTest, BandsAreStackedOnePixelStrokes)
{
    EXPECT_EQ(1, Graphics::drawHLine(&dev, 10.9, 20, 100, 20, 2));
    EXPECT_EQ(1, Graphics::drawVLine(&dev, 50.99, 7.5, -1.5, -0.5, 2));
    EXPECT_EQ(0, Graphics::drawVLine(&dev, 1, 1, 1, 9, 0));
    EXPECT_EQ(1, Graphics::drawHLine(&dev, 1e300, -1e300, 0, 0, 1)) << "clamped, not overflowing";
    // The band's offset added to a clamped coordinate stays clamped (UBSan sees the sum).
    EXPECT_EQ(1, Graphics::drawHLine(&dev, 0, 3e9, 0, 2147483646.5, 2));
    EXPECT_EQ((Log { "moveTo 10 20", "lineTo 100 20", "moveTo 10 21", "lineTo 100 21", "moveTo 50 7", "lineTo -1 0",
                  "moveTo 51 7", "lineTo 0 0", "moveTo 2147483647 -2147483648", "lineTo 0 0",
                  "moveTo 0 2147483647", "lineTo 0 2147483646", "moveTo 0 2147483647", "lineTo 0 2147483647" }),
        dev.log());
}
