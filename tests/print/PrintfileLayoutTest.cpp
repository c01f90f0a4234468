#include "LayoutTestSupport.h"
#include "print/PageFitter.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Ints = std::vector<int>;

// The W of the natural font is naturalW pixels wide; a font asked for width w has
// characters exactly w wide.
RecordingDevice::CharWidth widths(int naturalW)
{
    return [naturalW](const PrintDevice::FontSpec& font, unsigned char) {
        return font.width == 0 ? naturalW : font.width;
    };
}

// The widths the job asked its fonts for, in order.
Ints fontWidthsAsked(const RecordingDevice& device)
{
    Ints out;
    for (const RecordingDevice::Call& c : device.calls())
        if (c.op == RecordingDevice::CreateFont)
            out.push_back(c.font.width);
    return out;
}

} // namespace

TEST_F(LayoutTest, ANaturalFontThatFitsIsUsedAndCentred)
{
    // A longest line of 100 characters on 4700 pixels: a cell of 47 pixels, while W is
    // only 40 wide in the natural font. That font is used, and -hcenter moves the block
    // right by 2350 - 2000 pixels.
    caps.widthPixels = 4700;
    caps.widthMM = 400;
    charWidth = widths(40);
    const std::string text = crlf({ "short", std::string(100, 'x'), "" });
    ASSERT_EQ(0, layOut(text));
    EXPECT_EQ(4700, job->page().width);
    EXPECT_EQ(100, job->document().maxLength());
    EXPECT_EQ(3, job->document().totalLines());
    EXPECT_EQ(40, job->page().charWidth);
    EXPECT_EQ(40, job->page().fontWidth);
    EXPECT_FLOAT_EQ(40.0f, job->page().cellWidth);
    EXPECT_EQ(0, job->page().leftPx);
    // The natural font was asked for once, bold, at the text height, and put back.
    EXPECT_EQ((Ints { 0 }), fontWidthsAsked(*device));
    const RecordingDevice::Call font = callsOf(RecordingDevice::CreateFont).at(0);
    EXPECT_EQ(41, font.font.height);
    EXPECT_EQ(700, font.font.weight);
    EXPECT_EQ("Courier New", font.text);
    EXPECT_EQ(0, device->liveObjects());

    args.hcenter = true;
    ASSERT_EQ(0, layOut(text));
    EXPECT_EQ(350, job->page().leftPx);
}

TEST_F(LayoutTest, PixelsFromMillimetresAndMargins)
{
    // The virtual A4 printer: 2329 x 3358 pixels on 197 x 284 mm.
    args.left = 10;
    args.right = 5;
    args.top = 20;
    args.bottom = 15;
    args.htext = 35;
    args.hline = 10;
    ASSERT_EQ(0, layOut("x\r\n"));
    EXPECT_EQ(197, job->page().widthMM);
    EXPECT_EQ(284, job->page().heightMM);
    EXPECT_EQ(118, job->page().leftPx);   // 23290 / 197 = 118.2
    EXPECT_EQ(59, job->page().rightPx);   // 11645 / 197 = 59.1
    EXPECT_EQ(236, job->page().topPx);    // 67160 / 284 = 236.5
    EXPECT_EQ(177, job->page().bottomPx); // 50370 / 284 = 177.4
    EXPECT_EQ(2329 - 118 - 59, job->page().width);
    EXPECT_EQ(3358 - 236 - 177, job->page().height);
    // Heights from the whole page height, in real arithmetic.
    EXPECT_DOUBLE_EQ(3358.0 * 35 / 284 / 10, job->page().htextPx);
    EXPECT_DOUBLE_EQ(3358.0 * 10 / 284 / 10, job->page().hlinePx);
    EXPECT_EQ(static_cast<int>(2945 / (job->page().htextPx + job->page().hlinePx)), job->page().linesPerPage);
    EXPECT_EQ(55, job->page().linesPerPage);
    EXPECT_EQ(
        (Lines { "Info: Printer settings:\tWidth: 197milimeters(2329pixels)\tHeight: 284milimeters(3358pixels)" }),
        logged());
}

TEST_F(LayoutTest, MarginsWiderThanThePageLeaveNothingToDivide)
{
    args.left = 150;
    args.right = 150;
    args.top = 200;
    args.bottom = 200;
    ASSERT_EQ(0, layOut(crlf({ "abc", "def" })));
    EXPECT_EQ(0, job->page().width);
    EXPECT_EQ(0, job->page().height);
    // A target cell of 0 pixels: the narrowest font, no measuring.
    EXPECT_EQ(1, job->page().fontWidth);
    EXPECT_FLOAT_EQ(0.0f, job->page().cellWidth);
    EXPECT_EQ(0, device->count(RecordingDevice::CreateFont));
    // No line fits; every line still gets a page of its own.
    EXPECT_EQ(1, job->page().linesPerPage);
    EXPECT_EQ((Ints { 0, 1, 2 }), pageStarts());
    const Lines log = logged();
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ("Warning: horizontal margins too high", log[1]);
    EXPECT_EQ("Warning: vertical margins too high", log[2]);
    EXPECT_EQ("Warning: Printfile::printfile(): linesPerPage<1: no text line fits between the margins; printing one "
              "line per page",
        log[3]);

    // Margins so large that their pixels overflow 32 bits.
    args.left = 2000000000;
    args.top = 2000000000;
    ASSERT_EQ(0, layOut("abc"));
    EXPECT_EQ(0, job->page().width);
    EXPECT_EQ(0, job->page().height);
    // And a page that is only just wide enough to draw anything at all.
    args.setDefaults();
    setText(args.filename, "doc.txt");
    caps.widthPixels = 0;
    ASSERT_EQ(0, layOut("abc"));
    EXPECT_EQ(1, job->page().fontWidth);
}

TEST_F(LayoutTest, ADocumentWithoutCharacters)
{
    // Empty: no lines, and one page without lines.
    ASSERT_EQ(0, layOut(""));
    EXPECT_EQ(0, job->document().totalLines());
    EXPECT_EQ(0, job->document().maxLength());
    EXPECT_EQ((Ints { 0, 0 }), pageStarts());
    EXPECT_EQ(1, job->pageCount());
    // The natural font is measured and used; no width / 0 anywhere.
    EXPECT_EQ(21, job->page().fontWidth);
    EXPECT_FLOAT_EQ(21.0f, job->page().cellWidth);

    // Only empty lines, on a page with no width either.
    caps.widthPixels = 0;
    args.hcenter = true;
    ASSERT_EQ(0, layOut("\r\n\r\n\r\n\r\n"));
    EXPECT_EQ(4, job->document().totalLines());
    EXPECT_EQ(0, job->document().maxLength());
    EXPECT_EQ(0, job->page().leftPx);
    EXPECT_EQ((Ints { 0, 4 }), pageStarts());
}

TEST_F(LayoutTest, TheWidthSearchCrossesFromTooWideToTooNarrow)
{
    // 100 characters on 2050 pixels: a cell of 20.5. The natural W (40) is too wide.
    caps.widthPixels = 2050;
    charWidth = widths(40);
    args.hcenter = true;
    ASSERT_EQ(0, layOut(std::string(100, 'm')));
    // 20 is narrower than the cell, 21 wider, back to 20 which is narrower: done.
    EXPECT_EQ((Ints { 0, 20, 21, 20 }), fontWidthsAsked(*device));
    EXPECT_EQ(20, job->page().fontWidth);
    EXPECT_FLOAT_EQ(20.5f, job->page().cellWidth);
    EXPECT_EQ(40, job->page().charWidth);
    // A narrowed block is not centred.
    EXPECT_EQ(0, job->page().leftPx);
    EXPECT_EQ(0, device->liveObjects());

    // W three pixels wider than asked: down from 20 until W is narrower than 20.5.
    charWidth = [](const PrintDevice::FontSpec& f, unsigned char) { return f.width == 0 ? 40 : f.width + 3; };
    ASSERT_EQ(0, layOut(std::string(100, 'm')));
    EXPECT_EQ((Ints { 0, 20, 19, 18, 17 }), fontWidthsAsked(*device));
    EXPECT_EQ(17, job->page().fontWidth);
}

TEST_F(LayoutTest, AnExactHitEndsOnTheWidthTriedBeforeIt)
{
    // A cell of exactly 20 pixels.
    caps.widthPixels = 2000;
    charWidth = widths(40);
    ASSERT_EQ(0, layOut(std::string(100, 'm')));
    EXPECT_EQ((Ints { 0, 20 }), fontWidthsAsked(*device));
    EXPECT_EQ(20, job->page().fontWidth);

    // W two wider than asked: 20 gives 22, 19 gives 21, 18 gives 20, the exact hit; the
    // search ends on 19, the width tried before.
    charWidth = [](const PrintDevice::FontSpec& f, unsigned char) { return f.width == 0 ? 40 : f.width + 2; };
    ASSERT_EQ(0, layOut(std::string(100, 'm')));
    EXPECT_EQ((Ints { 0, 20, 19, 18 }), fontWidthsAsked(*device));
    EXPECT_EQ(19, job->page().fontWidth);
}

TEST_F(LayoutTest, TheWidthSearchEndsOnADeviceThatIgnoresTheWidth)
{
    caps.widthPixels = 2050;
    // Always too wide: the search runs down to width 1 and stops there.
    charWidth = [](const PrintDevice::FontSpec&, unsigned char) { return 40; };
    ASSERT_EQ(0, layOut(std::string(100, 'm')));
    EXPECT_EQ(21, device->count(RecordingDevice::CreateFont));
    EXPECT_EQ(20, job->page().fontWidth);
    EXPECT_EQ("Warning: Printfile::printfile(): font width search: the width of \"W\" did not cross the cell width "
              "20.50 after 20 tries; using font width 20",
        logged().back());

    // Too wide at the natural width, always too narrow otherwise: it would climb forever.
    charWidth = [](const PrintDevice::FontSpec& f, unsigned char) { return f.width == 0 ? 40 : 5; };
    ASSERT_EQ(0, layOut(std::string(100, 'm')));
    EXPECT_EQ(1 + PageFitter::kMaxWidthTries, device->count(RecordingDevice::CreateFont));
    EXPECT_EQ(20, job->page().fontWidth);
    EXPECT_EQ(0, device->liveObjects());
}

TEST_F(LayoutTest, ACellBelowTwoPixelsTakesTheNarrowestFont)
{
    caps.widthPixels = 1990;
    ASSERT_EQ(0, layOut(std::string(999, 'n')));
    EXPECT_FLOAT_EQ(1990.0f / 999.0f, job->page().cellWidth);
    EXPECT_EQ(1, job->page().fontWidth);
    EXPECT_EQ(0, device->count(RecordingDevice::CreateFont));
}

TEST_F(LayoutTest, FontFailuresEndTheLayout)
{
    writeFile("doc.txt", std::string(100, 'm'));
    caps.widthPixels = 2050;

    // The natural font.
    device.reset(new RecordingDevice(caps));
    device->fail(RecordingDevice::SelectObject);
    job.reset(new Printfile());
    ASSERT_EQ(0, job->openFile());
    job->attachDevice(device.get());
    EXPECT_EQ(-1, job->layout());
    EXPECT_EQ("Warning: Graphics::select_font(hdcPrinter, htext, fontface): cannot set specified font for printer; "
              "Using default font...",
        logged().back());

    // A narrowed font.
    device.reset(new RecordingDevice(caps));
    device->setCharWidth(widths(40));
    device->fail(RecordingDevice::CreateFont, 2);
    job.reset(new Printfile());
    ASSERT_EQ(0, job->openFile());
    job->attachDevice(device.get());
    EXPECT_EQ(-1, job->layout());
    EXPECT_EQ("Warning: Graphics::select_font(hdcPrinter, htext, args.fontface): cannot set specified font for "
              "printer; Using default font...",
        logged().back());

    // Measuring W; the font is put back all the same.
    device.reset(new RecordingDevice(caps));
    device->fail(RecordingDevice::TextExtent);
    job.reset(new Printfile());
    ASSERT_EQ(0, job->openFile());
    job->attachDevice(device.get());
    EXPECT_EQ(-1, job->layout());
    EXPECT_EQ("Error: Graphics::get_text_metrics(hdcPrinter, line, width, height);: cannot retrive text width",
        logged().back());
    EXPECT_EQ(0, device->liveObjects());
}

TEST_F(LayoutTest, ADeviceWithoutAPageSizeIsRefused)
{
    caps.heightMM = 0;
    EXPECT_EQ(-1, layOut("abc"));
    EXPECT_EQ((Lines { "Error: Printfile::printfile(): GetDeviceCaps(): the printer reports no page size (2329x3358 "
                       "pixels, 197x0 milimeters)" }),
        logged());
}

TEST_F(LayoutTest, LinesAreStoredOnceAndTheFileIsClosed)
{
    const std::string text = crlf({ "first", "", "\xda\xc4\xbf tab\there", std::string(2500, 'w') });
    ASSERT_EQ(0, layOut(text));
    ASSERT_EQ(6, job->document().totalLines());
    EXPECT_EQ(999, job->document().maxLength());
    EXPECT_STREQ("first", job->document().lines().line(0));
    EXPECT_STREQ("", job->document().lines().line(1));
    EXPECT_STREQ("--- tabhere", job->document().lines().line(2));
    EXPECT_EQ(999, job->document().lines().length(3));
    EXPECT_EQ(999, job->document().lines().length(4));
    EXPECT_EQ(502, job->document().lines().length(5));
    // Past a line's end the document reads as spaces, whatever the longest line.
    EXPECT_EQ(' ', job->document().lines().at(0, 5));
    EXPECT_EQ(' ', job->document().lines().at(1, 500));
}

TEST_F(LayoutTest, PagesBreakByCountAndByFormFeed)
{
    // 1000 pixels on 100 mm and a text height of 20 mm: 5 lines per page.
    caps.heightPixels = 1000;
    caps.heightMM = 100;
    args.htext = 200;
    std::vector<std::string> lines;
    for (int i = 0; i < 12; ++i)
        lines.push_back("L" + std::to_string(i));
    ASSERT_EQ(0, layOut(crlf(lines)));
    EXPECT_EQ(5, job->page().linesPerPage);
    EXPECT_EQ((Ints { 0, 5, 10, 12 }), pageStarts());

    // A form feed ending line 3 (index 2) or the sixth line (index 5) stays and breaks
    // nothing; one ending line 8 (index 7) ends its page and is removed.
    lines[2] += "\f";
    lines[5] += "\f";
    lines[7] += "\f";
    ASSERT_EQ(0, layOut(lf(lines)));
    EXPECT_EQ((Ints { 0, 5, 8, 12 }), pageStarts());
    EXPECT_STREQ("L2\f", job->document().lines().line(2));
    EXPECT_STREQ("L5\f", job->document().lines().line(5));
    EXPECT_STREQ("L7", job->document().lines().line(7));
    EXPECT_EQ(3, job->pageCount());

    // A form feed on the last line of a full page does not add an empty page, and form
    // feeds in a row each end a page of one line.
    ASSERT_EQ(0, layOut(lf({ "a", "b", "c", "d", "e", "f", "g", "h", "i", "j\f", "k" }) + "\f\f\fz"));
    EXPECT_EQ((Ints { 0, 5, 10, 12, 13, 14, 15 }), pageStarts());
}

TEST_F(LayoutTest, AMillionShortLinesAndOneLongOneFitA32BitProgram)
{
    // Padded to the longest line this would be about a gigabyte; stored once it is a few
    // megabytes.
    std::string text;
    text.reserve(9000000);
    char line[32];
    for (int i = 0; i < 1000000; ++i) {
        std::snprintf(line, sizeof line, "%d\r\n", i % 100000);
        text += line;
    }
    text += std::string(999, 'W');
    ASSERT_EQ(0, layOut(text));
    EXPECT_EQ(1000001, job->document().totalLines());
    EXPECT_EQ(999, job->document().maxLength());
    EXPECT_EQ(2, job->page().fontWidth);
    EXPECT_EQ(81, job->page().linesPerPage);
    EXPECT_EQ(1000001 / 81 + 1, job->pageCount());
    EXPECT_STREQ("99999", job->document().lines().line(999999));
    EXPECT_EQ(999, job->document().lines().length(1000000));
    EXPECT_EQ(' ', job->document().lines().at(999999, 998));
}

TEST_F(LayoutTest, MissingFileOrDevice)
{
    args.filename[0] = '\0';
    job.reset(new Printfile());
    EXPECT_EQ(-1, job->openFile());
    setText(args.filename, "no-such-file.txt");
    job.reset(new Printfile());
    EXPECT_EQ(-1, job->openFile());
    // Laid out without a document or without a device.
    EXPECT_EQ(-1, job->layout());
    writeFile("doc.txt", "x");
    setText(args.filename, "doc.txt");
    job.reset(new Printfile());
    ASSERT_EQ(0, job->openFile());
    EXPECT_EQ(-1, job->layout());
    EXPECT_EQ((Lines {
                  "Error: Printfile::openFile(): no file specified; use -open parameter to specify one",
                  "Error: fopen(filename, \"rb\"): cannot open file",
                  "Error: Printfile::layout(): file==NULL: the document is not open",
                  "Error: Printfile::layout(): hdcPrinter==NULL: there is no printer to lay the document out for",
              }),
        logged());
}
