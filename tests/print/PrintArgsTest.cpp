#include "PrintTestSupport.h"

#include <filesystem>

namespace {

using Pages = std::vector<int>;

const char* const kHeightRefused = ": the height must be a number of millimetres, at least 0.1";

class PrintArgsTest : public PrintWorkDir {
protected:
    // Parses into a fresh record; its result and what it logged.
    std::pair<int, Lines> parseFresh(const std::string& text)
    {
        a.setDefaults();
        ULog::reset();
        std::filesystem::remove("log.txt");
        EXPECT_TRUE(ULog::setStream(UString("log.txt"), 0));
        const int result = a.parse(text.c_str());
        return { result, logged() };
    }

    Pages pageList() const { return Pages(a.pages.data, a.pages.data + a.pages.noEl); }

    PrintArgs a;
};

} // namespace

TEST_F(PrintArgsTest, EveryOptionFillsItsField)
{
    ASSERT_EQ(0, a.parse("-htext 2.5 -hline 0.5 -open a.txt -docname Doc -fontface Lucida -orientation landscape "
                         "-papersize A3 -left 1 -right 2 -top 3 -bottom 4 -disablelog -logsize 500 -graph -fontlist "
                         "-printlist -reslist -printername \"Virtual A4\" -resolution 600 300 -minres 200 -defaultres "
                         "-direct -logfile l.txt -banner \"Monthly report\" -hbanner 1.2 -hcenter -pages 1-3 -view "
                         "-copy c.txt -run default -response r.txt -zoom 2.9 -open -printlist"));
    EXPECT_EQ(Lines {}, logged());
    EXPECT_EQ((Pages { 25, 5, 2, 8, 1, 2, 3, 4, 500, 1, 600, 300, 200, 12, 2 }),
        (Pages { a.htext, a.hline, a.orientation, a.papersize, a.left, a.right, a.top, a.bottom, a.logsize, a.graph,
            a.resolution.xres, a.resolution.yres, a.minres, a.hbanner, a.zoom }));
    EXPECT_EQ((Lines { "-printlist", "Doc", "Lucida", "Virtual A4", "l.txt", "Monthly report", "c.txt", "default",
                  "r.txt" }),
        (Lines { a.filename, a.docname, a.fontface, a.printername, a.logfile, a.banner, a.copytarget, a.runcommand,
            a.responsepath }));
    EXPECT_FALSE(a.log);
    EXPECT_TRUE(a.fontlist && a.printlist && a.reslist && a.defaultres && a.direct && a.hcenter && a.view && a.copy
        && a.run && a.response);
    EXPECT_EQ((Pages { 1, 2, 3 }), pageList());
}

TEST_F(PrintArgsTest, FailuresAndWarningsLogTheirOwnText)
{
    std::vector<std::pair<std::string, std::string>> failing;
    // Every option that takes a value, with none: "command line: " and its word.
    for (const char* word : { "htext", "hline", "open", "cmdfile", "docname", "fontface", "orientation", "papersize",
             "left", "right", "top", "bottom", "logsize", "printername", "resolution", "minres", "logfile", "banner",
             "hbanner", "copy", "run", "response", "zoom" })
        failing.push_back({ std::string("-") + word, std::string("command line: ") + word });
    failing.insert(failing.end(), {
        { "-pages", "command line: p" },
        // Numbers that must not be 0, texts too long for their field.
        { "-hbanner x", "command line: hbanner" },
        { "-zoom 0.99", "command line: zoom" }, { "-logsize 0", "command line: logsize" },
        { "-minres 0", "command line: minres/r/n" }, { "-resolution 0 600", "command line: resolution" },
        { "-resolution 600 0", "command line: resolution.yres" },
        { "-pages \"\"", "command line: p: could not add -pages" },
        { "-fontface " + std::string(100, 'f'), "command line: fontface" },
        { "-run " + std::string(500, 'r'), "command line: run" } });
    // Values that would waste paper, named as given.
    const std::string height = "'" + std::string(kHeightRefused);
    const std::string margin = "': a margin must be a whole number of millimetres, 0 or more";
    const std::string list = "': a page list holds page numbers and ranges such as 3, 2-5 or 9- (page 9 to the end)";
    for (const char* v : { "0.04", "-2", "abc", "5mm", "\" 2.5\"", "1e" })
        failing.push_back({ std::string("-htext ") + v, "command line: htext '" + std::string(v[0] == '"' ? " 2.5" : v) + height });
    for (const char* v : { "-50", "x7", "12.9", "1e3" })
        failing.push_back({ std::string("-left ") + v, "command line: left '" + std::string(v) + margin });
    for (const char* v : { "abc", "2-4-6", "-3", "3,-5", "12x5", "," })
        failing.push_back({ std::string("-pages ") + v, "command line: pages '" + std::string(v) + list });
    failing.insert(failing.end(), { { "-hline 1,5", "command line: hline '1,5': the line spacing must be a number of millimetres" },
        { "-bottom -1", "command line: bottom '-1" + margin },
        { "-pages 0", "command line: pages '0': no page to print: pages are counted from 1" },
        { "-pages 5-3", "command line: pages '5-3': a range that ends before it starts" } });
    for (const auto& c : failing) {
        // A value is missing at the end of the line only. What stood before stays; what
        // follows is not read.
        const bool hasValue = c.first.find(' ') != std::string::npos;
        EXPECT_EQ(std::make_pair(-1, Lines { "Error: " + c.second }),
            parseFresh("-graph " + c.first + (hasValue ? " -view" : "")))
            << c.first;
        EXPECT_EQ(1, a.graph) << c.first;
        EXPECT_FALSE(a.view || a.run) << c.first;
    }
    EXPECT_EQ(std::make_pair(-1, Lines { "Error: command line: resolution.xres" }), parseFresh("-resolution 600"));
    // Lines that would not move down the page, whatever order the two come in.
    EXPECT_EQ(std::make_pair(-1, Lines { "Error: command line: hline '-1.2': with a text height of 1.2 mm the lines "
                                         "would not move down the page" }),
        parseFresh("-hline -1.25 -htext 1.2"));
    EXPECT_EQ(0, parseFresh("-htext 1.2 -hline -1.1").first);
    EXPECT_EQ(std::make_pair(0, Lines { "Error: command line: orientation", "Error: command line: papersize",
                                    "Error: command line: copies", "Error: command line: copies",
                                    "Error: command line: duplex", "Error: Unknown option -Open",
                                    "Error: Unknown option x", "Error: Unknown option -ver2", "Error: Unknown option " }),
        parseFresh("-orientation Portraits -papersize A6 -copies 0 -copies 1000 -duplex both -Open x -ver2 "));
    EXPECT_TRUE(a.orientation == -1 && a.papersize == -1 && a.copies == -1 && a.duplex == -1);
    // Words in any case; each paper word gives its Windows paper code.
    const std::pair<const char*, int> papers[] = { { "LeTTer", 1 }, { "TABLOID", 3 }, { "legal", 5 },
        { "Executive", 7 }, { "a3", 8 }, { "A4", 9 }, { "a5", 11 }, { "B5", 13 } };
    for (const auto& p : papers) {
        EXPECT_EQ(0, parseFresh(std::string("-orientation Landscape -copies 999 -duplex Short -papersize ") + p.first).first);
        EXPECT_TRUE(a.papersize == p.second && a.orientation == 2 && a.copies == 999 && a.duplex == 3) << p.first;
    }
}

TEST_F(PrintArgsTest, NumbersAreReadDigitByDigit)
{
    // The option, its field, its value and the number stored: tenths of a millimetre truncated, the
    // decimal point moved in the digits (2.3 is 23 on every build); integers up to the
    // first other character; both kept at the ends of 32 bits.
    using F = std::int32_t PrintArgs::*;
    const F htext = &PrintArgs::htext, hline = &PrintArgs::hline, left = &PrintArgs::left;
    const std::vector<std::tuple<std::string, F, const char*, int>> numbers = { { "htext", htext, "3.57", 35 },
        { "hline", hline, "2.3", 23 }, { "htext", htext, "4.1", 41 }, { "hbanner", &PrintArgs::hbanner, "1e1", 100 },
        { "htext", htext, ".5", 5 }, { "htext", htext, "+2.5", 25 }, { "hline", hline, "-1.25", -12 },
        { "htext", htext, "25E-1", 25 }, { "htext", htext, "1e+1", 100 }, { "hline", hline, "1e400", 2147483647 },
        { "left", left, "+12", 12 }, { "left", left, "0", 0 }, { "left", left, "99999999999", 2147483647 },
        { "zoom", &PrintArgs::zoom, "-3.5", -3 } };
    for (const auto& n : numbers) {
        ASSERT_EQ(0, parseFresh("-" + std::get<0>(n) + " " + std::get<2>(n)).first) << std::get<2>(n);
        EXPECT_EQ(std::get<3>(n), a.*std::get<1>(n)) << std::get<0>(n) << " " << std::get<2>(n);
    }
}

TEST_F(PrintArgsTest, PageLists)
{
    const std::vector<std::pair<const char*, Pages>> cases = { { "1-3,5 8", { 1, 2, 3, 5, 8 } },
        { " 2 ,,4-5,", { 2, 4, 5 } }, { "9-", { -9 } }, { "3,3", { 3, 3 } },
        { "2147483646-99999999999", { 2147483646, 2147483647 } } };
    for (const auto& c : cases) {
        a.setDefaults();
        EXPECT_EQ(nullptr, a.addPages(c.first)) << c.first;
        EXPECT_EQ(c.second, pageList()) << c.first;
    }
    // A refused list adds nothing, also where its first items were good.
    a.setDefaults();
    EXPECT_NE(nullptr, a.addPages("1,2,x"));
    EXPECT_EQ(Pages {}, pageList());
    // Over several options they add up.
    ASSERT_EQ(0, parseFresh("-pages 2-4 -pages \"1,3\"").first);
    EXPECT_EQ((Pages { 2, 3, 4, 1, 3 }), pageList());
    // An endless range stops at the limit, with one message per list.
    EXPECT_EQ(nullptr, a.addPages("1-2000000000"));
    EXPECT_EQ(nullptr, a.addPages("3"));
    ASSERT_EQ(PrintArgs::kMaxPages, a.pages.noEl);
    EXPECT_EQ(PrintArgs::kMaxPages - 5, a.pages.data[PrintArgs::kMaxPages - 1]);
    EXPECT_EQ(Lines(2, "Error: command line: p: more than 10000 page numbers, the rest is ignored"), logged());
}

TEST_F(PrintArgsTest, CommandFilesAndTheVersionFile)
{
    std::string tenDocnames;
    for (int i = 0; i < 10; ++i)
        tenDocnames += "-docname " + std::string(489, 'd') + " ";
    // The file, the command line, the result, docname, htext, view and the log.
    const std::vector<std::tuple<std::string, std::string, int, std::string, int, bool, Lines>> cases = {
        // Options before -cmdfile yield to the file's, those after it win.
        { "-htext 5 -docname file", "-htext 9 -docname before -cmdfile f.ini -view", 0, "file", 50, true, {} },
        { "-docname file", "-cmdfile f.ini -docname after", 0, "after", 35, false, {} },
        // Line ends separate like blanks (as `echo ... > f.ini` writes them, blank included);
        // two blanks make an empty token.
        { "-view\r\n\r\n-docname \"Night run\" \r\n", "-cmdfile f.ini", 0, "Night run", 35, true, {} },
        { "-view  -docname x\ny\r\n", "-cmdfile f.ini", 0, "x", 35, true,
            { "Error: Unknown option ", "Error: Unknown option y" } },
        // The text ends at a NUL byte, and after 5000 bytes: -htext 12345 is cut to 123.
        { std::string("-htext 5\0 -view", 15), "-cmdfile f.ini", 0, "Raport", 50, false, {} },
        { tenDocnames + "-htext 12345 -view", "-cmdfile f.ini", 0, std::string(489, 'd'), 1230, false, {} },
        // A failure inside the file fails the parse.
        { "-docname in -htext 0 -view", "-cmdfile f.ini -view", -1, "in", 0, false,
            { "Error: command line: htext '0'" + std::string(kHeightRefused), "Error: command line: cmdfile" } },
        { "", "-cmdfile adir", -1, "Raport", 35, false, { "Error: command line: cmdfile" } },
        { "", "-cmdfile missing.ini", -1, "Raport", 35, false, { "Error: command line: cmdfile" } } };
    std::filesystem::create_directory("adir");
    for (const auto& c : cases) {
        writeFile("f.ini", std::get<0>(c));
        EXPECT_EQ(std::make_pair(std::get<2>(c), std::get<6>(c)), parseFresh(std::get<1>(c))) << std::get<1>(c);
        EXPECT_EQ(std::get<3>(c), a.docname) << std::get<1>(c);
        EXPECT_EQ(std::get<4>(c), a.htext) << std::get<1>(c);
        EXPECT_EQ(std::get<5>(c), a.view) << std::get<1>(c);
    }
    // Ten levels of nesting are read, a file that names itself ends at the eleventh.
    for (int i = 1; i < 10; ++i)
        writeFile("n" + std::to_string(i) + ".ini", "-cmdfile n" + std::to_string(i + 1) + ".ini");
    writeFile("n10.ini", "-docname deep");
    EXPECT_EQ(0, parseFresh("-cmdfile n1.ini").first);
    EXPECT_STREQ("deep", a.docname);
    writeFile("self.ini", "-cmdfile self.ini");
    Lines nested { "Error: command line: cmdfile: command files nested more than 10 deep" };
    nested.insert(nested.end(), 10, "Error: command line: cmdfile");
    EXPECT_EQ(std::make_pair(-1, nested), parseFresh("-cmdfile self.ini"));
    // -ver writes the version file as it is parsed, even when a later option fails.
    writeFile("version.txt", "something much longer than the version");
    EXPECT_EQ(-1, parseFresh("-ver -htext 0").first);
    EXPECT_EQ("v5.3.9", readFile("version.txt"));
    std::filesystem::remove("version.txt");
    std::filesystem::create_directory("version.txt");
    EXPECT_EQ(std::make_pair(0, Lines { "Error: Could not open version.txt" }), parseFresh("-ver -view"));
}
