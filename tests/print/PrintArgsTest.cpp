#include "print/PrintArgs.h"

#include "PrintTestSupport.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

class PrintArgsTest : public PrintWorkDir {
protected:
    int parse(const std::string& text) { return a.parse(text.c_str()); }

    std::vector<int> pageList() const
    {
        std::vector<int> out;
        for (int i = 0; i < a.pages.noEl; ++i)
            out.push_back(a.pages[i]);
        return out;
    }

    PrintArgs a;
};

using Pages = std::vector<int>;

} // namespace

TEST(PrintArgsGlobal, DefaultsAreInPlaceBeforeMain)
{
    // Nothing in this program parses into the global record, so it shows the state that
    // static initialisation left.
    EXPECT_EQ(35, args.htext);
    EXPECT_STREQ("prnlog.txt", args.logfile);
    EXPECT_STREQ("prnlog.txt", args.logpath);
    EXPECT_STREQ("Raport", args.docname);
    EXPECT_STREQ("v5.3.9", args.version);
    EXPECT_STREQ("Courier New", args.fontface);
    EXPECT_EQ(-1, args.orientation);
    EXPECT_EQ(-1, args.papersize);
    EXPECT_EQ(20, args.hbanner);
    EXPECT_EQ(3000, args.minres);
    EXPECT_EQ(10000, args.logsize);
    EXPECT_TRUE(args.log);
    EXPECT_EQ(0, args.pages.noEl);
}

TEST_F(PrintArgsTest, EmptyCommandLineIsOneUnknownEmptyOption)
{
    EXPECT_EQ(0, parse(""));
    EXPECT_EQ((Lines{"Error: Unknown option "}), logged());
    EXPECT_EQ(35, a.htext);
}

TEST_F(PrintArgsTest, EveryOptionFillsItsField)
{
    ASSERT_EQ(0, parse("-htext 2.5 -hline 0.5 -open a.txt -docname Doc -fontface Lucida "
                       "-orientation landscape -papersize A3 -left 1 -right 2 -top 3 -bottom 4 "
                       "-disablelog -logsize 500 -graph -fontlist -printlist -reslist "
                       "-printername \"Virtual A4\" -resolution 600 300 -minres 200 -defaultres "
                       "-direct -logfile l.txt -banner \"Monthly report\" -hbanner 1.2 -hcenter "
                       "-pages 1-3 -view -copy c.txt -run default -response r.txt -zoom 2.9"));
    EXPECT_EQ(Lines{}, logged());
    EXPECT_EQ(25, a.htext);
    EXPECT_EQ(5, a.hline);
    EXPECT_STREQ("a.txt", a.filename);
    EXPECT_STREQ("Doc", a.docname);
    EXPECT_STREQ("Lucida", a.fontface);
    EXPECT_EQ(2, a.orientation);
    EXPECT_EQ(8, a.papersize);
    EXPECT_EQ(1, a.left);
    EXPECT_EQ(2, a.right);
    EXPECT_EQ(3, a.top);
    EXPECT_EQ(4, a.bottom);
    EXPECT_FALSE(a.log);
    EXPECT_EQ(500, a.logsize);
    EXPECT_EQ(1, a.graph);
    EXPECT_TRUE(a.fontlist && a.printlist && a.reslist && a.defaultres && a.direct);
    EXPECT_STREQ("Virtual A4", a.printername);
    EXPECT_EQ(600, a.resolution.xres);
    EXPECT_EQ(300, a.resolution.yres);
    EXPECT_EQ(200, a.minres);
    EXPECT_STREQ("l.txt", a.logfile);
    EXPECT_STREQ("prnlog.txt", a.logpath);
    EXPECT_STREQ("Monthly report", a.banner);
    EXPECT_EQ(12, a.hbanner);
    EXPECT_TRUE(a.hcenter && a.view);
    EXPECT_TRUE(a.copy);
    EXPECT_STREQ("c.txt", a.copytarget);
    EXPECT_TRUE(a.run);
    EXPECT_STREQ("default", a.runcommand);
    EXPECT_TRUE(a.response);
    EXPECT_STREQ("r.txt", a.responsepath);
    EXPECT_EQ(2, a.zoom);
    EXPECT_EQ((Pages{1, 2, 3}), pageList());

    a.setDefaults();
    EXPECT_EQ(0, a.pages.noEl);
    EXPECT_TRUE(a.log);
    EXPECT_STREQ("Raport", a.docname);
}

TEST_F(PrintArgsTest, OptionNamesMatchWholeAndExactly)
{
    EXPECT_EQ(0, parse("-Open x -opens -p 3 -ver2 - a"));
    EXPECT_EQ((Lines{"Error: Unknown option -Open", "Error: Unknown option x", "Error: Unknown option -opens",
                     "Error: Unknown option -p", "Error: Unknown option 3", "Error: Unknown option -ver2",
                     "Error: Unknown option -", "Error: Unknown option a"}),
              logged());
    EXPECT_STREQ("", a.filename);
    EXPECT_EQ(0, a.pages.noEl);
}

TEST_F(PrintArgsTest, AValueIsTakenWhateverItLooksLike)
{
    EXPECT_EQ(0, parse("-open -printlist -docname -ver"));
    EXPECT_STREQ("-printlist", a.filename);
    EXPECT_FALSE(a.printlist);
    EXPECT_STREQ("-ver", a.docname);
    EXPECT_EQ(Lines{}, logged());
}

TEST_F(PrintArgsTest, MissingValuesFailWithTheirMessage)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"htext", "command line: htext"},           {"hline", "command line: hline"},
        {"open", "command line: open"},             {"cmdfile", "command line: cmdfile"},
        {"docname", "command line: docname"},       {"fontface", "command line: fontface"},
        {"orientation", "command line: orientation"}, {"papersize", "command line: papersize"},
        {"left", "command line: left"},             {"right", "command line: right"},
        {"top", "command line: top"},               {"bottom", "command line: bottom"},
        {"logsize", "command line: logsize"},       {"printername", "command line: printername"},
        {"resolution", "command line: resolution"}, {"minres", "command line: minres"},
        {"logfile", "command line: logfile"},       {"banner", "command line: banner"},
        {"hbanner", "command line: hbanner"},       {"pages", "command line: p"},
        {"copy", "command line: copy"},             {"run", "command line: run"},
        {"response", "command line: response"},     {"zoom", "command line: zoom"}};
    for (const auto& c : cases) {
        PrintArgs fresh;
        ULog::reset();
        std::remove("log.txt");
        ASSERT_TRUE(ULog::setStream(UString("log.txt"), 0));
        const std::string line = "-graph -" + c.first;
        EXPECT_EQ(-1, fresh.parse(line.c_str())) << line;
        EXPECT_EQ(Lines{"Error: " + c.second}, logged()) << line;
        // What came before the failing option stays.
        EXPECT_EQ(1, fresh.graph) << line;
    }
}

TEST_F(PrintArgsTest, AFailureEndsTheParseAtOnce)
{
    EXPECT_EQ(-1, parse("-open a.txt -htext 0 -open b.txt -view"));
    EXPECT_STREQ("a.txt", a.filename);
    EXPECT_FALSE(a.view);
    EXPECT_EQ((Lines{"Error: command line: htext"}), logged());
}

TEST_F(PrintArgsTest, TextValuesAreRefusedWholeWhenTooLong)
{
    struct Field {
        const char* option;
        char* field;
        size_t size;
    };
    const std::vector<Field> fields = {
        {"open", a.filename, 500},          {"docname", a.docname, 500},     {"fontface", a.fontface, 100},
        {"printername", a.printername, 500}, {"logfile", a.logfile, 500},     {"banner", a.banner, 500},
        {"copy", a.copytarget, 500},        {"run", a.runcommand, 500},      {"response", a.responsepath, 500}};
    for (const Field& f : fields) {
        const std::string fits(f.size - 1, 'k');
        const std::string over(f.size, 'v');
        EXPECT_EQ(0, parse(std::string("-") + f.option + " " + fits)) << f.option;
        EXPECT_EQ(fits, std::string(f.field)) << f.option;
        EXPECT_EQ(-1, parse(std::string("-") + f.option + " " + over)) << f.option;
        // Not cut into the field, not written past it: the earlier value stands.
        EXPECT_EQ(fits, std::string(f.field)) << f.option;
        const Lines lines = logged();
        ASSERT_FALSE(lines.empty()) << f.option;
        EXPECT_EQ("Error: command line: " + std::string(f.option), lines.back()) << f.option;
    }
    // The refused -copy, -run and -response did not raise their flags on their own.
    PrintArgs fresh;
    EXPECT_EQ(-1, fresh.parse(("-copy " + std::string(500, 'c')).c_str()));
    EXPECT_EQ(-1, fresh.parse(("-run " + std::string(500, 'c')).c_str()));
    EXPECT_EQ(-1, fresh.parse(("-response " + std::string(500, 'c')).c_str()));
    EXPECT_FALSE(fresh.copy || fresh.run || fresh.response);
}

TEST_F(PrintArgsTest, HeightsAreTenthsOfAMillimetreTruncated)
{
    const std::vector<std::pair<const char*, int>> values = {
        {"3.57", 35}, {"0.15", 1}, {"1.5", 15}, {"2.3", 23}, {"0.7", 7}, {"4.1", 41},
        {"1e1", 100}, {".5", 5},   {"5.", 50},  {"\" 2.5mm\"", 25}, {"-1.25", -12}, {"+3", 30},
        {"25E-1", 25}, {"1e", 10}, {"1e400", 2147483647}, {"-1e400", -2147483647 - 1}};
    for (const auto& v : values) {
        ASSERT_EQ(0, parse(std::string("-htext ") + v.first)) << v.first;
        EXPECT_EQ(v.second, a.htext) << v.first;
        ASSERT_EQ(0, parse(std::string("-hbanner ") + v.first)) << v.first;
        EXPECT_EQ(v.second, a.hbanner) << v.first;
        ASSERT_EQ(0, parse(std::string("-hline ") + v.first)) << v.first;
        EXPECT_EQ(v.second, a.hline) << v.first;
    }
    EXPECT_EQ(Lines{}, logged());
}

TEST_F(PrintArgsTest, ARealResultOfZeroFails)
{
    for (const char* v : {"0.04", "0", "abc", "0x10", "inf", "nan", "", "1e-5"}) {
        a.setDefaults();
        EXPECT_EQ(-1, parse(std::string("-htext ") + v)) << v;
        EXPECT_EQ(0, a.htext) << v;
        EXPECT_EQ(-1, parse(std::string("-hbanner ") + v)) << v;
        EXPECT_EQ(-1, parse(std::string("-zoom ") + v)) << v;
    }
    // -hline takes 0.
    EXPECT_EQ(0, parse("-hline 0"));
    EXPECT_EQ(0, a.hline);
    const Lines lines = logged();
    ASSERT_EQ(24u, lines.size());
    EXPECT_EQ("Error: command line: htext", lines[0]);
    EXPECT_EQ("Error: command line: hbanner", lines[1]);
    EXPECT_EQ("Error: command line: zoom", lines[2]);
}

TEST_F(PrintArgsTest, ZoomIsTruncatedToAnInteger)
{
    ASSERT_EQ(0, parse("-zoom 2.99"));
    EXPECT_EQ(2, a.zoom);
    ASSERT_EQ(0, parse("-zoom -3.5"));
    EXPECT_EQ(-3, a.zoom);
    EXPECT_EQ(-1, parse("-zoom 0.99"));
}

TEST_F(PrintArgsTest, IntegersStopAtTheFirstOtherCharacter)
{
    const std::vector<std::pair<const char*, int>> values = {
        {"12", 12},  {"\" 12mm\"", 12}, {"-3", -3}, {"+4", 4},  {"12.9", 12}, {"1e3", 1}, {"x7", 0},
        {"\t8", 8}, {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1}, {"2147483647", 2147483647}};
    for (const auto& v : values) {
        ASSERT_EQ(0, parse(std::string("-left ") + v.first + " -bottom " + v.first)) << v.first;
        EXPECT_EQ(v.second, a.left) << v.first;
        EXPECT_EQ(v.second, a.bottom) << v.first;
    }
    ASSERT_EQ(0, parse("-logsize 20k -minres 0300"));
    EXPECT_EQ(20, a.logsize);
    EXPECT_EQ(300, a.minres);
}

TEST_F(PrintArgsTest, ZeroLimitsFail)
{
    EXPECT_EQ(-1, parse("-logsize 0"));
    EXPECT_EQ(-1, parse("-logsize abc"));
    EXPECT_EQ(-1, parse("-minres 0"));
    EXPECT_EQ((Lines{"Error: command line: logsize", "Error: command line: logsize", "Error: command line: minres/r/n"}),
              logged());
}

TEST_F(PrintArgsTest, UnknownWordsForOrientationAndPaperContinue)
{
    EXPECT_EQ(0, parse("-orientation portrait -orientation Portrait -papersize a5 -papersize Letter -view"));
    EXPECT_EQ(1, a.orientation);
    EXPECT_EQ(11, a.papersize);
    EXPECT_TRUE(a.view);
    EXPECT_EQ((Lines{"Error: command line: orientation", "Error: command line: papersize"}), logged());

    PrintArgs fresh;
    EXPECT_EQ(0, fresh.parse("-orientation LANDSCAPE -papersize a4"));
    EXPECT_EQ(2, fresh.orientation);
    EXPECT_EQ(9, fresh.papersize);
    EXPECT_EQ(0, fresh.parse("-orientation Landscape -papersize B5 -papersize A4"));
    EXPECT_EQ(2, fresh.orientation);
    EXPECT_EQ(9, fresh.papersize);
}

TEST_F(PrintArgsTest, ResolutionTakesTwoValues)
{
    EXPECT_EQ(0, parse("-resolution 600 300 -graph"));
    EXPECT_EQ(600, a.resolution.xres);
    EXPECT_EQ(300, a.resolution.yres);
    EXPECT_EQ(1, a.graph);

    EXPECT_EQ(-1, parse("-resolution 1200"));
    EXPECT_EQ(-1, parse("-resolution 600 0"));
    EXPECT_EQ(-1, parse("-resolution 0 600"));
    EXPECT_EQ(-1, parse("-resolution x 600"));
    EXPECT_EQ((Lines{"Error: command line: resolution.xres", "Error: command line: resolution.yres",
                     "Error: command line: resolution", "Error: command line: resolution"}),
              logged());
}

TEST_F(PrintArgsTest, LaterOptionsOverwriteAndFlagsOnlyEverSet)
{
    EXPECT_EQ(0, parse("-open a.txt -htext 5 -open b.txt -htext 6 -disablelog -disablelog -graph -graph"));
    EXPECT_STREQ("b.txt", a.filename);
    EXPECT_EQ(60, a.htext);
    EXPECT_FALSE(a.log);
    EXPECT_EQ(1, a.graph);
}

TEST_F(PrintArgsTest, PagesAccumulateOverOptions)
{
    EXPECT_EQ(0, parse("-pages 2-4 -htext 3 -pages 7"));
    EXPECT_EQ((Pages{2, 3, 4, 7}), pageList());
    EXPECT_EQ(0, parse("-pages \"1,3 5\""));
    EXPECT_EQ((Pages{2, 3, 4, 7, 1, 3, 5}), pageList());
    EXPECT_EQ(-1, parse("-pages \"\""));
    EXPECT_EQ((Lines{"Error: command line: p: could not add -pages"}), logged());
}

TEST_F(PrintArgsTest, PageListSyntax)
{
    const std::vector<std::pair<const char*, Pages>> cases = {
        {"1-3,5 8", {1, 2, 3, 5, 8}},
        {"2-4-6", {2, 3, 4, 3, 4, 5, 6}},
        {"5-3", {5}},
        {"-3", {}},
        {"3,-5", {3, 4, 5}},
        {"1,,2", {1, 2}},
        {"12x5,7", {12, 7}},
        {"x5", {}},
        {"0,4,4", {0, 4, 4}},
        {"10-12", {10, 11, 12}},
        {"2147483646-99999999999", {2147483646, 2147483647}},
    };
    for (const auto& c : cases) {
        a.setDefaults();
        EXPECT_TRUE(a.addPages(c.first)) << c.first;
        EXPECT_EQ(c.second, pageList()) << c.first;
    }
    EXPECT_FALSE(a.addPages(""));
    EXPECT_FALSE(a.addPages(nullptr));
    EXPECT_EQ(Lines{}, logged());
}

TEST_F(PrintArgsTest, AnEndlessPageRangeIsCutAtTheLimit)
{
    EXPECT_TRUE(a.addPages("1-2000000000"));
    ASSERT_EQ(PrintArgs::kMaxPages, a.pages.noEl);
    EXPECT_EQ(1, a.pages[0]);
    EXPECT_EQ(PrintArgs::kMaxPages, a.pages[PrintArgs::kMaxPages - 1]);
    EXPECT_TRUE(a.addPages("3"));
    EXPECT_EQ(PrintArgs::kMaxPages, a.pages.noEl);
    EXPECT_EQ((Lines{"Error: command line: p: more than 10000 page numbers, the rest is ignored",
                     "Error: command line: p: more than 10000 page numbers, the rest is ignored"}),
              logged());
}
