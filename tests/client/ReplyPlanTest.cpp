#include "ClientTestSupport.h"

#include "client/ReplyPlan.h"
#include "server/KeltoCmdLine.h"

#include <random>

using Kinds = std::vector<ReplyPlan::Kind>;

// The replies, the file and the refusals are held against the server's own reading below;
// here what only the plan knows: where the job falls among the replies, an -open given
// empty, and the words of a refusal.
TEST(ReplyPlan, TheJobsPlaceAnEmptyOpenAndARefusal)
{
    ReplyPlan p, empty, none;
    std::string error;
    EXPECT_TRUE(p.read({"-reslist", "-response", "o", "-ver", "-open", "a.txt", "-fontlist", "-printlist"}, error));
    EXPECT_EQ(3u, p.beforeJob);
    EXPECT_TRUE(empty.read({"-open", ""}, error) && empty.openGiven && !empty.sendsFile);
    EXPECT_TRUE(none.read({"-printlist"}, error) && !none.openGiven);
    for (const char* option : {"-open", "-response", "-logfile", "-listenaddr", "-allowrun", "-clienttimeout"}) {
        EXPECT_FALSE(ReplyPlan().read({"-printlist", option}, error)) << option;
        EXPECT_EQ(std::string(option) + " needs a value", error);
    }
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
