#include "PrintTestSupport.h"

#include <filesystem>

namespace {

class CmdfileTest : public PrintWorkDir {
protected:
    int parse(const std::string& text) { return a.parse(text.c_str()); }
    PrintArgs a;
};

} // namespace

TEST_F(CmdfileTest, ItsOptionsStandWhereTheFileIsNamed)
{
    struct Case {
        std::string file, line;
        int result;
        std::string docname;
        int htext;
        bool view;
        Lines log;
    };
    std::string tenDocnames;
    for (int i = 0; i < 10; ++i)
        tenDocnames += "-docname " + std::string(489, 'd') + " ";
    const Case cases[] = {
        // Options before -cmdfile yield to the file's, those after it win.
        { "-htext 5 -docname file", "-htext 9 -docname before -cmdfile f.ini -view", 0, "file", 50, true, {} },
        { "-docname file", "-cmdfile f.ini -docname after", 0, "after", 35, false, {} },
        // A line end stays in the last token; two blanks make an empty token.
        { "-view  -docname x\r\n", "-cmdfile f.ini", 0, "x\r\n", 35, true, { "Error: Unknown option " } },
        // The text ends at a NUL byte.
        { std::string("-htext 5\0 -view", 15), "-cmdfile f.ini", 0, "Raport", 50, false, {} },
        // Only the first 5000 bytes are read: -htext 12345 is cut to 123.
        { tenDocnames + "-htext 12345 -view", "-cmdfile f.ini", 0, std::string(489, 'd'), 1230, false, {} },
        // A failure inside the file fails the parse.
        { "-docname in -htext 0 -view", "-cmdfile f.ini -view", -1, "in", 0, false,
            { "Error: command line: htext", "Error: command line: cmdfile" } },
    };
    for (const Case& c : cases) {
        writeFile("f.ini", c.file);
        std::filesystem::remove("log.txt");
        ULog::reset();
        ASSERT_TRUE(ULog::setStream(UString("log.txt"), 0));
        a.setDefaults();
        EXPECT_EQ(c.result, parse(c.line)) << c.line;
        EXPECT_EQ(c.docname, a.docname) << c.line;
        EXPECT_EQ(c.htext, a.htext) << c.line;
        EXPECT_EQ(c.view, a.view) << c.line;
        EXPECT_EQ(c.log, logged()) << c.line;
    }
}

TEST_F(CmdfileTest, NestedFilesEndAfterTenLevels)
{
    for (int i = 1; i < 10; ++i)
        writeFile("n" + std::to_string(i) + ".ini", "-cmdfile n" + std::to_string(i + 1) + ".ini");
    writeFile("n10.ini", "-docname deep");
    EXPECT_EQ(0, parse("-cmdfile n1.ini"));
    EXPECT_STREQ("deep", a.docname);
    EXPECT_STREQ("n10.ini", a.cmdfile);
    // A file that names itself.
    writeFile("self.ini", "-graph -cmdfile self.ini");
    EXPECT_EQ(-1, parse("-cmdfile self.ini"));
    Lines expected { "Error: command line: cmdfile: command files nested more than 10 deep" };
    expected.insert(expected.end(), 10, "Error: command line: cmdfile");
    EXPECT_EQ(expected, logged());
}

TEST_F(CmdfileTest, UnreadableFilesFail)
{
    std::filesystem::create_directory("adir");
    EXPECT_EQ(-1, parse("-cmdfile missing.ini"));
    EXPECT_EQ(-1, parse("-cmdfile adir"));
    EXPECT_EQ(Lines(2, "Error: command line: cmdfile"), logged());
}

TEST_F(CmdfileTest, TheVersionFileIsWrittenWhereItIsAsked)
{
    writeFile("version.txt", "something much longer than the version");
    EXPECT_EQ(-1, parse("-ver -htext 0"));
    EXPECT_EQ("v5.3.9", readFile("version.txt"));
    std::filesystem::remove("version.txt");
    std::filesystem::create_directory("version.txt");
    EXPECT_EQ(0, parse("-ver -view"));
    EXPECT_EQ((Lines { "Error: command line: htext", "Error: Could not open version.txt" }), logged());
}
