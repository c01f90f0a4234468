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

    // The pixels that strokes cover, as (x, y, page).
    std::set<Ints> pixels() const
    {
        std::set<Ints> out;
        const std::vector<RecordingDevice::Call>& c = device->calls();
        for (size_t i = 0; i + 1 < c.size(); ++i)
            if (c[i].op == RecordingDevice::MoveTo && c[i + 1].op == RecordingDevice::LineTo)
                for (int x = std::min(c[i].x, c[i + 1].x); x <= std::max(c[i].x, c[i + 1].x); ++x)
                    for (int y = std::min(c[i].y, c[i + 1].y); y <= std::max(c[i].y, c[i + 1].y); ++y)
                        out.insert({ x, y, c[i].page });
        return out;
    }

    // Whether strokes cover all of the rectangle (x1, y1)-(x2, y2) of a page, or none of it.
    bool covers(int x1, int y1, int x2, int y2, bool all = true, int page = 1) const
    {
        const std::set<Ints> p = pixels();
        for (int x = x1; x <= x2; ++x)
            for (int y = y1; y <= y2; ++y)
                if (p.count({ x, y, page }) != (all ? 1u : 0u))
                    return false;
        return true;
    }
};

} // namespace

TEST_F(DrawTest, OneJobFromDocumentToDeviceContext)
{
    ASSERT_EQ(0, print(crlf({ "Hello world", "", "  x" })));
    const Lines calls = device->log();
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
    EXPECT_EQ((Lines { "Info: Start printing...", "Info: Printing page 1", "Info: " }),
        Lines(log.begin() + 1, log.begin() + 4));
    EXPECT_EQ(0u, log.at(4).find("Info: Total time: "));
    EXPECT_EQ("Info: End printing...", log.at(5));
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

TEST_F(DrawTest, RulesWithGraph)
{
    args.graph = 1;
    // |--+--| : each hyphen is ruled from the middle of its cell towards its rule
    // neighbours, the plus is a joint between them; the lone bars stay text.
    ASSERT_EQ(0, print("|--+--|"));
    EXPECT_EQ((Lines { "0 0 |", "60 0 |" }), texts());
    EXPECT_TRUE(covers(10, 20, 60, 22) && covers(0, 0, 9, 39, false) && covers(30, 23, 39, 39, false));
    // A code page 437 frame: rules from the first cell's centre to the last's, in the
    // middle of their slots, three pixels thick; the sides from slot to slot; nothing
    // sticks out.
    ASSERT_EQ(0, print("\xda\xc4\xc4\xc4\xc4\xbf\r\n\xb3 ab \xb3\r\n\xc3\xc4\xc4\xc4\xc4\xb4\r\n"
                       "\xb3 cd \xb3\r\n\xc0\xc4\xc4\xc4\xc4\xd9\r\n"));
    EXPECT_EQ((Lines { "20 40 ab", "20 120 cd" }), texts());
    for (int y : { 20, 100, 180 })
        EXPECT_TRUE(covers(5, y, 55, y + 2)) << y;
    EXPECT_TRUE(covers(5, 20, 7, 180) && covers(55, 20, 57, 180));
    EXPECT_TRUE(covers(0, 0, 4, 199, false) && covers(58, 0, 99, 199, false) && covers(0, 183, 99, 199, false));
    // "==" on the sixth-last and the fifth-last line, each with a bar below: bands at
    // trunc(40 x 5/12) = 16 and trunc(40 x 7/12) = 23, and only the first joins downwards.
    Lines lines(16, "");
    lines[10] = "==";
    lines[11] = "|==";
    lines[12] = " |";
    ASSERT_EQ(0, print(crlf(lines)));
    EXPECT_TRUE(covers(5, 416, 15, 418) && covers(5, 423, 15, 425) && covers(15, 456, 25, 458));
    EXPECT_TRUE(covers(5, 416, 7, 460) && covers(15, 480, 17, 500));
    EXPECT_TRUE(covers(15, 466, 17, 479, false)) << "no stroke down from the fifth-last line";
    // Neighbours are found across a page break.
    Lines bars(24, "x");
    bars.push_back("|");
    bars.push_back("|");
    ASSERT_EQ(0, print(crlf(bars)));
    EXPECT_TRUE(covers(5, 980, 7, 1000) && covers(5, 0, 7, 20, true, 2));
    args.graph = 0;
    ASSERT_EQ(0, print("|--+--|"));
    EXPECT_EQ(7u, texts().size());
    EXPECT_TRUE(pixels().empty());
}

TEST_F(DrawTest, RulesAreDrawnAsMaximalRunsOverTheCellsPixels)
{
    // Each run is one rule, three one-pixel strokes stacked down (H y from-to) or side by
    // side (V x from-to), and covers exactly the half-cell pieces its cells stand for: from
    // the centre of the first cell (x 5, y 20 in a row's cell) to the centre of the last.
    args.graph = 1;
    const std::vector<std::pair<Lines, Lines>> cases = {
        { { "\xda\xc4\xc4\xbf", "\xb3  \xb3", "\xc0\xc4\xc4\xd9" }, // a box
            { "H 20 5-35", "H 100 5-35", "V 5 20-100", "V 35 20-100" } },
        { { "--\xc2--", "  \xb3" }, { "H 20 5-45", "V 25 20-60" } },                // a tee
        { { "  |", "--|--", "  |" }, { "H 60 5-45", "V 25 20-100" } },              // a cross
        { { "=====" }, { "H 16 5-45", "H 23 5-45" } },                              // a double rule
        { { "ab--cd" }, { "H 20 25-35" } },                                         // touching text
        { { "-++" }, { "H 20 5-15" } },                                             // a lone plus after a joint
        { { "=====", "-----", "a-b" }, { "H 16 5-45", "H 23 5-45", "H 60 5-45" } },  // stacked: no ladder
        { { "+--+", "|  |", "+--+" }, { "H 20 5-35", "H 100 5-35", "V 5 20-100", "V 35 20-100" } }, // ASCII box
        { { std::string(13, '-'), "|  |  |  |  |", "|  |  |  |  |", std::string(13, '-') }, // a frame
            { "H 20 5-125", "H 140 5-125", "V 5 20-140", "V 35 20-140", "V 65 20-140", "V 95 20-140",
                "V 125 20-140" } },
        // A double frame: bands at 16 and 23, the sides two lines 7 apart around the middle
        // of their cells, outer and inner corners closed.
        { { "\xc9\xcd\xbb", "\xba \xba", "\xc8\xcd\xbc" },
            { "H 16 2-32", "H 23 9-25", "H 96 9-25", "H 103 2-32", "V 2 16-106", "V 9 23-96", "V 22 23-96",
                "V 29 16-106" } },
        // A double tee over a double line that ends in a single tee.
        { { "\xcd\xcb\xcd", " \xc7\xc4" },
            { "H 16 5-25", "H 23 5-15", "H 23 19-25", "H 60 12-25", "V 12 23-63", "V 19 23-63" } } };
    for (const auto& c : cases) {
        ASSERT_EQ(0, print(crlf(c.first)));
        const std::vector<RecordingDevice::Call> to = callsOf(RecordingDevice::LineTo);
        const std::vector<RecordingDevice::Call> from = callsOf(RecordingDevice::MoveTo);
        ASSERT_EQ(3 * c.second.size(), to.size()) << c.first[0];
        Lines runs;
        for (size_t i = 0; i < to.size(); i += 3) {
            const bool h = from[i].y == to[i].y;
            for (int k = 1; k < 3; ++k)
                EXPECT_TRUE(from[i + k].x == from[i].x + (h ? 0 : k) && from[i + k].y == from[i].y + (h ? k : 0)
                    && to[i + k].x == to[i].x + (h ? 0 : k) && to[i + k].y == to[i].y + (h ? k : 0));
            runs.push_back(h ? "H " + std::to_string(from[i].y) + " " + std::to_string(from[i].x) + "-" + std::to_string(to[i].x)
                             : "V " + std::to_string(from[i].x) + " " + std::to_string(from[i].y) + "-" + std::to_string(to[i].y));
        }
        EXPECT_EQ(c.second, runs) << c.first[0];
    }
}

TEST_F(DrawTest, PagesAreSelectedByListOrByIndex)
{
    Lines lines(6, "head");
    for (int p = 1; p <= 5; ++p)
        lines.push_back("page" + std::to_string(p) + "\f");
    // 4- runs to the end of the document, whatever its length.
    ASSERT_EQ(nullptr, args.addPages("2 4-"));
    ASSERT_EQ(0, print(crlf(lines)));
    EXPECT_EQ((Lines { "0 0 page2", "0 0 page4", "0 0 page5" }), texts());
    EXPECT_EQ(3, device->pagesEnded());
    // A page by index ignores the list; one beyond the document is refused.
    ASSERT_EQ(0, layOut(crlf(lines)));
    device->clearCalls();
    ASSERT_EQ(0, job->draxome(2));
    EXPECT_EQ((Lines { "0 0 page3" }), texts());
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
    // (20 x 2886 / 284) div 10 = 20 pixels, not the 23 that 2 mm are on the whole page;
    // trunc(pitch x linesPerPage + topPx), at leftPx, before the text font is chosen.
    const RecordingDevice::Call font = callsOf(RecordingDevice::CreateFont).at(0);
    const RecordingDevice::Call banner = callsOf(RecordingDevice::TextOut).at(0);
    EXPECT_EQ((Ints { 20, 0, 118, static_cast<int>(3358.0 * 35 / 284 / 10 * 69 + 236), font.object }),
        (Ints { font.font.height, font.font.width, banner.x, banner.y, banner.object }));
    EXPECT_EQ("Monthly report", banner.text);
    EXPECT_EQ(0, device->liveObjects());
    // Without margins, 81 lines would leave the banner (23 pixels) 17 pixels past the
    // page: the 81st line's slot is the banner's.
    args.top = args.bottom = 0;
    ASSERT_EQ(0, print(crlf({ "a", "b" })));
    EXPECT_EQ((Ints { 80, static_cast<int>(3358.0 * 35 / 284 / 10 * 80) }),
        (Ints { job->page().linesPerPage, callsOf(RecordingDevice::TextOut).at(0).y }));
}

TEST_F(DrawTest, FailuresEndTheJobWithTheirMessages)
{
    const std::vector<std::tuple<RecordingDevice::Op, int, std::string>> cases = {
        { RecordingDevice::StartDoc, 0, "Error: StartDoc(...): cannot start printing the document" },
        { RecordingDevice::StartPage, 1, "Error: StartPage(...): cannot start printing pages" },
        { RecordingDevice::SetBkMode, 0, "Error: draxome: could not set paint with Graphics::setPaint()" },
        { RecordingDevice::CreateFont, 0, "Warning: Graphics::selectFont(hdcPrinter, htext, fontface): cannot set "
                                          "specified font for printer; Using default font..." },
        { RecordingDevice::TextOut, 3, "Info: Printing page 1" },
        { RecordingDevice::EndPage, 0, "Error: (while)EndPage(...)" },
        { RecordingDevice::EndDoc, 0, "Error: EndDoc(...)" } };
    for (const auto& c : cases) {
        ASSERT_EQ(0, layOut(crlf(Lines(30, "t"))));
        device->fail(std::get<0>(c), std::get<1>(c));
        EXPECT_EQ(-1, job->draxome(-1));
        EXPECT_EQ(std::get<2>(c), logged().back());
        EXPECT_EQ(0, device->liveObjects()) << "nothing selected for the page is lost: " << std::get<2>(c);
    }
    job = std::make_unique<Printfile>();
    EXPECT_EQ(-1, job->draxome(-1));
    EXPECT_EQ("Error: Printfile::draxome(): hdcPrinter==NULL: the document was not prepared", logged().back());
}

TEST_F(DrawTest, DecodedDocumentsPrintTheirLettersAndRuleOnlyBoxDrawing)
{
    // A frame beside words, in code page 850 bytes and in UTF-8 with its byte order mark.
    const std::string cp850 = "\xda\xc4\xc4\xbf Gr\x94\xe1" "e\r\n\xc0\xc4\xc4\xd9 caf\x82\r\n";
    const std::string utf8 = "\xef\xbb\xbf┌──┐ Größe\r\n└──┘ café\r\n";
    const Lines words = { "50 0 Größe", "50 40 café" };
    const struct {
        const char* codepage;
        int graph;
        std::string text;
        Lines texts;
        size_t strokes;
    } cases[] = {
        // Western letters whose bytes are frame bytes of code page 437 stay letters.
        { "1252", 1, "\xc4RGER \xd6L \xd1" "AND\xda \xc9T\xc9", { "0 0 ÄRGER", "60 0 ÖL", "90 0 ÑANDÚ", "150 0 ÉTÉ" }, 0 },
        { "", 0, "\xc4RGER \xd1" "AND\xda", { "0 0 -", "10 0 RGER", "60 0 -", "70 0 AND", "100 0 -" }, 0 },
        // The frame is ruled with -graph (two rules of three strokes: corners join only
        // vertical rules above or below) and is the font's own box glyphs without.
        { "850", 1, cp850, words, 6 },
        { "utf-8", 1, utf8, words, 6 },
        { "UTF-8", 0, utf8, { "0 0 ┌", "10 0 ─", "20 0 ─", "30 0 ┐", "50 0 Größe", "0 40 └", "10 40 ─", "20 40 ─",
                                 "30 40 ┘", "50 40 café" }, 0 },
        // Invalid UTF-8: U+FFFD in place of each bad byte.
        { "utf-8", 0, "ok\r\nbad \xe9t\xe9\r\n\xff", { "0 0 ok", "0 40 bad", "40 40 \uFFFDt\uFFFD", "0 80 \uFFFD" }, 0 },
    };
    for (const auto& c : cases) {
        set(args.codepage, c.codepage);
        args.graph = c.graph;
        ASSERT_EQ(0, print(c.text)) << c.codepage;
        EXPECT_EQ(c.texts, texts()) << c.codepage;
        EXPECT_EQ(c.strokes, callsOf(RecordingDevice::LineTo).size()) << c.codepage;
        EXPECT_EQ(c.codepage[0] != '\0', callsOf(RecordingDevice::TextOut)[0].wide) << c.codepage;
    }
    // One Warning for the invalid document, naming its first bad line.
    const Lines printed = logged();
    EXPECT_EQ(1, std::count_if(printed.begin(), printed.end(), [](const std::string& l) { return l[0] == 'W'; }));
    EXPECT_EQ(1, std::count(printed.begin(), printed.end(),
                     "Warning: Printfile::printfile(): line 2 is not valid UTF-8: printed with U+FFFD in its place"));
    // A line is as long as its characters: 132 of them in UTF-8 narrow the font as 132 bytes.
    std::string line;
    for (int i = 0; i < 132; ++i)
        line += i % 2 ? "é" : "e";
    ASSERT_EQ(0, layOut(line));
    EXPECT_EQ(132, job->document().maxLength());
    const int decoded = page().fontWidth;
    set(args.codepage, "");
    ASSERT_EQ(0, layOut(std::string(132, 'e')));
    EXPECT_EQ(decoded, page().fontWidth);
    // An unknown code page and a UTF-16 document, of either byte order, end the job before
    // anything is printed.
    set(args.codepage, "999");
    EXPECT_EQ(-1, layOut("x"));
    set(args.codepage, "utf-8");
    for (const char* utf16 : { "\xff\xfex\0", "\xfe\xff\x30\x42" })
        EXPECT_EQ(-1, layOut(std::string(utf16, 4)));
    const Lines log = logged();
    for (const auto& [error, times] : { std::pair<const char*, int>{ "Error: Printfile::printfile(): -codepage 999: "
             "unknown code page", 1 }, { "Error: Printfile::printfile(): the document is UTF-16: save it as UTF-8 and "
             "print it with -codepage utf-8", 2 } })
        EXPECT_EQ(times, std::count(log.begin(), log.end(), error)) << error;
}
