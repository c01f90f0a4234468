#include "ClientTestSupport.h"

#include "client/ClientOptions.h"

namespace {

struct Parsed {
    ClientOptions options;
    ClientOptions::Outcome outcome;
    std::string error;
};

Parsed parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "draxomeClient");
    Parsed p;
    p.outcome = p.options.parse(static_cast<int>(args.size()), args.data(), p.error);
    return p;
}

using Args = std::vector<std::string>;

} // namespace

TEST(ClientOptions, OwnOptionsFirstThenEverythingIsForThePrintProgram)
{
    Parsed p = parse({"-server", "printhost:9100", "-outdir", "out dir", "-quiet", "-replace", "-timeout", "2.5",
                      "-open", "a.txt", "-quiet", "-server", "x"});
    ASSERT_EQ(ClientOptions::Job, p.outcome) << p.error;
    EXPECT_EQ("printhost", p.options.host);
    EXPECT_EQ(9100, p.options.port);
    EXPECT_EQ("out dir", p.options.outdir);
    EXPECT_TRUE(p.options.quiet);
    EXPECT_TRUE(p.options.replace);
    EXPECT_DOUBLE_EQ(2.5, p.options.timeout);
    EXPECT_EQ((Args{"-open", "a.txt", "-quiet", "-server", "x"}), p.options.printArgs);

    p = parse({"-printlist"});
    ASSERT_EQ(ClientOptions::Job, p.outcome);
    EXPECT_EQ("127.0.0.1", p.options.host);
    EXPECT_EQ(2345, p.options.port);
    EXPECT_EQ(".", p.options.outdir);
    EXPECT_FALSE(p.options.quiet);
    EXPECT_DOUBLE_EQ(ClientOptions::kDefaultTimeout, p.options.timeout);

    // "--" lets a print option through even if it looked like the client's.
    p = parse({"-quiet", "--", "-quiet", "-help"});
    ASSERT_EQ(ClientOptions::Job, p.outcome);
    EXPECT_EQ((Args{"-quiet", "-help"}), p.options.printArgs);
    // A host alone means the default port.
    p = parse({"-server", "printhost", "-ver"});
    EXPECT_EQ(2345, p.options.port);
}

TEST(ClientOptions, UsageErrorsSayWhatIsWrong)
{
    EXPECT_EQ(ClientOptions::Help, parse({"-help"}).outcome);
    EXPECT_EQ(ClientOptions::Help, parse({"-quiet", "--help", "-ver"}).outcome);
    const struct {
        std::vector<const char*> args;
        const char* words;
    } cases[] = {
        {{}, "nothing to send"},
        {{"-quiet", "--"}, "nothing to send"},
        {{"-server"}, "-server needs a value"},
        {{"-timeout"}, "-timeout needs a value"},
        {{"-server", "host:80abc", "-ver"}, "HOST:PORT"},
        {{"-server", "host:0", "-ver"}, "HOST:PORT"},
        {{"-server", "host:65536", "-ver"}, "HOST:PORT"},
        {{"-server", ":2345", "-ver"}, "HOST:PORT"},
        {{"-server", "host:", "-ver"}, "HOST:PORT"},
        {{"-timeout", "0", "-ver"}, "-timeout wants"},
        {{"-timeout", "-1", "-ver"}, "-timeout wants"},
        {{"-timeout", "5s", "-ver"}, "-timeout wants"},
        {{"-timeout", "nan", "-ver"}, "-timeout wants"},
        {{"-timeout", "1e9", "-ver"}, "-timeout wants"},
        {{"-outdir", "", "-ver"}, "-outdir needs a directory"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.args);
        EXPECT_EQ(ClientOptions::Usage, p.outcome) << c.words;
        EXPECT_NE(std::string::npos, p.error.find(c.words)) << p.error;
    }
}
