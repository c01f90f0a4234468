#include "ClientTestSupport.h"

#include "common/UCmdLine.h"
#include "client/ClientOptions.h"
#include "client/ProgressLine.h"
#include "client/ReplyFiles.h"
#include "client/SafeName.h"
#include "client/SpoolFile.h"

#include <memory>

TEST(SafeName, OnlyAPlainLastComponentThatNoFileSystemReadsDifferently)
{
    // The last component after '/', '\\' or ':' (a drive, a data stream); no hidden file,
    // nothing Windows trims, no wildcard, tilde, control or non-ASCII byte, no device.
    const char* cases[][2] = {{"resp.txt", "resp.txt"}, {"../../etc/passwd", "passwd"}, {"..\\..\\win.ini", "win.ini"},
        {"C:x.txt", "x.txt"}, {"a.txt:stream", "stream"}, {"my report (1).txt", "my report (1).txt"}, {"", ""},
        {"..", ""}, {"dir/", ""}, {" . . ", ""}, {".profile", "profile"}, {"a.txt. . ", "a.txt"}, {"R~1.TXT", "R_1.TXT"},
        {"a*b?c\nd\x7f.txt", "a_b_c_d_.txt"}, {"caf\xc3\xa9", "caf__"}, {"con", "_con"}, {"NUL.txt", "_NUL.txt"},
        {"x/com1.log", "_com1.log"}, {"Lpt9", "_Lpt9"}, {"console.txt", "console.txt"}, {"com10", "com10"}};
    for (const auto& c : cases)
        EXPECT_EQ(c[1], SafeName::plain(c[0])) << c[0];
    // A long name is shortened keeping its extension, and a cut stem loses its dots.
    EXPECT_EQ(std::string(SafeName::kMaxLength - 4, 'a') + ".txt", SafeName::plain(std::string(300, 'a') + ".txt"));
    EXPECT_EQ(std::string(95, 'b') + ".txt", SafeName::plain(std::string(95, 'b') + std::string(20, '.') + "c.txt"));
    EXPECT_TRUE(SafeName::variant("a.tar.gz", 12) == "a.tar-12.gz" && SafeName::variant("README", 2) == "README-2");
    // The directory's own separator wins over the one given.
    const char* joins[][3] = {{"out", "/", "out/x"}, {"out/", "/", "out/x"}, {".", "/", "x"}, {"", "/", "x"},
                              {"o", "\\", "o\\x"}, {"C:\\o", "/", "C:\\o\\x"}, {"C:\\o\\", "/", "C:\\o\\x"}, {"a/b", "\\", "a/b/x"}};
    for (const auto& j : joins)
        EXPECT_EQ(j[2], SafeName::join(j[0], "x", j[1][0])) << j[0];
}

TEST(ReplyFiles, NamesGiveWayToFilesAndDirectoriesUnlessReplacing)
{
    testsupport::TempDir tmp(true);
    writeAll("p.txt", "mine");
    std::filesystem::create_directory("p-1.txt");
    std::string path, error;
    ReplyFiles keep(".", false), replace(".", true);
    // Claimed at once, so nobody else takes it meanwhile. Replacing takes neither a
    // directory nor one name twice in a job, whatever the case.
    EXPECT_TRUE(keep.prepare(error) && keep.reserve("p.txt", path, error) && path == "p-2.txt" && readAll(path).empty());
    EXPECT_TRUE(replace.reserve("p.txt", path, error) && path == "p.txt" && readAll(path) == "mine");
    EXPECT_TRUE(replace.reserve("p-1.txt", path, error) && path == "p-1-1.txt");
    EXPECT_TRUE(replace.reserve("A.txt", path, error) && replace.reserve("a.TXT", path, error) && path == "a-1.TXT");
    for (int n = 3; n < ReplyFiles::kMaxVariants; ++n)
        ASSERT_TRUE(keep.reserve("p.txt", path, error));
    EXPECT_FALSE(keep.reserve("p.txt", path, error));
    EXPECT_EQ("no free file name for 'p.txt' in '.'", error);
    // The output directory is made with its parents, unless a file stands in the way.
    ReplyFiles nested((std::filesystem::path("a") / "b" / "c" / "").string(), false);
    EXPECT_TRUE(nested.prepare(error) && std::filesystem::is_directory(std::filesystem::path("a") / "b" / "c"));
    EXPECT_FALSE(ReplyFiles((std::filesystem::path("p.txt") / "sub").string(), false).prepare(error));
    EXPECT_EQ(0u, error.find("cannot make the output directory")) << error;
}

// A stream's copy holds every byte, the last piece of one byte too, and goes with its holder.
TEST(SpoolFile, CopiesAStreamWholeAndRemovesTheCopy)
{
    testsupport::TempDir tmp(true);
    writeAll("in.txt", pattern(65537, 3));
    std::string path, error;
    {
        SpoolFile spool;
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen("in.txt", "rb"), std::fclose);
        EXPECT_TRUE(spool.copy(in.get(), error) && readAll(spool.path()) == readAll("in.txt")) << error;
        path = spool.path();
    }
    EXPECT_FALSE(SpoolFile::needed("in.txt") || std::filesystem::exists(path));
}

TEST(ProgressLine, MegabytesAndPercent)
{
    // Never more than all; nothing to send is done at once; no overflow near 2 GiB.
    EXPECT_EQ("sending r: 1.0 of 1.0 MB (100%)", ProgressLine::format("r", 5000000, 1000000));
    EXPECT_EQ("sending r: 0.0 of 0.0 MB (100%)", ProgressLine::format("r", 0, 0));
    EXPECT_EQ("sending r: 2147.5 of 2147.5 MB (99%)", ProgressLine::format("r", 2147483000LL, 2147483647LL));
    EXPECT_EQ("sending ..." + std::string(37, 'n') + ": 0.1 of 12.0 MB (0%)",
              ProgressLine::format(std::string(60, 'n'), 100000, 12000000));
}

// Each row: the command line; the print options and the files it gives ('|' after each
// argument), or "help", "version", "usage". The client's options stand anywhere before
// "--"; a print option's values are never files nor client options.
TEST(ClientOptions, ClientOptionsAnywhereFilesAndPrintOptionsInOrder)
{
    const char* rows[][3] = {
        {"-printlist -fontlist -ver -outdir inv -quiet", "-printlist|-fontlist|-ver|", ""},
        {"-banner -quiet -open - -resolution 600 -h -- -quiet x", "-banner|-quiet|-resolution|600|-h|-quiet|x|", "-|"},
        // An option nobody knows takes a value that does not look like an option.
        {"-orientaton landscape r.txt -graf -graph -right 5 s", "-orientaton|landscape|-graf|-graph|-right|5|", "r.txt|s|"},
        {"-response -", "-response|-|", ""}, {"x --help", "help", "x|"}, {"-h", "help", ""},
        {"-version", "version", ""}, {"a -open", "usage", "a|"}, {"-replace", "usage", ""}, {"a \"\"", "usage", "a|"},
        {"-open \"\"", "usage", ""},
    };
    const char* outcomes[] = {"", "help", "version", "usage"};
    for (const auto& r : rows) {
        std::string printArgs, files;
        std::vector<const char*> argv{"draxomeClient"};
        const Args args = splitLikeTheServerSide(r[0]);
        for (const std::string& a : args)
            argv.push_back(a.c_str());
        ClientOptions o;
        const ClientOptions::Outcome got = o.parse(static_cast<int>(argv.size()), argv.data(), printArgs);
        printArgs = outcomes[got];
        for (const std::string& a : o.printArgs)
            printArgs += got == ClientOptions::Job ? a + "|" : "";
        for (const std::string& f : o.files)
            files += f + "|";
        EXPECT_EQ(r[1], printArgs) << r[0];
        EXPECT_EQ(r[2], files) << r[0];
    }
}
