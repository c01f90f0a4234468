#include "print/PageFitter.h"

#include "PrintTestSupport.h"

namespace {

using Ints = std::vector<int>;

// A device on which W is naturalW wide in the natural font and w + extra in a font asked
// for width w.
RecordingDevice::CharWidth widths(int naturalW, int extra = 0)
{
    return [=](const PrintDevice::FontSpec& f, unsigned char) { return f.width == 0 ? naturalW : f.width + extra; };
}

Ints fontWidthsAsked(const RecordingDevice& device)
{
    Ints out;
    for (const RecordingDevice::Call& c : device.calls())
        if (c.op == RecordingDevice::CreateFont)
            out.push_back(c.font.width);
    return out;
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
    EXPECT_EQ(118, page().leftPx);   // 23290 / 197 = 118.2
    EXPECT_EQ(59, page().rightPx);   // 11645 / 197 = 59.1
    EXPECT_EQ(236, page().topPx);    // 67160 / 284 = 236.5
    EXPECT_EQ(177, page().bottomPx); // 50370 / 284 = 177.4
    EXPECT_EQ(2329 - 118 - 59, page().width);
    EXPECT_EQ(3358 - 236 - 177, page().height);
    // Heights from the whole page height, in real arithmetic.
    EXPECT_DOUBLE_EQ(3358.0 * 35 / 284 / 10, page().htextPx);
    EXPECT_DOUBLE_EQ(3358.0 * 10 / 284 / 10, page().hlinePx);
    EXPECT_EQ(55, page().linesPerPage); // 2945 / 53.2
    EXPECT_EQ(
        (Lines { "Info: Printer settings:\tWidth: 197milimeters(2329pixels)\tHeight: 284milimeters(3358pixels)" }),
        logged());
}

TEST_F(LayoutTest, TheFontIsFittedToTheLongestLine)
{
    struct Case {
        int pagePixels;
        RecordingDevice::CharWidth widths;
        Ints asked;
        int fontWidth;
        float cellWidth;
    };
    const Case cases[] = {
        // The natural W (40) fits a cell of 47: that font, the cell is its width.
        { 4700, widths(40), { 0 }, 40, 40.0f },
        // A cell of 20.5: 20 too narrow, 21 too wide, 20 again: the search has crossed.
        { 2050, widths(40), { 0, 20, 21, 20 }, 20, 20.5f },
        // W three wider than asked: down until W is narrower than the cell.
        { 2050, widths(40, 3), { 0, 20, 19, 18, 17 }, 17, 20.5f },
        // An exact hit ends on the width tried before it.
        { 2000, widths(40), { 0, 20 }, 20, 20.0f },
        { 2000, widths(40, 2), { 0, 20, 19, 18 }, 19, 20.0f },
        // A cell below two pixels takes the narrowest font without measuring.
        { 199, widths(40), {}, 1, 1.99f },
    };
    for (const Case& c : cases) {
        caps.widthPixels = c.pagePixels;
        charWidth = c.widths;
        ASSERT_EQ(0, layOut(crlf({ "short", std::string(100, 'm') })));
        EXPECT_EQ(c.asked, fontWidthsAsked(*device)) << c.pagePixels;
        EXPECT_EQ(c.fontWidth, page().fontWidth) << c.pagePixels;
        EXPECT_FLOAT_EQ(c.cellWidth, page().cellWidth) << c.pagePixels;
        EXPECT_EQ(0, device->liveObjects()) << "every measuring font is put back";
        for (const RecordingDevice::Call& font : callsOf(RecordingDevice::CreateFont)) {
            EXPECT_EQ(41, font.font.height);
            EXPECT_EQ(700, font.font.weight);
        }
    }
}

TEST_F(LayoutTest, OnlyAFittingNaturalFontIsCentred)
{
    args.hcenter = true;
    caps.widthPixels = 4700;
    charWidth = widths(40);
    ASSERT_EQ(0, layOut(std::string(100, 'x')));
    EXPECT_EQ(350, page().leftPx); // 2350 - 2000
    caps.widthPixels = 2050;
    ASSERT_EQ(0, layOut(std::string(100, 'x')));
    EXPECT_EQ(0, page().leftPx);
}

TEST_F(LayoutTest, TheWidthSearchEndsOnADeviceThatIgnoresTheWidth)
{
    caps.widthPixels = 2050;
    // Too wide at the natural width, too narrow at any other: it would climb forever.
    charWidth = [](const PrintDevice::FontSpec& f, unsigned char) { return f.width == 0 ? 40 : 5; };
    ASSERT_EQ(0, layOut(std::string(100, 'm')));
    EXPECT_EQ(1 + PageFitter::kMaxWidthTries, device->count(RecordingDevice::CreateFont));
    EXPECT_EQ(20, page().fontWidth);
    EXPECT_EQ("Warning: Printfile::printfile(): font width search: the width of \"W\" did not cross the cell width "
              "20.50 after 200 tries; using font width 20",
        logged().back());
}

TEST_F(LayoutTest, MarginsWiderThanThePageStillPrintEveryLine)
{
    args.left = args.right = 150;
    args.top = args.bottom = 200;
    ASSERT_EQ(0, layOut(crlf({ "abc", "def" })));
    EXPECT_EQ(0, page().width);
    EXPECT_EQ(0, page().height);
    EXPECT_EQ(1, page().fontWidth);
    EXPECT_EQ((Ints { 0, 1, 2 }), pageStarts());
    const Lines log = logged();
    EXPECT_EQ((Lines { "Warning: horizontal margins too high", "Warning: vertical margins too high",
                  "Warning: Printfile::printfile(): linesPerPage<1: no text line fits between the margins; "
                  "printing one line per page" }),
        Lines(log.begin() + 1, log.end()));
    // Margins whose pixels overflow 32 bits.
    args.left = args.top = 2000000000;
    ASSERT_EQ(0, layOut("abc"));
    EXPECT_EQ(0, page().width);
}

TEST_F(LayoutTest, ADocumentWithoutCharactersTakesTheNaturalFont)
{
    ASSERT_EQ(0, layOut(""));
    EXPECT_EQ((Ints { 0, 0 }), pageStarts());
    EXPECT_EQ(21, page().fontWidth);
    caps.widthPixels = 0;
    args.hcenter = true;
    ASSERT_EQ(0, layOut("\r\n\r\n\r\n"));
    EXPECT_EQ(0, page().leftPx);
    EXPECT_EQ((Ints { 0, 3 }), pageStarts());
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
    struct Case {
        RecordingDevice::Op op;
        int after;
        std::string message;
    };
    const Case cases[] = {
        { RecordingDevice::SelectObject, 0,
            "Warning: Graphics::select_font(hdcPrinter, htext, fontface): cannot set specified font for printer; "
            "Using default font..." },
        { RecordingDevice::CreateFont, 2,
            "Warning: Graphics::select_font(hdcPrinter, htext, args.fontface): cannot set specified font for "
            "printer; Using default font..." },
        { RecordingDevice::TextExtent, 0,
            "Error: Graphics::get_text_metrics(hdcPrinter, line, width, height);: cannot retrive text width" },
        { RecordingDevice::HeightMM, 0,
            "Error: Printfile::printfile(): GetDeviceCaps(): the printer reports no page size (2050x3358 pixels, "
            "197x0 milimeters)" },
    };
    caps.widthPixels = 2050;
    writeFile("doc.txt", std::string(100, 'm'));
    for (const Case& c : cases) {
        device = std::make_unique<RecordingDevice>(caps);
        device->setCharWidth(widths(40));
        device->fail(c.op, c.after);
        job = std::make_unique<Printfile>();
        ASSERT_EQ(0, job->openFile());
        job->attachDevice(device.get());
        EXPECT_EQ(-1, job->layout());
        EXPECT_EQ(c.message, logged().back());
        EXPECT_EQ(0, device->liveObjects());
    }
    set(args.filename, "missing.txt");
    job = std::make_unique<Printfile>();
    EXPECT_EQ(-1, job->openFile());
    EXPECT_EQ(-1, job->layout());
    const Lines log = logged();
    EXPECT_EQ((Lines { "Error: fopen(filename, \"rb\"): cannot open file",
                  "Error: Printfile::layout(): file==NULL: the document is not open" }),
        Lines(log.end() - 2, log.end()));
}
