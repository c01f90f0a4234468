#include "print/PageFitter.h"

#include "PrintTestSupport.h"

namespace {

using Ints = std::vector<int>;

// A device on which W is naturalW wide in the natural font and w + extra in a font asked
// for width w (always naturalW when extra is negative).
RecordingDevice::CharWidth widths(int naturalW, int extra = 0)
{
    return [=](const PrintDevice::FontSpec& f, unsigned char) {
        return f.width == 0 || extra < 0 ? naturalW : f.width + extra;
    };
}

} // namespace

TEST_F(LayoutTest, PixelsFromMillimetresAndMargins)
{
    // The virtual A4 printer: 2329 x 3358 pixels on 197 x 284 mm.
    args.left = 10;
    args.right = 5;
    args.top = 20;
    args.bottom = 15;
    args.hline = 10;
    ASSERT_EQ(0, layOut("x\r\n"));
    // 23290 / 197 = 118.2, 11645 / 197 = 59.1, 67160 / 284 = 236.5, 50370 / 284 = 177.4;
    // 2945 / 53.2 = 55 lines.
    EXPECT_EQ((Ints { 118, 59, 236, 177, 2329 - 118 - 59, 3358 - 236 - 177, 55 }),
        (Ints { page().leftPx, page().rightPx, page().topPx, page().bottomPx, page().width, page().height,
            page().linesPerPage }));
    // Heights from the whole page height, in real arithmetic.
    EXPECT_DOUBLE_EQ(3358.0 * 35 / 284 / 10, page().htextPx);
    EXPECT_DOUBLE_EQ(3358.0 * 10 / 284 / 10, page().hlinePx);
    EXPECT_EQ(
        (Lines { "Info: Printer settings:\tWidth: 197milimeters(2329pixels)\tHeight: 284milimeters(3358pixels)" }),
        logged());
}

TEST_F(LayoutTest, TheFontIsFittedToTheLongestLine)
{
    Ints down { 0 };
    for (int w = 20; w >= 1; --w)
        down.push_back(w);
    // Page width, the device, -hcenter; the widths asked for, the font width, the cell
    // and the left margin.
    const std::vector<std::tuple<int, RecordingDevice::CharWidth, bool, Ints, int, float, int>> cases = {
        // The natural W (40) fits a cell of 47: that font, centred with -hcenter.
        { 4700, widths(40), false, { 0 }, 40, 40.0f, 0 }, { 4700, widths(40), true, { 0 }, 40, 40.0f, 350 },
        // A cell of 20.5: 20 too narrow, 21 too wide, 20 again: the search has crossed.
        { 2050, widths(40), true, { 0, 20, 21, 20 }, 20, 20.5f, 0 },
        // W three wider than asked: down until W is narrower than the cell.
        { 2050, widths(40, 3), false, { 0, 20, 19, 18, 17 }, 17, 20.5f, 0 },
        // An exact hit ends on the width tried before it.
        { 2000, widths(40), false, { 0, 20 }, 20, 20.0f, 0 },
        { 2000, widths(40, 2), false, { 0, 20, 19, 18 }, 19, 20.0f, 0 },
        // A cell below two pixels takes the narrowest font without a search; one of two is searched.
        { 199, widths(40), false, { 0 }, 1, 1.99f, 0 }, { 200, widths(40), false, { 0, 2 }, 2, 2.0f, 0 },
        // A device that ignores the width asked for: the search stops at the limit.
        { 2050, widths(40, -1), false, down, 20, 20.5f, 0 } };
    for (const auto& c : cases) {
        caps.widthPixels = std::get<0>(c);
        charWidth = std::get<1>(c);
        args.hcenter = std::get<2>(c);
        ASSERT_EQ(0, layOut(crlf({ "short", std::string(100, 'm') })));
        Ints asked;
        for (const RecordingDevice::Call& font : callsOf(RecordingDevice::CreateFont)) {
            asked.push_back(font.font.width);
            EXPECT_EQ(41, font.font.height);
            EXPECT_EQ(700, font.font.weight);
        }
        EXPECT_EQ(std::get<3>(c), asked) << std::get<0>(c);
        EXPECT_EQ(std::get<4>(c), page().fontWidth) << std::get<0>(c);
        EXPECT_FLOAT_EQ(std::get<5>(c), page().cellWidth) << std::get<0>(c);
        EXPECT_EQ(std::get<6>(c), page().leftPx) << std::get<0>(c);
        EXPECT_EQ(0, device->liveObjects()) << "every measuring font is put back";
    }
    // Too narrow at every width asked for: it would climb forever.
    charWidth = [](const PrintDevice::FontSpec& f, unsigned char) { return f.width == 0 ? 40 : 5; };
    ASSERT_EQ(0, layOut(std::string(100, 'm')));
    EXPECT_EQ(1 + PageFitter::kMaxWidthTries, device->count(RecordingDevice::CreateFont));
    EXPECT_EQ("Warning: Printfile::printfile(): font width search: the width of \"W\" did not cross the cell width "
              "20.50 after 200 tries; using font width 20",
        logged().back());
}

TEST_F(LayoutTest, MarginsThatLeaveNoLineOrCharacterAreRefused)
{
    // Left, right, top, bottom; what is logged last ("" when the page holds one line at
    // least). On 3358 pixels for 284 mm, 140 mm twice leave 48 pixels: one line of 41.
    const std::string high = "Error: command line: -top 141 -bottom 141 -htext 3.5 -hline 0.0: not one line of text "
                             "fits on the page (284 mm high)";
    const std::vector<std::tuple<int, int, int, int, std::string>> cases = { { 0, 0, 140, 140, "" },
        { 0, 0, 141, 141, high },
        { 0, 0, 2000000000, 0, "Error: command line: -top 2000000000 -bottom 0 -htext 3.5 -hline 0.0: not one line "
                               "of text fits on the page (284 mm high)" },
        { 150, 150, 0, 0, "Error: command line: -left 150 -right 150 -htext 3.5: not one character fits across the "
                          "page (197 mm wide)" },
        { 2000000000, 0, 0, 0, "Error: command line: -left 2000000000 -right 0 -htext 3.5: not one character fits "
                               "across the page (197 mm wide)" } };
    for (const auto& c : cases) {
        std::tie(args.left, args.right, args.top, args.bottom) = std::tie(std::get<0>(c), std::get<1>(c),
            std::get<2>(c), std::get<3>(c));
        const bool fits = std::get<4>(c).empty();
        EXPECT_EQ(fits ? 0 : -1, layOut(crlf({ "abc", "def" }))) << std::get<4>(c);
        EXPECT_EQ(!fits, job->optionsRefused()) << std::get<4>(c);
        if (!fits)
            EXPECT_EQ(std::get<4>(c), logged().back());
        else
            EXPECT_EQ((Ints { 0, 1, 2 }), pageStarts()) << "one line a page where one fits";
    }
}

TEST_F(LayoutTest, PagesBreakByCountAndByFormFeed)
{
    // 1000 pixels on 100 mm and a text height of 20 mm: 5 lines per page.
    caps.heightPixels = 1000;
    caps.heightMM = 100;
    args.htext = 200;
    Lines lines;
    for (int i = 0; i < 12; ++i)
        lines.push_back("L" + std::to_string(i));
    ASSERT_EQ(0, layOut(crlf(lines)));
    EXPECT_EQ((Ints { 0, 5, 10, 12 }), pageStarts());
    // A form feed ending one of the first six lines stays and breaks nothing; one ending
    // a later line ends its page and is removed.
    lines[2] += "\f";
    lines[5] += "\f";
    lines[7] += "\f";
    ASSERT_EQ(0, layOut(crlf(lines)));
    EXPECT_EQ((Ints { 0, 5, 8, 12 }), pageStarts());
    EXPECT_STREQ("L5\f", job->document().lines().line(5));
    EXPECT_STREQ("L7", job->document().lines().line(7));
    // A form feed on the last line of a full page adds no empty page; form feeds in a
    // row each end a page of one line.
    ASSERT_EQ(0, layOut("a\nb\nc\nd\ne\nf\ng\nh\ni\nj\f\nk\n\f\f\fz"));
    EXPECT_EQ((Ints { 0, 5, 10, 12, 13, 14, 15 }), pageStarts());
}

TEST_F(LayoutTest, EachFailureEndsTheLayoutWithItsMessage)
{
    const std::vector<std::tuple<RecordingDevice::Op, int, std::string>> cases = {
        { RecordingDevice::SelectObject, 0, "Warning: Graphics::select_font(hdcPrinter, htext, fontface): cannot set "
                                            "specified font for printer; Using default font..." },
        { RecordingDevice::CreateFont, 2, "Warning: Graphics::select_font(hdcPrinter, htext, args.fontface): cannot "
                                          "set specified font for printer; Using default font..." },
        { RecordingDevice::TextExtent, 0,
            "Error: Graphics::get_text_metrics(hdcPrinter, line, width, height);: cannot retrive text width" },
        { RecordingDevice::HeightMM, 0, "Error: Printfile::printfile(): GetDeviceCaps(): the printer reports no page "
                                        "size (2050x3358 pixels, 197x0 milimeters)" },
        { RecordingDevice::WidthPixels, 0, "Error: Printfile::printfile(): GetDeviceCaps(): the printer reports no "
                                           "page size (0x3358 pixels, 197x284 milimeters)" } };
    caps.widthPixels = 2050;
    charWidth = widths(40);
    for (const auto& c : cases) {
        ASSERT_EQ(0, layOut(std::string(100, 'm')));
        ASSERT_EQ(0, job->openFile());
        device->fail(std::get<0>(c), std::get<1>(c));
        EXPECT_EQ(-1, job->layout());
        EXPECT_EQ(std::get<2>(c), logged().back());
        EXPECT_EQ(0, device->liveObjects());
    }
    set(args.filename, "missing.txt");
    job = std::make_unique<Printfile>();
    EXPECT_EQ(-1, job->openFile());
    EXPECT_EQ(-1, job->layout());
    const Lines log = logged();
    EXPECT_EQ((Lines { "Error: fopen(filename, \"rb\"): cannot open file",
                  "Error: Printfile::openFile(): cannot open 'missing.txt': error",
                  "Error: Printfile::layout(): file==NULL: the document is not open" }),
        withoutSystemText(Lines(log.end() - 3, log.end())));
}
