#include "LayoutTestSupport.h"

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Ints = std::vector<int>;

// One stroke of the pen: moveTo followed by lineTo, on the page open at the time.
struct Stroke {
    int x1, y1, x2, y2, page;
    bool operator==(const Stroke& o) const
    {
        return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2 && page == o.page;
    }
};

std::ostream& operator<<(std::ostream& os, const Stroke& s)
{
    return os << "(" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ")p" << s.page;
}

using Strokes = std::vector<Stroke>;

// A band as the print loop asks for it: three one-pixel strokes below (horizontal) or to
// the right (vertical) of the given line.
Strokes hband(int x1, int x2, int y, int page = 1)
{
    return { { x1, y, x2, y, page }, { x1, y + 1, x2, y + 1, page }, { x1, y + 2, x2, y + 2, page } };
}

Strokes vband(int x, int y1, int y2, int page = 1)
{
    return { { x, y1, x, y2, page }, { x + 1, y1, x + 1, y2, page }, { x + 2, y1, x + 2, y2, page } };
}

Strokes join(std::initializer_list<Strokes> parts)
{
    Strokes out;
    for (const Strokes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A simple grid: 1000 x 1000 pixels on 100 x 100 mm, text 4 mm = 40 pixels high, so lines
// are 40 pixels apart and 25 fit on a page; the natural W is 10 pixels, so cells are 10
// pixels wide for any line of up to 99 characters.
class DrawTest : public LayoutTest {
protected:
    void SetUp() override
    {
        LayoutTest::SetUp();
        caps.widthPixels = 1000;
        caps.heightPixels = 1000;
        caps.widthMM = 100;
        caps.heightMM = 100;
        args.htext = 40;
        charWidth = [](const PrintDevice::FontSpec& f, unsigned char) { return f.width == 0 ? 10 : f.width; };
    }

    Strokes strokes() const
    {
        Strokes out;
        const std::vector<RecordingDevice::Call>& all = device->calls();
        for (size_t i = 0; i + 1 < all.size(); ++i)
            if (all[i].op == RecordingDevice::MoveTo && all[i + 1].op == RecordingDevice::LineTo)
                out.push_back({ all[i].x, all[i].y, all[i + 1].x, all[i + 1].y, all[i].page });
        return out;
    }

    // The texts drawn, as "x y text".
    Lines texts() const
    {
        Lines out;
        for (const RecordingDevice::Call& c : callsOf(RecordingDevice::TextOut))
            out.push_back(std::to_string(c.x) + " " + std::to_string(c.y) + " " + c.text);
        return out;
    }

    // The pixels of row y (or column x) that the horizontal (vertical) strokes cover.
    std::set<int> coveredRow(int y) const
    {
        std::set<int> out;
        for (const Stroke& s : strokes())
            if (s.y1 == y && s.y2 == y)
                for (int x = std::min(s.x1, s.x2); x <= std::max(s.x1, s.x2); ++x)
                    out.insert(x);
        return out;
    }

    std::set<int> coveredColumn(int x) const
    {
        std::set<int> out;
        for (const Stroke& s : strokes())
            if (s.x1 == x && s.x2 == x)
                for (int y = std::min(s.y1, s.y2); y <= std::max(s.y1, s.y2); ++y)
                    out.insert(y);
        return out;
    }

    static bool continuous(const std::set<int>& pixels, int from, int to)
    {
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
    EXPECT_EQ((Lines {
                  "startDoc \"Raport\"",
                  "startPage",
                  "setBkMode 1",
                  "setBkColor 0x000000",
                  "createBrush #4 style=1 color=0x000000 hatch=0",
                  "selectObject #4 -> #2",
              }),
        Lines(calls.begin(), calls.begin() + 6));
    // The text font: text height, the chosen width, bold, the face of the options (its
    // quality follows the Windows version).
    EXPECT_EQ(0u, calls[6].find("createFont #5 h=40 w=10 weight=700 ")) << calls[6];
    EXPECT_EQ(" face=Courier New", calls[6].substr(calls[6].size() - 17));
    EXPECT_EQ("selectObject #5 -> #1", calls[7]);
    EXPECT_EQ((Lines { "0 0 Hello", "60 0 world", "20 80 x" }), texts());
    // Each run carries one advance of a whole cell per character.
    const std::vector<RecordingDevice::Call> runs = callsOf(RecordingDevice::TextOut);
    EXPECT_EQ((Ints { 10, 10, 10, 10, 10 }), runs[0].advances);
    EXPECT_EQ(5, runs[0].object);
    // Paint and font back, page and document ended, the device context gone.
    EXPECT_EQ((Lines { "selectObject #2 -> #4", "deleteObject #4", "selectObject #1 -> #5", "deleteObject #5",
                  "endPage", "endDoc", "deleteDC" }),
        Lines(calls.end() - 7, calls.end()));
    EXPECT_EQ(0, device->liveObjects());

    const Lines log = logged();
    ASSERT_EQ(6u, log.size());
    EXPECT_EQ("Info: Start printing...", log[1]);
    EXPECT_EQ("Info: Printing page 1", log[2]);
    EXPECT_EQ("Info: ", log[3]);
    EXPECT_EQ(0u, log[4].find("Info: Total time: "));
    EXPECT_EQ(" sec.", log[4].substr(log[4].size() - 5));
    EXPECT_EQ("Info: End printing...", log[5]);
}

TEST_F(DrawTest, RunsStartOnTheirCellsAndStepByTheTruncatedCell)
{
    // 41 characters on 1000 pixels with a natural W of 30: too wide, so the cell is 24.39
    // pixels and the font is narrowed to 24.
    charWidth = [](const PrintDevice::FontSpec& f, unsigned char) { return f.width == 0 ? 30 : f.width; };
    const std::string line = "ab-cd ef=g|" + std::string(30, 'h');
    ASSERT_EQ(41u, line.size());
    ASSERT_EQ(0, print(line));
    EXPECT_FLOAT_EQ(1000.0f / 41.0f, job->page().cellWidth);
    EXPECT_EQ((Lines { "0 0 ab", "48 0 -", "73 0 cd", "146 0 ef", "195 0 =", "219 0 g", "243 0 |",
                  "268 0 " + std::string(30, 'h') }),
        texts());
    const std::vector<RecordingDevice::Call> runs = callsOf(RecordingDevice::TextOut);
    EXPECT_EQ(Ints(30, 24), runs.back().advances);
    // A rule character standing alone is drawn without advances.
    EXPECT_FALSE(runs[1].hasAdvances);
}

TEST_F(DrawTest, ARunLongerThan99CharactersIsDrawnWhole)
{
    caps.widthPixels = 4000;
    const std::string longRun = std::string(150, 'r') + " " + std::string(500, 's');
    ASSERT_EQ(0, print(longRun));
    const std::vector<RecordingDevice::Call> runs = callsOf(RecordingDevice::TextOut);
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ(std::string(150, 'r'), runs[0].text);
    EXPECT_EQ(150u, runs[0].advances.size());
    EXPECT_EQ(500u, runs[1].advances.size());
    EXPECT_EQ(static_cast<int>(job->page().cellWidth * 151), runs[1].x);
}

TEST_F(DrawTest, SpacesAndAnEarlyFormFeedDrawNothing)
{
    ASSERT_EQ(0, print(lf({ "top\f", "  ", "a  b\f" })));
    // The form feeds of the first six lines stay in their lines but are never printed.
    EXPECT_STREQ("top\f", job->document().lines().line(0));
    EXPECT_EQ((Lines { "0 0 top", "0 80 a", "30 80 b" }), texts());
}

TEST_F(DrawTest, HyphensBetweenBarsAndAPlusWithGraph)
{
    // |--+--| : each hyphen pair is ruled through the middle of its slot, ending at the
    // centre of the hyphen next to the plus; the plus and the lone bars are text.
    args.graph = 1;
    ASSERT_EQ(0, print("|--+--|"));
    EXPECT_EQ((Lines { "0 0 |", "30 0 +", "60 0 |" }), texts());
    EXPECT_EQ(join({ hband(10, 15, 20), hband(15, 20, 20), hband(20, 25, 20), hband(45, 50, 20), hband(50, 55, 20),
                  hband(55, 60, 20) }),
        strokes());

    // Without -graph everything is text.
    args.graph = 0;
    ASSERT_EQ(0, print("|--+--|"));
    EXPECT_EQ((Lines { "0 0 |", "10 0 -", "20 0 -", "30 0 +", "40 0 -", "50 0 -", "60 0 |" }), texts());
    EXPECT_EQ(Strokes {}, strokes());
}

TEST_F(DrawTest, ACodePage437FrameBecomesContinuousBands)
{
    const std::string frame = "\xda\xc4\xc4\xc4\xc4\xbf\r\n"
                              "\xb3 ab \xb3\r\n"
                              "\xc3\xc4\xc4\xc4\xc4\xb4\r\n"
                              "\xb3 cd \xb3\r\n"
                              "\xc0\xc4\xc4\xc4\xc4\xd9\r\n";
    args.graph = 1;
    ASSERT_EQ(0, print(frame));
    EXPECT_EQ((Lines { "20 40 ab", "20 120 cd" }), texts());
    // The top, middle and bottom rules run from the centre of the first cell to the centre
    // of the last, in the middle of their slots (y 20, 100, 180), three pixels thick.
    for (int y : { 20, 100, 180 })
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(continuous(coveredRow(y + i), 5, 55)) << "row " << y + i;
    // The sides run from the middle of the first slot to the middle of the last.
    for (int x : { 5, 55 })
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(continuous(coveredColumn(x + i), 20, 180)) << "column " << x + i;
    // Nothing sticks out of the frame.
    for (const Stroke& s : strokes()) {
        EXPECT_GE(std::min(s.x1, s.x2), 5) << s;
        EXPECT_LE(std::max(s.x1, s.x2), 57) << s;
        EXPECT_GE(std::min(s.y1, s.y2), 20) << s;
        EXPECT_LE(std::max(s.y1, s.y2), 182) << s;
    }

    // Without -graph the same frame prints as hyphens and bars.
    args.graph = 0;
    ASSERT_EQ(0, print(frame));
    EXPECT_EQ(Strokes {}, strokes());
    const Lines plain = texts();
    ASSERT_EQ(24u, plain.size());
    EXPECT_EQ((Lines { "0 0 -", "10 0 -", "20 0 -", "30 0 -", "40 0 -", "50 0 -", "0 40 |", "20 40 ab" }),
        Lines(plain.begin(), plain.begin() + 8));
}

TEST_F(DrawTest, DoubleRulesAndTheLastFiveLines)
{
    // 16 lines: "==" on the sixth-last line (index 10) and on the fifth-last (index 11),
    // each with a rule character below its first column. Only the first gets its band
    // downwards.
    std::vector<std::string> lines(16, "");
    lines[10] = "==";
    lines[11] = "==";
    lines[12] = "|";
    args.graph = 1;
    ASSERT_EQ(0, print(crlf(lines)));
    ASSERT_EQ(16, job->document().totalLines());
    // The double bands at a = trunc(40 x 5/12) = 16 and b = trunc(40 x 7/12) = 23 below the
    // top of the slot.
    const int y10 = 10 * 40;
    const int y11 = 11 * 40;
    const int y12 = 12 * 40;
    const Strokes expected = join({
        // index 10: right neighbour in column 0, left in column 1, "=" below both.
        hband(5, 10, y10 + 16), hband(5, 10, y10 + 23), vband(5, y10 + 16, y10 + 40),
        hband(10, 15, y10 + 16), hband(10, 15, y10 + 23), vband(15, y10 + 16, y10 + 40),
        // index 11: joined above; the bar below column 0 gets no band from here.
        hband(5, 10, y11 + 16), hband(5, 10, y11 + 23), vband(5, y11, y11 + 23),
        hband(10, 15, y11 + 16), hband(10, 15, y11 + 23), vband(15, y11, y11 + 23),
        // index 12: the bar joins the "=" above it with the single shape.
        vband(5, y12, y12 + 20),
    });
    EXPECT_EQ(expected, strokes());
}

TEST_F(DrawTest, NeighboursAreFoundAcrossPageBreaks)
{
    // 25 lines fit on a page: a bar ending page 1 and one opening page 2 join each other.
    std::vector<std::string> lines(24, "x");
    lines.push_back("|");
    lines.push_back("|");
    args.graph = 1;
    ASSERT_EQ(0, print(lf(lines)));
    EXPECT_EQ(2, job->pageCount());
    EXPECT_EQ(join({ vband(5, 24 * 40 + 20, 25 * 40, 1), vband(5, 0, 20, 2) }), strokes());
}

TEST_F(DrawTest, PageSelectionFromTheGlobalPageList)
{
    // Five pages: the first ends with a form feed after its first six lines, the next
    // ones hold one line each.
    std::vector<std::string> lines;
    for (int i = 0; i < 6; ++i)
        lines.push_back("head" + std::to_string(i));
    lines.push_back("end1\f");
    for (int p = 2; p <= 5; ++p)
        lines.push_back("page" + std::to_string(p) + (p < 5 ? "\f" : ""));
    ASSERT_EQ(0, layOut(lf(lines)));
    ASSERT_EQ(5, job->pageCount());
    // The job copied the options before the page list was given: the list is read from the
    // global options when the pages are drawn.
    ASSERT_TRUE(args.addPages("2,4"));
    device->clearCalls();
    ASSERT_EQ(0, job->draxome(-1));
    EXPECT_EQ(2, device->count(RecordingDevice::StartPage));
    EXPECT_EQ(2, device->pagesEnded());
    EXPECT_EQ((Lines { "0 0 page2", "0 0 page4" }), texts());
    Lines pagesLogged;
    for (const std::string& l : logged())
        if (l.find("Printing page") != std::string::npos)
            pagesLogged.push_back(l);
    EXPECT_EQ((Lines { "Info: Printing page 2", "Info: Printing page 4" }), pagesLogged);
}

TEST_F(DrawTest, APageListBeyondTheDocumentPrintsNoPage)
{
    ASSERT_TRUE(args.addPages("9"));
    ASSERT_EQ(0, print(lf({ "one" })));
    EXPECT_EQ((Lines { "startDoc \"Raport\"", "endDoc", "deleteDC" }), device->log());
}

TEST_F(DrawTest, OnePageByIndex)
{
    std::vector<std::string> lines(60, "l");
    lines[30] = "second";
    ASSERT_EQ(0, layOut(lf(lines)));
    ASSERT_EQ(3, job->pageCount());
    // The page list does not apply to a page asked for by index.
    ASSERT_TRUE(args.addPages("3"));
    device->clearCalls();
    ASSERT_EQ(0, job->draxome(1));
    EXPECT_EQ(1, device->count(RecordingDevice::StartPage));
    EXPECT_EQ("0 200 second", texts().at(5));
    const Lines log = logged();
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), "Info: Printing page 2"));

    ASSERT_EQ(0, layOut(lf(lines)));
    device->clearCalls();
    EXPECT_EQ(-1, job->draxome(3));
    EXPECT_EQ("Error: Printfile::draxome(): page overflow", logged().back());
    EXPECT_EQ(0, device->count(RecordingDevice::StartDoc));
}

TEST_F(DrawTest, TheBannerFontComesFromThePrintableHeight)
{
    // The virtual A4 page, text 3.5 mm, banner 2 mm, 20 mm margins top and bottom.
    caps = RecordingDevice::Caps();
    charWidth = nullptr;
    args.htext = 35;
    args.hbanner = 20;
    args.top = 20;
    args.bottom = 20;
    args.left = 10;
    setText(args.banner, "Monthly report");
    ASSERT_EQ(0, print(crlf({ "a", "b" })));
    // Printable height 3358 - 2 x 236 = 2886 pixels: (20 x 2886 / 284) div 10 = 20 pixels,
    // less than the 23 pixels that 2 mm are on this page.
    const std::vector<RecordingDevice::Call> fonts = callsOf(RecordingDevice::CreateFont);
    ASSERT_EQ(2u, fonts.size());
    EXPECT_EQ(20, fonts[0].font.height);
    EXPECT_EQ(0, fonts[0].font.width);
    EXPECT_EQ(700, fonts[0].font.weight);
    // Below the last line a full page holds: trunc(P x linesPerPage + topPx), at leftPx,
    // with the font's own spacing, before the text font is chosen.
    const double pitch = 3358.0 * 35 / 284 / 10;
    EXPECT_EQ(69, job->page().linesPerPage);
    const std::vector<RecordingDevice::Call> out = callsOf(RecordingDevice::TextOut);
    ASSERT_EQ(3u, out.size());
    EXPECT_EQ("Monthly report", out[0].text);
    EXPECT_EQ(118, out[0].x);
    EXPECT_EQ(static_cast<int>(pitch * 69 + 236), out[0].y);
    EXPECT_FALSE(out[0].hasAdvances);
    EXPECT_EQ(fonts[0].object, out[0].object);
    EXPECT_EQ(fonts[1].object, out[1].object);
    EXPECT_EQ(0, device->liveObjects());

    // Without margins the same banner is 23 pixels high.
    args.top = args.bottom = 0;
    ASSERT_EQ(0, print(crlf({ "a", "b" })));
    EXPECT_EQ(23, callsOf(RecordingDevice::CreateFont).at(0).font.height);
}

TEST_F(DrawTest, TheBannerMovesWithACentredBlock)
{
    setText(args.banner, "B");
    args.hcenter = true;
    ASSERT_EQ(0, print(std::string(20, 'c')));
    // 20 cells of 10 pixels centred on 1000 pixels.
    EXPECT_EQ(400, job->page().leftPx);
    EXPECT_EQ((Lines { "400 1000 B", "400 0 " + std::string(20, 'c') }), texts());
}

TEST_F(DrawTest, ABannerThatCannotBeDrawnLetsThePageGoOn)
{
    // A device on which no font of natural width can be made while a page is open: the
    // banner's font.
    struct NoBannerFont : RecordingDevice {
        using RecordingDevice::RecordingDevice;
        PrintObject createFont(const FontSpec& spec) override
        {
            return inPage() && spec.width == 0 ? nullptr : RecordingDevice::createFont(spec);
        }
    };
    makeDevice = [](const RecordingDevice::Caps& c) { return new NoBannerFont(c); };
    setText(args.banner, "B");
    ASSERT_EQ(0, print(lf({ "text", "more" })));
    EXPECT_EQ((Lines { "0 0 text", "0 40 more" }), texts());
    const Lines log = logged();
    EXPECT_EQ((Lines { "Error: select_font(): SelectObject(dc, hfnt): couldn't select font",
                  "Error: Printfile::printBanner(): Graphics::select_font(): could set font" }),
        Lines(log.begin() + 3, log.begin() + 5));
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
    std::vector<std::string> lines(30, "t");
    for (const Case& c : cases) {
        ASSERT_EQ(0, layOut(lf(lines)));
        device->clearCalls();
        device->fail(c.op, c.after);
        EXPECT_EQ(-1, job->draxome(-1)) << c.message;
        EXPECT_EQ(c.message, logged().back());
        // The device context stays for its owner; nothing selected for the page is lost.
        EXPECT_FALSE(device->deleted()) << c.message;
        EXPECT_EQ(0, device->liveObjects()) << c.message;
    }

    // Not laid out: nothing to print on.
    job.reset(new Printfile());
    EXPECT_EQ(-1, job->draxome(-1));
    EXPECT_EQ("Error: Printfile::draxome(): hdcPrinter==NULL: the document was not prepared", logged().back());
    args.printername[0] = '\0';
    job.reset(new Printfile());
    EXPECT_EQ(-1, job->draxome(-1));
    EXPECT_EQ("Error: Printfile::printfile(): no printer selected; use '-printername' to specify one", logged().back());
}
