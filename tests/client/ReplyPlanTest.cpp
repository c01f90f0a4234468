#include "ClientTestSupport.h"

#include "client/ReplyPlan.h"
#include "server/KeltoCmdLine.h"

#include <random>

namespace {

using Kinds = std::vector<ReplyPlan::Kind>;

ReplyPlan plan(const std::vector<std::string>& args)
{
    ReplyPlan p;
    std::string error;
    EXPECT_TRUE(p.read(args, error)) << error;
    return p;
}

} // namespace

TEST(ReplyPlan, EveryReplyInTheServersOrderWhateverTheOrderOfTheOptions)
{
    const ReplyPlan p = plan({"-reslist", "-response", "out.txt", "-ver", "-open", "a.txt", "-fontlist", "-printlist"});
    EXPECT_EQ((Kinds{ReplyPlan::PrintList, ReplyPlan::FontList, ReplyPlan::Version, ReplyPlan::Response,
                     ReplyPlan::ResList, ReplyPlan::Log}),
              p.replies);
    EXPECT_EQ(3u, p.beforeJob);
    EXPECT_TRUE(p.sendsFile);
    EXPECT_EQ("a.txt", p.openFile);
    EXPECT_EQ("out.txt", p.responseName);
    // The printer list and the response file travel under one code.
    EXPECT_EQ(0x1002, ReplyPlan::typeCode(ReplyPlan::PrintList));
    EXPECT_EQ(0x1002, ReplyPlan::typeCode(ReplyPlan::Response));
    EXPECT_EQ(0x1003, ReplyPlan::typeCode(ReplyPlan::FontList));
    EXPECT_EQ(0x1004, ReplyPlan::typeCode(ReplyPlan::ResList));
    EXPECT_EQ(0x1005, ReplyPlan::typeCode(ReplyPlan::Version));
    EXPECT_EQ(0x1006, ReplyPlan::typeCode(ReplyPlan::Log));
}

TEST(ReplyPlan, ViewDropsEverythingAfterTheJobAndDisablelogDropsTheLog)
{
    EXPECT_EQ((Kinds{ReplyPlan::Log}), plan({"-open", "a.txt"}).replies);
    EXPECT_EQ((Kinds{}), plan({"-open", "a.txt", "-disablelog"}).replies);
    const ReplyPlan view = plan({"-view", "-printlist", "-response", "r.txt", "-reslist", "-ver"});
    EXPECT_EQ((Kinds{ReplyPlan::PrintList, ReplyPlan::Version}), view.replies);
    EXPECT_TRUE(view.view);
    EXPECT_EQ((Kinds{ReplyPlan::Response}), plan({"-disablelog", "-response", "r.txt"}).replies);
}

TEST(ReplyPlan, ReadsTheOptionsAsTheServerDoes)
{
    // A value option takes the next argument whatever it looks like.
    ReplyPlan p = plan({"-open", "-printlist"});
    EXPECT_EQ("-printlist", p.openFile);
    EXPECT_EQ((Kinds{ReplyPlan::Log}), p.replies);
    p = plan({"-logfile", "-ver", "-listenaddr", "-disablelog"});
    EXPECT_EQ((Kinds{ReplyPlan::Log}), p.replies);
    // Whole words with exact case only; the print program's other options are not looked at,
    // and their values are just arguments (a banner "-ver" is a -ver to the server).
    EXPECT_EQ((Kinds{ReplyPlan::Log}), plan({"-version", "-Ver", "-printlists", "-graph", "-htext", "5"}).replies);
    EXPECT_EQ((Kinds{ReplyPlan::Version, ReplyPlan::Log}), plan({"-banner", "-ver"}).replies);
    // The last -open and -response win.
    p = plan({"-open", "a.txt", "-response", "r1", "-open", "b.txt", "-response", "r2"});
    EXPECT_EQ("b.txt", p.openFile);
    EXPECT_EQ("r2", p.responseName);
    // An empty -open value means no file, as on the server.
    p = plan({"-open", ""});
    EXPECT_TRUE(p.openGiven);
    EXPECT_FALSE(p.sendsFile);
    EXPECT_FALSE(plan({"-printlist"}).openGiven);
    // The server's own options take their value in a job too: here "-open" is the name of a
    // program clients may run, so no document goes with the line.
    for (const char* option : {"-allowrun", "-clienttimeout"}) {
        p = plan({option, "-open", "x.txt"});
        EXPECT_FALSE(p.openGiven) << option;
        EXPECT_FALSE(p.sendsFile) << option;
    }
    EXPECT_EQ((Kinds{ReplyPlan::Version}), plan({"-trustclients", "-ver", "-disablelog"}).replies);
}

TEST(ReplyPlan, AValueOptionWithoutItsValueIsRefused)
{
    for (const char* option : {"-open", "-response", "-logfile", "-listenaddr", "-allowrun", "-clienttimeout"}) {
        ReplyPlan p;
        std::string error;
        EXPECT_FALSE(p.read({"-printlist", option}, error)) << option;
        EXPECT_EQ(std::string(option) + " needs a value", error);
    }
    // A value that is itself an option word is still a value.
    ReplyPlan p;
    std::string error;
    EXPECT_TRUE(p.read({"-open", "-open"}, error));
}

// Many command lines made of the words that matter, read by the plan and by the server's
// own option parser: they must agree on the file, on every reply and on refusing.
TEST(ReplyPlan, AgreesWithTheServersReadingOfManyCommandLines)
{
    const std::vector<std::string> words{"-open", "-response", "-logfile", "-listenaddr", "-printlist", "-fontlist",
                                         "-ver", "-reslist", "-disablelog", "-view", "-Open", "-version", "-graph",
                                         "-allowrun", "-trustclients", "-clienttimeout", "5", "a.txt", "", "-",
                                         "--open"};
    std::mt19937 random(20261207);
    for (int round = 0; round < 20000; ++round) {
        std::vector<std::string> args;
        const int n = static_cast<int>(random() % 8);
        for (int i = 0; i < n; ++i)
            args.push_back(words[random() % words.size()]);

        ReplyPlan plan;
        std::string error;
        const bool planned = plan.read(args, error);

        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        int argc = n;
        char** v = argv.data();
        KeltoCmdLine server;
        const bool parsed = server.parse(argc, v);

        std::string line;
        for (const std::string& a : args)
            line += "[" + a + "]";
        // A -clienttimeout that is no number is the one thing the server refuses and the plan
        // does not: the server's abort then tells the client.
        if (planned && !parsed && line.find("[-clienttimeout]") != std::string::npos)
            continue;
        ASSERT_EQ(parsed, planned) << line;
        if (!parsed)
            continue;
        ASSERT_EQ(std::string(server.openFile.str()), plan.openFile) << line;
        ASSERT_EQ(!server.openFile.isEmpty(), plan.sendsFile) << line;
        ASSERT_EQ(server.view, plan.view) << line;
        Kinds want;
        if (server.printList)
            want.push_back(ReplyPlan::PrintList);
        if (server.fontList)
            want.push_back(ReplyPlan::FontList);
        if (server.ver)
            want.push_back(ReplyPlan::Version);
        if (!server.view && server.response)
            want.push_back(ReplyPlan::Response);
        if (!server.view && server.resList)
            want.push_back(ReplyPlan::ResList);
        if (!server.view && server.logEnabled)
            want.push_back(ReplyPlan::Log);
        ASSERT_EQ(want, plan.replies) << line;
        if (server.response) {
            ASSERT_EQ(std::string(server.responseFile.str()), plan.responseName) << line;
        }
    }
}
