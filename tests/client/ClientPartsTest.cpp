#include "ClientTestSupport.h"

#include "client/ClientCmdLine.h"
#include "client/ClientOptions.h"
#include "client/ProgressLine.h"
#include "client/ReplyFiles.h"
#include "client/SafeName.h"

TEST(SafeName, OnlyAPlainLastComponentThatNoFileSystemReadsDifferently)
{
    // The last component after '/', '\\' or ':' (a drive or a data stream); no hidden file,
    // nothing Windows trims, no wildcard, tilde, control or non-ASCII byte, no device.
    const char* cases[][2] = {
        {"resp.txt", "resp.txt"}, {"../../etc/passwd", "passwd"}, {"..\\..\\windows\\win.ini", "win.ini"},
        {"C:x.txt", "x.txt"}, {"report.txt:stream", "stream"}, {"my report (final).txt", "my report (final).txt"},
        {"", ""}, {"..", ""}, {"dir/", ""}, {" . . ", ""}, {".profile", "profile"}, {"a.txt. . ", "a.txt"},
        {"REPORT~1.TXT", "REPORT_1.TXT"}, {"a*b?c\nd\x7f.txt", "a_b_c_d_.txt"}, {"caf\xc3\xa9.txt", "caf__.txt"},
        {"con", "_con"}, {"NUL.txt", "_NUL.txt"}, {"x/com1.log", "_com1.log"}, {"Lpt9", "_Lpt9"},
        {"console.txt", "console.txt"}, {"com10", "com10"}};
    for (const auto& c : cases)
        EXPECT_EQ(c[1], SafeName::plain(c[0])) << c[0];
    // A long name is shortened keeping its extension, and a cut stem loses its dots.
    EXPECT_EQ(std::string(SafeName::kMaxLength - 4, 'a') + ".txt", SafeName::plain(std::string(300, 'a') + ".txt"));
    EXPECT_EQ(std::string(95, 'b') + ".txt", SafeName::plain(std::string(95, 'b') + std::string(20, '.') + "c.txt"));
    EXPECT_TRUE(SafeName::variant("prntlist.txt", 0) == "prntlist.txt" && SafeName::variant("a.tar.gz", 12) ==
                "a.tar-12.gz" && SafeName::variant("README", 2) == "README-2");
    // The directory's own separator wins over the one given.
    const char* joins[][4] = {{"out", "/", "out/x.txt"}, {"out/", "/", "out/x.txt"}, {".", "/", "x.txt"},
                              {"", "/", "x.txt"}, {"out", "\\", "out\\x.txt"}, {"C:\\out", "/", "C:\\out\\x.txt"},
                              {"C:\\out\\", "/", "C:\\out\\x.txt"}, {"a/b", "\\", "a/b/x.txt"}};
    for (const auto& j : joins)
        EXPECT_EQ(j[2], SafeName::join(j[0], "x.txt", j[1][0])) << j[0];
}

TEST(ReplyFiles, NamesGiveWayToFilesAndDirectoriesUnlessReplacing)
{
    testsupport::TempDir tmp(true);
    writeAll("prntlist.txt", "mine");
    std::filesystem::create_directory("prntlist-1.txt");
    std::string path, error;
    ReplyFiles keep(".", false), replace(".", true);
    // Claimed at once, empty, so nobody else takes it meanwhile; replacing never takes a
    // directory, nor one name twice in one job, whatever the case.
    EXPECT_TRUE(keep.prepare(error) && keep.reserve("prntlist.txt", path, error) && path == "prntlist-2.txt");
    EXPECT_TRUE(readAll("prntlist.txt") == "mine" && std::filesystem::exists(path));
    EXPECT_TRUE(replace.reserve("prntlist.txt", path, error) && path == "prntlist.txt");
    EXPECT_TRUE(replace.reserve("prntlist-1.txt", path, error) && path == "prntlist-1-1.txt") << path;
    EXPECT_TRUE(replace.reserve("A.txt", path, error) && replace.reserve("a.TXT", path, error) && path == "a-1.TXT");
    for (int n = 3; n < ReplyFiles::kMaxVariants; ++n)
        ASSERT_TRUE(keep.reserve("prntlist.txt", path, error));
    EXPECT_FALSE(keep.reserve("prntlist.txt", path, error));
    EXPECT_EQ("no free file name for 'prntlist.txt' in '.'", error);
    // The output directory is made with its parents, unless a file stands in the way.
    ReplyFiles nested((std::filesystem::path("a") / "b" / "c" / "").string(), false);
    EXPECT_TRUE(nested.prepare(error) && nested.reserve("x.txt", path, error));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path("a") / "b" / "c" / "x.txt"));
    ReplyFiles blocked((std::filesystem::path("prntlist.txt") / "sub").string(), false);
    EXPECT_FALSE(blocked.prepare(error));
    EXPECT_EQ(0u, error.find("cannot make the output directory")) << error;
}

// Every argument of up to three characters from the characters that matter, between two
// others: what the client spells must split back to it on the server's side, and what it
// refuses must have no spelling at all (every candidate up to two characters longer).
TEST(ClientCmdLine, SpellsExactlyTheArgumentsThatHaveASpelling)
{
    std::vector<std::string> all{""};
    for (size_t i = 0; all[i].size() < 5; ++i)
        for (char c : std::string("a \"\t"))
            all.push_back(all[i] + c);
    for (const std::string& arg : all) {
        const Args want{"x", arg, "y"};
        std::string text;
        size_t bad = 0;
        if (arg.size() > 3)
            break;
        if (ClientCmdLine::join(want, text, bad)) {
            EXPECT_EQ(want, splitLikeTheServerSide(text)) << "[" << arg << "] as [" << text << "]";
            continue;
        }
        EXPECT_EQ(1u, bad);
        for (size_t e = 0; e < all.size() && all[e].size() <= arg.size() + 2; ++e)
            EXPECT_NE(want, splitLikeTheServerSide("x " + all[e] + " y")) << "[" << arg << "] has [" << all[e] << "]";
    }
}

TEST(ClientOptions, OwnOptionsFirstThenEverythingIsForThePrintProgram)
{
    const char* argv[] = {"draxomeClient", "-server", "printhost:9100", "-outdir", "o", "-quiet", "-replace",
                          "-timeout", "2.5", "--", "-quiet", "-server", "x"};
    ClientOptions o;
    std::string error;
    ASSERT_EQ(ClientOptions::Job, o.parse(13, argv, error)) << error;
    EXPECT_TRUE(o.host == "printhost" && o.port == 9100 && o.outdir == "o" && o.quiet && o.replace);
    EXPECT_EQ(2.5, o.timeout);
    EXPECT_EQ((Args{"-quiet", "-server", "x"}), o.printArgs);
    ClientOptions d;
    ASSERT_EQ(ClientOptions::Job, d.parse(2, argv + 11, error));
    EXPECT_TRUE(d.host == "127.0.0.1" && d.port == 2345 && d.outdir == "." && !d.quiet && !d.replace);
    const char* help[] = {"c", "-quiet", "--help"};
    EXPECT_EQ(ClientOptions::Help, d.parse(3, help, error));
}

TEST(ProgressLine, MegabytesAndPercent)
{
    // More than announced never shows more than all of it; nothing to send is done at once;
    // near the 2 GiB limit nothing overflows; a long name is shortened.
    const std::tuple<std::string, long long, long long, std::string> cases[] = {
        {"report.txt", 1500000, 12000000, "sending report.txt: 1.5 of 12.0 MB (12%)"},
        {"r", 5000000, 1000000, "sending r: 1.0 of 1.0 MB (100%)"},
        {"r", 0, 0, "sending r: 0.0 of 0.0 MB (100%)"},
        {"r", 2147483000LL, 2147483647LL, "sending r: 2147.5 of 2147.5 MB (99%)"},
        {std::string(60, 'n'), 0, 1, "sending ..." + std::string(37, 'n') + ": 0.0 of 0.0 MB (0%)"}};
    for (const auto& c : cases)
        EXPECT_EQ(std::get<3>(c), ProgressLine::format(std::get<0>(c), std::get<1>(c), std::get<2>(c)));
}
