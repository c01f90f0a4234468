#include "printer/DeviceMode.h"
#include "printer/fake/RecordingDevice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<unsigned char> modeBuffer() { return std::vector<unsigned char>(200, 0); }

} // namespace

TEST(DeviceMode, FieldsAtTheirPublishedOffsets)
{
    auto buf = modeBuffer();
    DeviceMode m(buf.data(), static_cast<int>(buf.size()));
    m.setFields(0x12345678u);
    m.setOrientation(2);
    m.setPaperSize(11);
    m.setPrintQuality(600);
    m.setYResolution(-3);
    EXPECT_EQ(0x78, buf[40]);
    EXPECT_EQ(0x12, buf[43]);
    EXPECT_EQ(2, buf[44]);
    EXPECT_EQ(11, buf[46]);
    EXPECT_EQ(600 & 0xFF, buf[58]);
    EXPECT_EQ(600 >> 8, buf[59]);
    EXPECT_EQ(0xFD, buf[64]);
    EXPECT_EQ(0xFF, buf[65]);
    EXPECT_EQ(0x12345678u, m.fields());
    EXPECT_EQ(-3, m.yResolution());
    EXPECT_EQ(600, m.printQuality());
}

TEST(DeviceMode, JobSelectsExactlyTheGivenSettings)
{
    auto buf = modeBuffer();
    DeviceMode m(buf.data(), static_cast<int>(buf.size()));
    m.setFields(0xFFFFFFFFu);
    m.setOrientation(1);
    m.setPaperSize(9);
    m.applyJob(-1, -1, 0, 0);
    EXPECT_EQ(0u, m.fields());
    EXPECT_EQ(1, m.orientation());
    EXPECT_EQ(9, m.paperSize());

    m.applyJob(2, -1, 0, 0);
    EXPECT_EQ(0x1u, m.fields());
    EXPECT_EQ(2, m.orientation());

    // A resolution needs both values.
    m.applyJob(-1, 11, 600, 0);
    EXPECT_EQ(0x2u, m.fields());
    EXPECT_EQ(11, m.paperSize());
    EXPECT_EQ(0, m.printQuality());

    m.applyJob(-1, -1, 600, 300);
    EXPECT_EQ(0x2400u, m.fields());
    EXPECT_EQ(600, m.printQuality());
    EXPECT_EQ(300, m.yResolution());
}

TEST(DeviceMode, TooSmallBufferIsNeverTouched)
{
    unsigned char small[65] = {};
    DeviceMode m(small, sizeof small);
    EXPECT_FALSE(m.valid());
    m.applyJob(2, 9, 600, 600);
    for (unsigned char b : small)
        ASSERT_EQ(0, b);
    EXPECT_EQ(0u, m.fields());
    DeviceMode none(nullptr, 1000);
    EXPECT_FALSE(none.valid());
    none.setOrientation(2);
    EXPECT_EQ(0, none.orientation());
}

TEST(RecordingDevice, AnswersWithChosenCapsAndRecords)
{
    RecordingDevice::Caps caps;
    caps.widthPixels = 4700;
    caps.heightPixels = 6000;
    caps.widthMM = 200;
    caps.heightMM = 260;
    RecordingDevice dev(caps);
    EXPECT_EQ(4700, dev.widthPixels());
    EXPECT_EQ(6000, dev.heightPixels());
    EXPECT_EQ(200, dev.widthMM());
    EXPECT_EQ(260, dev.heightMM());
    EXPECT_EQ(4, dev.count(RecordingDevice::WidthPixels) + dev.count(RecordingDevice::HeightPixels)
                     + dev.count(RecordingDevice::WidthMM) + dev.count(RecordingDevice::HeightMM));
    EXPECT_EQ("widthPixels -> 4700", dev.calls()[0].str());
}

TEST(RecordingDevice, FontsSelectRestoreAndMeasure)
{
    RecordingDevice dev;
    PrintDevice::FontSpec spec;
    spec.height = 96;
    spec.width = 0;
    spec.weight = 700;
    spec.face = "Courier New";
    PrintObject font = dev.createFont(spec);
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(1, dev.liveObjects());
    // Still selected objects cannot be deleted; the stock font comes back on select.
    PrintObject old = dev.selectObject(font);
    EXPECT_EQ(dev.stockFont(), old);
    EXPECT_FALSE(dev.deleteObject(font));
    int cx = 0, cy = 0;
    ASSERT_TRUE(dev.textExtent("WW", 2, cx, cy));
    EXPECT_EQ(2 * 96 * 25 / 48, cx);
    EXPECT_EQ(96, cy);
    EXPECT_EQ("Courier New", dev.selectedFont()->face);
    EXPECT_EQ(font, dev.selectObject(old));
    EXPECT_TRUE(dev.deleteObject(font));
    EXPECT_FALSE(dev.deleteObject(font));
    EXPECT_EQ(0, dev.liveObjects());
    EXPECT_FALSE(dev.selectObject(font)); // a deleted object cannot come back

    spec.width = 30;
    PrintObject narrow = dev.createFont(spec);
    dev.selectObject(narrow);
    ASSERT_TRUE(dev.textExtent("abc", 3, cx, cy));
    EXPECT_EQ(90, cx);

    dev.setCharWidth([](const PrintDevice::FontSpec& f, unsigned char c) { return c == 'W' ? f.height : 1; });
    ASSERT_TRUE(dev.textExtent("aWb", 3, cx, cy));
    EXPECT_EQ(98, cx);
}

TEST(RecordingDevice, DrawingIsRecordedWithPageAndAdvances)
{
    RecordingDevice dev;
    EXPECT_EQ(0, dev.startPage()); // no document yet
    EXPECT_GT(dev.startDoc("job"), 0);
    EXPECT_GT(dev.startPage(), 0);
    const int adv[3] = { 47, 47, 47 };
    EXPECT_TRUE(dev.textOut(10, 20, "abc", 3, adv));
    EXPECT_TRUE(dev.textOut(5, 6, "ban", 3, nullptr));
    EXPECT_TRUE(dev.moveTo(1, 2));
    EXPECT_TRUE(dev.lineTo(3, 4));
    EXPECT_GT(dev.endPage(), 0);
    EXPECT_EQ(0, dev.endPage());
    EXPECT_GT(dev.endDoc(), 0);
    EXPECT_TRUE(dev.deleteDC());
    EXPECT_FALSE(dev.moveTo(0, 0));
    EXPECT_EQ(0, dev.widthPixels());

    std::vector<std::string> want = {
        "textOut 10 20 \"abc\" [47,47,47]",
        "textOut 5 6 \"ban\"",
        "moveTo 1 2",
        "lineTo 3 4",
        "moveTo 0 0 FAILED",
    };
    EXPECT_EQ(want, dev.log({ RecordingDevice::TextOut, RecordingDevice::MoveTo, RecordingDevice::LineTo }));
    const auto& calls = dev.calls();
    EXPECT_EQ(0, calls[0].page);
    EXPECT_EQ(1, calls[3].object); // drawn in the stock font
    EXPECT_EQ(1, calls[3].page);
    EXPECT_EQ(1, dev.pagesEnded());
}

TEST(RecordingDevice, FailsOnRequestAfterGivenCalls)
{
    RecordingDevice dev;
    dev.fail(RecordingDevice::LineTo, 2);
    EXPECT_TRUE(dev.lineTo(1, 1));
    EXPECT_TRUE(dev.lineTo(2, 2));
    EXPECT_FALSE(dev.lineTo(3, 3));
    dev.succeed(RecordingDevice::LineTo);
    EXPECT_TRUE(dev.lineTo(4, 4));
    dev.fail(RecordingDevice::SetBkColor);
    EXPECT_EQ(PrintDevice::InvalidColor, dev.setBkColor(0));
    dev.fail(RecordingDevice::SetBkMode);
    EXPECT_EQ(0, dev.setBkMode(1));
    dev.fail(RecordingDevice::CreateFont);
    EXPECT_EQ(nullptr, dev.createFont(PrintDevice::FontSpec()));
    EXPECT_EQ(0, dev.liveObjects());
}

TEST(RecordingDevice, ResetTurnsResizesAndRescales)
{
    RecordingDevice dev;
    dev.addPaper(11, 140, 200); // A5-ish printable area
    auto buf = modeBuffer();
    DeviceMode m(buf.data(), static_cast<int>(buf.size()));

    m.applyJob(2, -1, 0, 0);
    ASSERT_TRUE(dev.reset(m));
    EXPECT_EQ(3358, dev.widthPixels());
    EXPECT_EQ(2329, dev.heightPixels());
    EXPECT_EQ(284, dev.widthMM());
    EXPECT_EQ(197, dev.heightMM());

    // Nothing selected: the device keeps what it has, landscape included.
    m.applyJob(-1, -1, 0, 0);
    ASSERT_TRUE(dev.reset(m));
    EXPECT_EQ(3358, dev.widthPixels());

    m.applyJob(1, 11, 600, 600);
    ASSERT_TRUE(dev.reset(m));
    EXPECT_EQ(140, dev.widthMM());
    EXPECT_EQ(200, dev.heightMM());
    EXPECT_EQ(140 * 300 * 10 / 254 * 2, dev.widthPixels());
    EXPECT_EQ(600, dev.dpiX());
    EXPECT_EQ("reset fields=0x2403 orientation=1 paper=11 quality=600 yres=600", dev.log({ RecordingDevice::Reset }).back());

    DeviceMode bad(buf.data(), 10);
    EXPECT_FALSE(dev.reset(bad));
}
