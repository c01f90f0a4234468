#include "PrintTestSupport.h"

#include <set>

namespace {

using Ints = std::vector<int>;

// A simple grid: 1000 x 1000 pixels on 100 x 100 mm, text 4 mm = 40 pixels high, so lines
// are 40 pixels apart and 25 fit on a page; the natural W is 10 pixels, so cells are 10
// pixels wide for any line of up to 99 characters.
class DrawTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        caps.widthPixels = caps.heightPixels = 1000;
        caps.widthMM = caps.heightMM = 100;
        args.htext = 40;
        charWidth = [](const PrintDevice::FontSpec& f, unsigned char) { return f.width == 0 ? 10 : f.width; };
    }

    // The texts drawn, as "x y text".
    Lines texts() const
    {
        Lines out;
        for (const RecordingDevice::Call& c : callsOf(RecordingDevice::TextOut))
            out.push_back(std::to_string(c.x) + " " + std::to_string(c.y) + " " + c.text);
        return out;
    }

    // The strokes (moveTo, lineTo) as "x1 y1 x2 y2 page".
    std::vector<Ints> strokes() const
    {
        std::vector<Ints> out;
        const std::vector<RecordingDevice::Call>& all = device->calls();
        for (size_t i = 0; i + 1 < all.size(); ++i)
            if (all[i].op == RecordingDevice::MoveTo && all[i + 1].op == RecordingDevice::LineTo)
                out.push_back({ all[i].x, all[i].y, all[i + 1].x, all[i + 1].y, all[i].page });
        return out;
    }

    // Whether the strokes cover every pixel from..to of row y (horizontal) or column x.
    bool covered(bool row, int at, int from, int to) const
    {
        std::set<int> pixels;
        for (const Ints& s : strokes()) {
            const int fixed1 = row ? s[1] : s[0], fixed2 = row ? s[3] : s[2];
            const int a = row ? s[0] : s[1], b = row ? s[2] : s[3];
            if (fixed1 == at && fixed2 == at)
                for (int p = std::min(a, b); p <= std::max(a, b); ++p)
                    pixels.insert(p);
        }
        for (int p = from; p <= to; ++p)
            if (!pixels.count(p))
                return false;
        return true;
    }
};

} // namespace

TEST_F(DrawTest, OneJobFromDocumentToDeviceContext)
{
    ASSERT_EQ(0, print(crlf({ "Hello world", "", "  x" })));
    const Lines calls = device->log();
    ASSERT_LT(15u, calls.size());
    EXPECT_EQ((Lines { "startDoc \"Raport\"", "startPage", "setBkMode 1", "setBkColor 0x000000",
                  "createBrush #4 style=1 color=0x000000 hatch=0", "selectObject #4 -> #2" }),
        Lines(calls.begin(), calls.begin() + 6));
    EXPECT_EQ(0u, calls[6].find("createFont #5 h=40 w=10 weight=700 ")) << calls[6];
    EXPECT_EQ((Lines { "0 0 Hello", "60 0 world", "20 80 x" }), texts());
    EXPECT_EQ((Ints { 10, 10, 10, 10, 10 }), callsOf(RecordingDevice::TextOut)[0].advances);
    // Paint and font back, page and document ended, the device context gone.
    EXPECT_EQ((Lines { "selectObject #2 -> #4", "deleteObject #4", "selectObject #1 -> #5", "deleteObject #5",
                  "endPage", "endDoc", "deleteDC" }),
        Lines(calls.end() - 7, calls.end()));
    const Lines log = logged();
    ASSERT_EQ(6u, log.size());
    EXPECT_EQ((Lines { "Info: Start printing...", "Info: Printing page 1", "Info: " }),
        Lines(log.begin() + 1, log.begin() + 4));
    EXPECT_EQ(0u, log[4].find("Info: Total time: "));
    EXPECT_EQ("Info: End printing...", log[5]);
}

TEST_F(DrawTest, RunsStartOnTheirCellsAndStepByTheTruncatedCell)
{
    // 41 characters, natural W 30: the cell is 24.39 pixels and the font is narrowed to 24.
    charWidth = [](const PrintDevice::FontSpec& f, unsigned char) { return f.width == 0 ? 30 : f.width; };
    ASSERT_EQ(0, print("ab-cd ef=g|" + std::string(30, 'h') + "\n  \ntop\f"));
    EXPECT_EQ((Lines { "0 0 ab", "48 0 -", "73 0 cd", "146 0 ef", "195 0 =", "219 0 g", "243 0 |",
                  "268 0 " + std::string(30, 'h'), "0 80 top" }),
        texts());
    EXPECT_EQ(Ints(30, 24), callsOf(RecordingDevice::TextOut)[7].advances);
    EXPECT_FALSE(callsOf(RecordingDevice::TextOut)[1].hasAdvances);
}

TEST_F(DrawTest, RuleCharactersThatJoinAreDrawnAsLinesWithGraph)
{
    // |--+--| : each hyphen is ruled from the middle of its cell towards its rule
    // neighbours; the plus and the lone bars stay text.
    args.graph = 1;
    ASSERT_EQ(0, print("|--+--|"));
    EXPECT_EQ((Lines { "0 0 |", "30 0 +", "60 0 |" }), texts());
    for (int y = 20; y < 23; ++y) {
        EXPECT_TRUE(covered(true, y, 10, 25)) << y;
        EXPECT_TRUE(covered(true, y, 45, 60)) << y;
        EXPECT_FALSE(covered(true, y, 26, 44)) << y;
    }
    args.graph = 0;
    ASSERT_EQ(0, print("|--+--|"));
    EXPECT_EQ(7u, texts().size());
    EXPECT_TRUE(strokes().empty());
}

TEST_F(DrawTest, ACodePage437FrameBecomesContinuousBands)
{
    args.graph = 1;
    ASSERT_EQ(0, print("\xda\xc4\xc4\xc4\xc4\xbf\r\n\xb3 ab \xb3\r\n\xc3\xc4\xc4\xc4\xc4\xb4\r\n"
                       "\xb3 cd \xb3\r\n\xc0\xc4\xc4\xc4\xc4\xd9\r\n"));
    EXPECT_EQ((Lines { "20 40 ab", "20 120 cd" }), texts());
    // Rules from the centre of the first cell to that of the last, in the middle of their
    // slots, three pixels thick; the sides from the first slot's middle to the last's.
    for (int i = 0; i < 3; ++i) {
        for (int y : { 20, 100, 180 })
            EXPECT_TRUE(covered(true, y + i, 5, 55)) << "row " << y + i;
        for (int x : { 5, 55 })
            EXPECT_TRUE(covered(false, x + i, 20, 180)) << "column " << x + i;
    }
    for (const Ints& s : strokes()) {
        EXPECT_GE(std::min(s[0], s[2]), 5);
        EXPECT_LE(std::max(s[0], s[2]), 57);
        EXPECT_GE(std::min(s[1], s[3]), 20);
        EXPECT_LE(std::max(s[1], s[3]), 182);
    }
}

TEST_F(DrawTest, DoubleRulesAndTheLastFiveLines)
{
    // "==" on the sixth-last and the fifth-last line, a bar below: only the first gets
    // its stroke downwards. Bands at trunc(40 x 5/12) = 16 and trunc(40 x 7/12) = 23.
    Lines lines(16, "");
    lines[10] = lines[11] = "==";
    lines[12] = "|";
    args.graph = 1;
    ASSERT_EQ(0, print(crlf(lines)));
    for (int y : { 400 + 16, 400 + 23, 440 + 16, 440 + 23 })
        EXPECT_TRUE(covered(true, y, 5, 15)) << y;
    EXPECT_TRUE(covered(false, 5, 416, 440));
    EXPECT_TRUE(covered(false, 5, 440, 463));
    EXPECT_FALSE(covered(false, 15, 464, 480)) << "no stroke down from the fifth-last line";
    EXPECT_TRUE(covered(false, 5, 480, 500)) << "the bar joins the double rule above";
}

TEST_F(DrawTest, NeighboursAreFoundAcrossPageBreaks)
{
    Lines lines(24, "x");
    lines.push_back("|");
    lines.push_back("|");
    args.graph = 1;
    ASSERT_EQ(0, print(crlf(lines)));
    ASSERT_EQ(2, job->pageCount());
    EXPECT_EQ((std::vector<Ints> { { 5, 980, 5, 1000, 1 }, { 6, 980, 6, 1000, 1 }, { 7, 980, 7, 1000, 1 },
                  { 5, 0, 5, 20, 2 }, { 6, 0, 6, 20, 2 }, { 7, 0, 7, 20, 2 } }),
        strokes());
}

TEST_F(DrawTest, PagesAreSelectedByListOrByIndex)
{
    Lines lines(6, "head");
    for (int p = 1; p <= 5; ++p)
        lines.push_back("page" + std::to_string(p) + "\f");
    ASSERT_EQ(0, layOut(crlf(lines)));
    ASSERT_EQ(5, job->pageCount());
    // The list is read when the pages are drawn.
    ASSERT_TRUE(args.addPages("2,4,9"));
    device->clearCalls();
    ASSERT_EQ(0, job->draxome(-1));
    EXPECT_EQ((Lines { "0 0 page2", "0 0 page4" }), texts());
    EXPECT_EQ(2, device->pagesEnded());
    // A page by index ignores the list; one beyond the document is refused.
    ASSERT_EQ(0, layOut(crlf(lines)));
    device->clearCalls();
    ASSERT_EQ(0, job->draxome(2));
    EXPECT_EQ((Lines { "0 0 page3" }), texts());
    EXPECT_EQ("Info: Printing page 3", logged().at(logged().size() - 4));
    ASSERT_EQ(0, layOut(crlf(lines)));
    EXPECT_EQ(-1, job->draxome(5));
    EXPECT_EQ("Error: Printfile::draxome(): page overflow", logged().back());
}

TEST_F(DrawTest, TheBannerGoesBelowAFullPageInAFontFromThePrintableHeight)
{
    // The virtual A4 page, text 3.5 mm, banner 2 mm, 20 mm margins top and bottom.
    caps = RecordingDevice::Caps();
    charWidth = nullptr;
    args.htext = 35;
    args.top = args.bottom = 20;
    args.left = 10;
    set(args.banner, "Monthly report");
    ASSERT_EQ(0, print(crlf({ "a", "b" })));
    // (20 x 2886 / 284) div 10 = 20 pixels, not the 23 that 2 mm are on the whole page.
    const std::vector<RecordingDevice::Call> fonts = callsOf(RecordingDevice::CreateFont);
    ASSERT_EQ(2u, fonts.size());
    EXPECT_EQ(20, fonts[0].font.height);
    EXPECT_EQ(0, fonts[0].font.width);
    // trunc(pitch x linesPerPage + topPx), at leftPx, before the text font is chosen.
    const RecordingDevice::Call banner = callsOf(RecordingDevice::TextOut).at(0);
    EXPECT_EQ("Monthly report", banner.text);
    EXPECT_EQ(118, banner.x);
    EXPECT_EQ(static_cast<int>(3358.0 * 35 / 284 / 10 * 69 + 236), banner.y);
    EXPECT_EQ(fonts[0].object, banner.object);
    EXPECT_EQ(0, device->liveObjects());
}

TEST_F(DrawTest, FailuresEndTheJobWithTheirMessages)
{
    struct Case {
        RecordingDevice::Op op;
        int after;
        std::string message;
    };
    const Case cases[] = {
        { RecordingDevice::StartDoc, 0, "Error: StartDoc(...): cannot start printing the document" },
        { RecordingDevice::StartPage, 1, "Error: StartPage(...): cannot start printing pages" },
        { RecordingDevice::SetBkMode, 0, "Error: draxome: could not set paint with Graphics::setPaint()" },
        { RecordingDevice::CreateFont, 0,
            "Warning: Graphics::selectFont(hdcPrinter, htext, fontface): cannot set specified font for printer; "
            "Using default font..." },
        { RecordingDevice::TextOut, 3, "Info: Printing page 1" },
        { RecordingDevice::EndPage, 0, "Error: (while)EndPage(...)" },
        { RecordingDevice::EndDoc, 0, "Error: EndDoc(...)" },
    };
    for (const Case& c : cases) {
        ASSERT_EQ(0, layOut(crlf(Lines(30, "t"))));
        device->fail(c.op, c.after);
        EXPECT_EQ(-1, job->draxome(-1)) << c.message;
        EXPECT_EQ(c.message, logged().back());
        // Nothing selected for the page is lost.
        EXPECT_EQ(0, device->liveObjects()) << c.message;
    }
    job = std::make_unique<Printfile>();
    EXPECT_EQ(-1, job->draxome(-1));
    EXPECT_EQ("Error: Printfile::draxome(): hdcPrinter==NULL: the document was not prepared", logged().back());
}
