#include "server/KeltoCmdLine.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Splits text and parses it into o; returns parse's result.
bool parse(KeltoCmdLine& o, const char* text)
{
    int argc = 0;
    char** argv = nullptr;
    EXPECT_TRUE(UCmdLine::getArgcArgv(UString(text), argc, argv));
    const bool ok = o.parse(argc, argv);
    UCmdLine::releaseArgcArgv(argc, argv);
    return ok;
}

void expectDefaults(const KeltoCmdLine& o)
{
    EXPECT_STREQ("", o.openFile.str());
    EXPECT_STREQ("", o.logFile.str());
    EXPECT_TRUE(o.logEnabled);
    EXPECT_FALSE(o.fontList);
    EXPECT_FALSE(o.response);
    EXPECT_STREQ("", o.responseFile.str());
    EXPECT_FALSE(o.printList);
    EXPECT_FALSE(o.resList);
    EXPECT_FALSE(o.ver);
    EXPECT_STREQ("0.0.0.0:2345", o.listenAddr.str());
    EXPECT_FALSE(o.view);
}

} // namespace

TEST(KeltoCmdLineTest, DefaultsAndTheEmptyLine)
{
    KeltoCmdLine o;
    expectDefaults(o);
    EXPECT_TRUE(parse(o, ""));
    expectDefaults(o);
}

TEST(KeltoCmdLineTest, EveryKeywordSetsItsField)
{
    KeltoCmdLine o;
    ASSERT_TRUE(parse(o, "-open a.txt -disablelog -fontlist -response r.txt -printlist -reslist "
                         "-logfile l.txt -ver -listenaddr 10.0.0.1:80 -view"));
    EXPECT_STREQ("a.txt", o.openFile.str());
    EXPECT_FALSE(o.logEnabled);
    EXPECT_TRUE(o.fontList);
    EXPECT_TRUE(o.response);
    EXPECT_STREQ("r.txt", o.responseFile.str());
    EXPECT_TRUE(o.printList);
    EXPECT_TRUE(o.resList);
    EXPECT_STREQ("l.txt", o.logFile.str());
    EXPECT_TRUE(o.ver);
    EXPECT_STREQ("10.0.0.1:80", o.listenAddr.str());
    EXPECT_TRUE(o.view);
}

TEST(KeltoCmdLineTest, OnlyWholeKeywordsOfExactCaseCount)
{
    KeltoCmdLine o;
    ASSERT_TRUE(parse(o, "-version -Open x -PRINTLIST --ver -view2 printlist - -copy c.txt -run default"));
    expectDefaults(o);
    // A tab does not separate, so this is one unknown word.
    ASSERT_TRUE(parse(o, "-ver\t-printlist"));
    expectDefaults(o);
}

TEST(KeltoCmdLineTest, AValueIsTheNextArgumentWhatever_it_is)
{
    KeltoCmdLine o;
    ASSERT_TRUE(parse(o, "-open -printlist"));
    EXPECT_STREQ("-printlist", o.openFile.str());
    EXPECT_FALSE(o.printList);

    KeltoCmdLine twoBlanks;
    ASSERT_TRUE(parse(twoBlanks, "-open  x.txt"));
    EXPECT_STREQ("", twoBlanks.openFile.str());

    KeltoCmdLine quoted;
    ASSERT_TRUE(parse(quoted, "-logfile \"C:\\My Logs\\job.txt\" -ver"));
    EXPECT_STREQ("C:\\My Logs\\job.txt", quoted.logFile.str());
    EXPECT_TRUE(quoted.ver);

    KeltoCmdLine response;
    ASSERT_TRUE(parse(response, "-response -view -view"));
    EXPECT_STREQ("-view", response.responseFile.str());
    EXPECT_TRUE(response.response);
    EXPECT_TRUE(response.view);
}

TEST(KeltoCmdLineTest, RepeatsKeepTheLastValueAndFlagsStaySet)
{
    KeltoCmdLine o;
    ASSERT_TRUE(parse(o, "-open a -disablelog -open b -disablelog -view -logfile x -logfile y"));
    EXPECT_STREQ("b", o.openFile.str());
    EXPECT_STREQ("y", o.logFile.str());
    EXPECT_FALSE(o.logEnabled);
    EXPECT_TRUE(o.view);
}

TEST(KeltoCmdLineTest, MissingValueStopsWithItsMessage)
{
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"-printlist -open", "Error: Error in KeltoCmdLine::parse(): -open\r\n"},
        {"-printlist -response", "Error: Error in KeltoCmdLine::parse(): -response\r\n"},
        {"-printlist -logfile", "Error: Error in KeltoCmdLine::parse(): -logfile\r\n"},
        {"-printlist -listenaddr", "Error: Error in KeltoCmdLine::parse(): -listenaddr\r\n"},
    };
    for (const auto& c : cases) {
        testsupport::LogCapture log;
        KeltoCmdLine o;
        EXPECT_FALSE(parse(o, c.line)) << c.line;
        EXPECT_TRUE(o.printList) << "options before the faulty one stay set";
        EXPECT_FALSE(o.response);
        EXPECT_EQ(c.message, log.text());
    }
}

TEST(KeltoCmdLineTest, SafetyOptionsOfTheServer)
{
    KeltoCmdLine defaults;
    EXPECT_TRUE(defaults.allowRun.empty());
    EXPECT_FALSE(defaults.trustClients);
    EXPECT_EQ(60.0, defaults.clientTimeout);

    KeltoCmdLine o;
    ASSERT_TRUE(parse(o, "-allowrun default -allowrun \"C:\\Program Files\\conv.exe\" -trustclients "
                         "-clienttimeout 2.5 -allowrun -run"));
    ASSERT_EQ(3u, o.allowRun.size());
    EXPECT_STREQ("default", o.allowRun[0].str());
    EXPECT_STREQ("C:\\Program Files\\conv.exe", o.allowRun[1].str());
    EXPECT_STREQ("-run", o.allowRun[2].str()) << "a value is the next argument whatever it is";
    EXPECT_TRUE(o.trustClients);
    EXPECT_EQ(2.5, o.clientTimeout);

    KeltoCmdLine whole;
    ASSERT_TRUE(parse(whole, "-clienttimeout 90"));
    EXPECT_EQ(90.0, whole.clientTimeout);
}

TEST(KeltoCmdLineTest, AClientTimeoutMustBeAPositiveNumber)
{
    for (const char* bad : {"0", "0.0", "-5", "+5", "abc", "5s", "1e3", "0x10", ".", "", "1.2.3", "inf", "nan"}) {
        testsupport::LogCapture log;
        KeltoCmdLine o;
        std::string line = std::string("-printlist -clienttimeout \"") + bad + "\" -ver";
        EXPECT_FALSE(parse(o, line.c_str())) << bad;
        EXPECT_EQ(60.0, o.clientTimeout) << bad;
        EXPECT_FALSE(o.ver) << "parsing stops at the faulty value: " << bad;
        EXPECT_EQ("Error: Error in KeltoCmdLine::parse(): -clienttimeout\r\n", log.text()) << bad;
    }
    for (const char* missing : {"-allowrun", "-clienttimeout"}) {
        testsupport::LogCapture log;
        KeltoCmdLine o;
        EXPECT_FALSE(parse(o, missing));
        EXPECT_EQ(std::string("Error: Error in KeltoCmdLine::parse(): ") + missing + "\r\n", log.text());
    }
}

TEST(KeltoCmdLineTest, RecordsWhichArgumentsItTookAsOpen)
{
    const struct {
        const char* line;
        std::vector<int> open;
    } cases[] = {
        {"", {}},
        {"-open a.txt", {0}},
        {"-ver -open a.txt -open b.txt", {1, 3}},
        // Values of the server's own options hide what follows from its parse.
        {"-listenaddr -open C:\\secret.txt", {}},
        {"-logfile -open -open x", {2}},
        {"-response -open", {}},
        {"-allowrun -open x", {}},
        {"-open -open x", {0}},
        // Options of the print program alone take no value here.
        {"-docname -open x", {1}},
        {"\"-open\" x", {0}},
        {"-Open x -open", {}},
    };
    for (const auto& c : cases) {
        testsupport::LogCapture log;
        KeltoCmdLine o;
        parse(o, c.line);
        EXPECT_EQ(c.open, o.openArgs) << c.line;
    }
}
