#include "ClientTestSupport.h"

#include "client/ReplyFiles.h"
#include "client/SafeName.h"

TEST(SafeName, KeepsOnlyThePlainLastComponent)
{
    EXPECT_EQ("resp.txt", SafeName::plain("resp.txt"));
    EXPECT_EQ("passwd", SafeName::plain("../../etc/passwd"));
    EXPECT_EQ("out.txt", SafeName::plain("C:\\jobs\\out.txt"));
    EXPECT_EQ("win.ini", SafeName::plain("..\\..\\windows\\win.ini"));
    // A drive or an alternate data stream is cut like a directory.
    EXPECT_EQ("x.txt", SafeName::plain("C:x.txt"));
    EXPECT_EQ("stream", SafeName::plain("report.txt:stream"));
    EXPECT_EQ("my report (final).txt", SafeName::plain("my report (final).txt"));
}

TEST(SafeName, LeavesNothingAWindowsOrPosixFileSystemWouldReadDifferently)
{
    EXPECT_EQ("", SafeName::plain(""));
    EXPECT_EQ("", SafeName::plain(".."));
    EXPECT_EQ("", SafeName::plain("dir/"));
    EXPECT_EQ("", SafeName::plain(" . . "));
    // No hidden files, nothing Windows trims.
    EXPECT_EQ("profile", SafeName::plain(".profile"));
    EXPECT_EQ("a.txt", SafeName::plain("a.txt. . "));
    // Wildcards, short-name tildes, control and non-ASCII bytes.
    EXPECT_EQ("REPORT_1.TXT", SafeName::plain("REPORT~1.TXT"));
    EXPECT_EQ("a_b_c_d_.txt", SafeName::plain("a*b?c\nd\x7f.txt"));
    EXPECT_EQ("caf__.txt", SafeName::plain("caf\xc3\xa9.txt"));
    // Devices, whatever their case and extension.
    EXPECT_EQ("_con", SafeName::plain("con"));
    EXPECT_EQ("_NUL.txt", SafeName::plain("NUL.txt"));
    EXPECT_EQ("_com1.log", SafeName::plain("x/com1.log"));
    EXPECT_EQ("_Lpt9", SafeName::plain("Lpt9"));
    EXPECT_EQ("console.txt", SafeName::plain("console.txt"));
    EXPECT_EQ("com10", SafeName::plain("com10"));
}

TEST(SafeName, ALongNameIsShortenedKeepingItsExtension)
{
    const std::string name = SafeName::plain(std::string(300, 'a') + ".txt");
    EXPECT_EQ(SafeName::kMaxLength, name.size());
    EXPECT_EQ(std::string(SafeName::kMaxLength - 4, 'a') + ".txt", name);
    // A cut that ends the stem in dots leaves none of them.
    const std::string dotted = SafeName::plain(std::string(95, 'b') + std::string(20, '.') + "c.txt");
    EXPECT_EQ(std::string(95, 'b') + ".txt", dotted);
}

TEST(SafeName, VariantsNumberTheStem)
{
    EXPECT_EQ("prntlist.txt", SafeName::variant("prntlist.txt", 0));
    EXPECT_EQ("prntlist-1.txt", SafeName::variant("prntlist.txt", 1));
    EXPECT_EQ("a.tar-12.gz", SafeName::variant("a.tar.gz", 12));
    EXPECT_EQ("README-2", SafeName::variant("README", 2));
    EXPECT_EQ("out/x.txt", SafeName::join("out", "x.txt"));
    EXPECT_EQ("out/x.txt", SafeName::join("out/", "x.txt"));
    EXPECT_EQ("C:\\out\\x.txt", SafeName::join("C:\\out\\", "x.txt"));
    EXPECT_EQ("x.txt", SafeName::join(".", "x.txt"));
    EXPECT_EQ("x.txt", SafeName::join("", "x.txt"));
    // The directory's own separator wins over the platform's.
    EXPECT_EQ("out\\x.txt", SafeName::join("out", "x.txt", '\\'));
    EXPECT_EQ("C:\\out\\x.txt", SafeName::join("C:\\out", "x.txt", '/'));
    EXPECT_EQ("a/b/x.txt", SafeName::join("a/b", "x.txt", '\\'));
}

class ReplyFilesTest : public ClientWorkDir {};

TEST_F(ReplyFilesTest, ATakenNameGivesWayUnlessReplacingIsAllowed)
{
    writeAll(at("prntlist.txt"), "mine");
    writeAll(at("prntlist-1.txt"), "mine too");
    ReplyFiles files(dir.string(), false);
    std::string error;
    ASSERT_TRUE(files.prepare(error));
    std::string path;
    ASSERT_TRUE(files.reserve("prntlist.txt", path, error)) << error;
    EXPECT_EQ(at("prntlist-2.txt"), path);
    // Claimed at once, empty, so nobody else takes it meanwhile.
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ("mine", readAll(at("prntlist.txt")));

    ReplyFiles replacing(dir.string(), true);
    ASSERT_TRUE(replacing.reserve("prntlist.txt", path, error));
    EXPECT_EQ(at("prntlist.txt"), path);
    // Replacing never means two replies of one job in one file, whatever the case.
    ASSERT_TRUE(replacing.reserve("PRNTLIST.txt", path, error));
    EXPECT_EQ(at("PRNTLIST-1.txt"), path);
}

TEST_F(ReplyFilesTest, ADirectoryIsNeverTakenForAFile)
{
    std::filesystem::create_directory(dir / "joblog.txt");
    for (bool replace : {false, true}) {
        ReplyFiles files(dir.string(), replace);
        std::string path;
        std::string error;
        ASSERT_TRUE(files.reserve("joblog.txt", path, error));
        EXPECT_EQ(at("joblog-1.txt"), path);
        std::filesystem::remove(path);
    }
}

TEST_F(ReplyFilesTest, TheOutputDirectoryIsMadeWithItsParents)
{
    const std::string nested = at("a/b/c/");
    ReplyFiles files(nested, false);
    std::string error;
    ASSERT_TRUE(files.prepare(error)) << error;
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a" / "b" / "c"));
    std::string path;
    ASSERT_TRUE(files.reserve("x.txt", path, error));
    EXPECT_TRUE(std::filesystem::exists(dir / "a" / "b" / "c" / "x.txt"));

    writeAll(at("plain"), "a file");
    ReplyFiles blocked(at("plain/sub"), false);
    EXPECT_FALSE(blocked.prepare(error));
    EXPECT_NE(std::string::npos, error.find("cannot make the output directory")) << error;
}

TEST_F(ReplyFilesTest, GivesUpAfterAllVariantsAreTaken)
{
    ReplyFiles files(dir.string(), false);
    std::string path;
    std::string error;
    for (int n = 0; n < ReplyFiles::kMaxVariants; ++n)
        ASSERT_TRUE(files.reserve("v.txt", path, error));
    EXPECT_FALSE(files.reserve("v.txt", path, error));
    EXPECT_NE(std::string::npos, error.find("no free file name")) << error;
}
