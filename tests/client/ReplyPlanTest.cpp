#include "ClientTestSupport.h"

#include "client/ReplyPlan.h"

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
}

TEST(ReplyPlan, AValueOptionWithoutItsValueIsRefused)
{
    for (const char* option : {"-open", "-response", "-logfile", "-listenaddr"}) {
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
