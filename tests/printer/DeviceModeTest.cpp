#include "printer/DeviceMode.h"

#include <gtest/gtest.h>

#include <vector>

TEST(DeviceMode, FieldsAtTheirOffsetsAndTheSettingsAJobGives)
{
    std::vector<unsigned char> buf(200, 0);
    DeviceMode m(buf.data(), static_cast<int>(buf.size()));
    m.setFields(0x12345678u);
    m.setOrientation(2);
    m.setPaperSize(11);
    m.setPrintQuality(600);
    m.setYResolution(-3);
    EXPECT_EQ((std::vector<int> { 0x78, 0x12, 2, 11, 600 & 0xFF, 600 >> 8, 0xFD, 0xFF }),
        (std::vector<int> { buf[40], buf[43], buf[44], buf[46], buf[58], buf[59], buf[64], buf[65] }));
    EXPECT_EQ(-3, m.yResolution());
    // A job selects exactly the settings it gives: orientation, paper, x, y, copies,
    // duplex; the fields.
    for (const auto& c : std::vector<std::vector<int>> { { -1, -1, 0, 0, -1, -1, 0 }, { 2, -1, 0, 0, -1, -1, 0x1 },
             { -1, 11, 600, 0, -1, -1, 0x2 }, { -1, -1, 0, 0, 999, -1, 0x100 }, { -1, -1, 0, 0, -1, 2, 0x1000 },
             { -1, -1, 600, 300, 2, 3, 0x3500 } }) {
        m.applyJob({ static_cast<short>(c[0]), static_cast<short>(c[1]), c[2], c[3], static_cast<short>(c[4]),
            static_cast<short>(c[5]) });
        EXPECT_EQ(static_cast<unsigned>(c[6]), m.fields()) << c[6];
    }
    EXPECT_TRUE(buf[54] == 2 && buf[62] == 3 && m.copies() == 2 && m.duplex() == 3);
    EXPECT_EQ(2, m.orientation());
    EXPECT_EQ(11, m.paperSize());
    EXPECT_EQ(600, m.printQuality());
    EXPECT_EQ(300, m.yResolution());
    // A buffer too small is never touched.
    unsigned char small[65] = {};
    DeviceMode tiny(small, sizeof small);
    EXPECT_FALSE(tiny.valid());
    tiny.applyJob({ 2, 9, 600, 600, 2, 2 });
    EXPECT_EQ(std::vector<unsigned char>(65, 0), std::vector<unsigned char>(small, small + 65));
}
