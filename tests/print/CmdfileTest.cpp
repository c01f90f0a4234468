#include "print/PrintArgs.h"

#include "PrintTestSupport.h"

#include <filesystem>
#include <string>

namespace {

class CmdfileTest : public PrintWorkDir {
protected:
    int parse(const std::string& text) { return a.parse(text.c_str()); }
    PrintArgs a;
};

} // namespace

TEST_F(CmdfileTest, FileOptionsOverrideWhatCameBeforeAndYieldToWhatFollows)
{
    writeFile("job.ini", "-htext 5 -open \"my docs/a b.txt\" -docname fromfile");
    ASSERT_EQ(0, parse("-htext 9 -docname before -cmdfile job.ini"));
    EXPECT_EQ(50, a.htext);
    EXPECT_STREQ("my docs/a b.txt", a.filename);
    EXPECT_STREQ("fromfile", a.docname);
    EXPECT_STREQ("job.ini", a.cmdfile);

    PrintArgs after;
    ASSERT_EQ(0, after.parse("-cmdfile job.ini -open b.txt"));
    EXPECT_STREQ("b.txt", after.filename);
    EXPECT_EQ(50, after.htext);
    EXPECT_EQ(Lines{}, logged());
}

TEST_F(CmdfileTest, TheServersLaunchLineWinsOverTheClientsOptions)
{
    writeFile("tmpCmdfile.7.ini", "-open client.txt -logfile client.log -pages 2 -ver");
    ASSERT_EQ(0, parse("-cmdfile tmpCmdfile.7.ini -logfile tmpLog.7.txt -open tmpFilename.7.txt"));
    EXPECT_STREQ("tmpFilename.7.txt", a.filename);
    EXPECT_STREQ("tmpLog.7.txt", a.logfile);
    ASSERT_EQ(1, a.pages.noEl);
    EXPECT_EQ(2, a.pages[0]);
    EXPECT_EQ("v5.3.9", readFile("version.txt"));
}

TEST_F(CmdfileTest, ALineEndStaysInTheLastToken)
{
    writeFile("lf.ini", "-htext 5 -docname x\n");
    ASSERT_EQ(0, parse("-cmdfile lf.ini"));
    EXPECT_STREQ("x\n", a.docname);
    writeFile("crlf.ini", "-docname y -htext 4\r\n");
    ASSERT_EQ(0, parse("-cmdfile crlf.ini"));
    EXPECT_EQ(40, a.htext);
    // A flag at the end of a line is no longer the flag.
    writeFile("flag.ini", "-graph\n");
    ASSERT_EQ(0, parse("-cmdfile flag.ini"));
    EXPECT_EQ(0, a.graph);
    EXPECT_EQ((Lines{"Error: Unknown option -graph\n"}), logged());
}

TEST_F(CmdfileTest, DoubleSpacesGiveEmptyUnknownTokens)
{
    writeFile("two.ini", "-view  -graph");
    ASSERT_EQ(0, parse("-cmdfile two.ini"));
    EXPECT_TRUE(a.view);
    EXPECT_EQ(1, a.graph);
    EXPECT_EQ((Lines{"Error: Unknown option "}), logged());
}

TEST_F(CmdfileTest, OnlyTheFirst5000BytesAreRead)
{
    // Ten -docname options of 499 bytes each, then a -zoom value that straddles byte 5000.
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += "-docname " + std::string(489, 'd') + " ";
    ASSERT_EQ(4990u, text.size());
    text += "-zoom 12345 -view";
    writeFile("big.ini", text);
    ASSERT_EQ(0, parse("-cmdfile big.ini"));
    EXPECT_EQ(1234, a.zoom);
    EXPECT_FALSE(a.view);
    EXPECT_EQ(Lines{}, logged());
}

TEST_F(CmdfileTest, TheTextEndsAtANulByte)
{
    // Not "nul.ini": Windows takes that name for its null device.
    writeFile("zero.ini", std::string("-htext 5\0 -htext 9 -view", 25));
    ASSERT_EQ(0, parse("-cmdfile zero.ini"));
    EXPECT_EQ(50, a.htext);
    EXPECT_FALSE(a.view);
}

TEST_F(CmdfileTest, NestedFilesAreReadInPlace)
{
    writeFile("outer.ini", "-htext 3 -cmdfile inner.ini -docname outer");
    writeFile("inner.ini", "-htext 4 -docname inner -hline 1");
    ASSERT_EQ(0, parse("-cmdfile outer.ini"));
    EXPECT_EQ(40, a.htext);
    EXPECT_EQ(10, a.hline);
    EXPECT_STREQ("outer", a.docname);
    // The last command file read.
    EXPECT_STREQ("inner.ini", a.cmdfile);
}

TEST_F(CmdfileTest, AFileThatNamesItselfEnds)
{
    writeFile("self.ini", "-graph -cmdfile self.ini");
    EXPECT_EQ(-1, parse("-cmdfile self.ini -view"));
    EXPECT_EQ(1, a.graph);
    EXPECT_FALSE(a.view);
    Lines expected{"Error: command line: cmdfile: command files nested more than 10 deep"};
    for (int i = 0; i < PrintArgs::kMaxCmdfileDepth; ++i)
        expected.push_back("Error: command line: cmdfile");
    EXPECT_EQ(expected, logged());

    // Ten levels are fine.
    for (int i = 1; i < 10; ++i)
        writeFile("n" + std::to_string(i) + ".ini", "-cmdfile n" + std::to_string(i + 1) + ".ini");
    writeFile("n10.ini", "-docname deep");
    PrintArgs deep;
    EXPECT_EQ(0, deep.parse("-cmdfile n1.ini"));
    EXPECT_STREQ("deep", deep.docname);
}

TEST_F(CmdfileTest, FailuresInsideAFileFailTheParse)
{
    writeFile("bad.ini", "-docname inside -htext 0 -view");
    EXPECT_EQ(-1, parse("-cmdfile bad.ini -graph"));
    EXPECT_STREQ("inside", a.docname);
    EXPECT_FALSE(a.view);
    EXPECT_EQ(0, a.graph);
    EXPECT_EQ((Lines{"Error: command line: htext", "Error: command line: cmdfile"}), logged());
}

TEST_F(CmdfileTest, UnreadableOrOverlongNamesFail)
{
    EXPECT_EQ(-1, parse("-cmdfile missing.ini"));
    std::filesystem::create_directory("adir");
    EXPECT_EQ(-1, parse("-cmdfile adir"));
    const std::string fits(499, 'c');
    EXPECT_EQ(-1, parse("-cmdfile " + fits));
    EXPECT_EQ(fits, std::string(a.cmdfile));
    EXPECT_EQ(-1, parse("-cmdfile " + std::string(500, 'c')));
    EXPECT_EQ(fits, std::string(a.cmdfile));
    EXPECT_EQ(Lines(4, "Error: command line: cmdfile"), logged());
}

TEST_F(CmdfileTest, VersionFileIsWrittenEvenWhenALaterOptionFails)
{
    writeFile("version.txt", "something much longer than the version");
    EXPECT_EQ(-1, parse("-ver -htext 0.04"));
    EXPECT_EQ("v5.3.9", readFile("version.txt"));
    EXPECT_EQ((Lines{"Error: command line: htext"}), logged());
}

TEST_F(CmdfileTest, AVersionFileThatCannotBeCreatedIsReportedAndParsingGoesOn)
{
    std::filesystem::create_directory("version.txt");
    EXPECT_EQ(0, parse("-ver -view"));
    EXPECT_TRUE(a.view);
    EXPECT_EQ((Lines{"Error: Could not open version.txt"}), logged());
}
