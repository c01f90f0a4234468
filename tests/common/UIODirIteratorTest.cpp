#include "common/UIODirEntry.h"
#include "common/UIODirIterator.h"
#include "common/UIOFileRemover.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

struct Seen {
    std::string path;
    int depth;
    bool directory;
    bool operator<(const Seen& o) const { return path < o.path; }
    bool operator==(const Seen& o) const { return path == o.path && depth == o.depth && directory == o.directory; }
};

std::ostream& operator<<(std::ostream& os, const Seen& s)
{
    return os << s.path << "@" << s.depth << (s.directory ? "/" : "");
}

// Records what the walk hands on; optionally refuses entries below a depth.
class Recorder : public UIODirIterator {
public:
    bool processEntry(const UIODirEntry& entry, int depth) override
    {
        seen.push_back({entry.getPath().str(), depth, entry.isDirectory()});
        entries.push_back(entry);
        return depth < stopAtDepth;
    }
    std::vector<Seen> sorted() const
    {
        std::vector<Seen> s = seen;
        std::sort(s.begin(), s.end());
        return s;
    }
    std::vector<Seen> seen;
    std::vector<UIODirEntry> entries;
    int stopAtDepth = 1000;
};

void touch(const fs::path& p, const std::string& content = "x") { testsupport::writeFile(p, content); }

// tmpLog.5.txt, TMPLOG.TXT, TMPCMDFILE.1..ini, keep.txt, tmpFilename.d/tmpLog.inner
void makeTree(const fs::path& root)
{
    touch(root / "tmpLog.5.txt");
    touch(root / "TMPLOG.TXT");
    touch(root / "TMPCMDFILE.1..ini");
    touch(root / "keep.txt");
    touch(root / "xtmpLog1");
    fs::create_directory(root / "tmpFilename.d");
    touch(root / "tmpFilename.d" / "tmpLog.inner");
}

std::vector<std::string> names(const fs::path& dir)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(UIOFileRemoverTest, StartUpCleanupIsCaseInsensitiveAndLeavesDirectories)
{
    TempDir dir(true);
    makeTree(dir.path());
    UIOFileRemover remover;
    remover.setRecursive(false);
    for (const char* pattern : {"tmpCmdfile*", "tmpFilename*", "tmpLog*"}) {
        remover.setFileFilter(pattern);
        EXPECT_TRUE(remover.start(".\\"));
    }
    EXPECT_EQ((std::vector<std::string>{"keep.txt", "tmpFilename.d", "xtmpLog1"}), names(dir.path()));
    // Not recursive: what lies below the directory is untouched too.
    EXPECT_EQ(std::vector<std::string>{"tmpLog.inner"}, names(dir / "tmpFilename.d"));
}

TEST(UIOFileRemoverTest, RecursiveRemovalReachesSubdirectories)
{
    TempDir dir;
    makeTree(dir.path());
    UIOFileRemover remover;
    remover.setFileFilter("tmpLog*");
    EXPECT_TRUE(remover.start((dir.path().string() + "/").c_str()));
    EXPECT_TRUE(names(dir / "tmpFilename.d").empty());
    EXPECT_EQ((std::vector<std::string>{"TMPCMDFILE.1..ini", "keep.txt", "tmpFilename.d", "xtmpLog1"}),
              names(dir.path()));
}

TEST(UIOFileRemoverTest, CaseSensitiveIteratorKeepsOtherCases)
{
    TempDir dir(true);
    makeTree(dir.path());
    UIOFileRemover remover;
    remover.setRecursive(false);
    remover.setCaseSensitive(true);
    remover.setFileFilter("tmpLog*");
    EXPECT_TRUE(remover.start(".\\"));
    const std::vector<std::string> left = names(dir.path());
    EXPECT_EQ(0, std::count(left.begin(), left.end(), "tmpLog.5.txt"));
    EXPECT_EQ(1, std::count(left.begin(), left.end(), "TMPLOG.TXT"));
}

TEST(UIODirIteratorTest, PathsKeepTheStartSeparatorAndAddSlashBelow)
{
    TempDir dir(true);
    fs::create_directories("sub/deeper");
    touch("tmpLog.3..txt");
    touch("sub/file.txt");
    touch("sub/deeper/f");
    Recorder r;
    ASSERT_TRUE(r.start(".\\"));
    const std::vector<Seen> want = {
        {".\\sub", 0, true},
        {".\\sub/deeper", 1, true},
        {".\\sub/deeper/f", 2, false},
        {".\\sub/file.txt", 1, false},
        {".\\tmpLog.3..txt", 0, false},
    };
    EXPECT_EQ(want, r.sorted());
}

TEST(UIODirIteratorTest, DirectoriesComeBeforeTheirContents)
{
    TempDir dir;
    fs::create_directories(dir / "a" / "b");
    touch(dir / "a" / "b" / "f");
    touch(dir / "a" / "g");
    Recorder r;
    const std::string root = dir.path().string() + "/";
    ASSERT_TRUE(r.start(root.c_str()));
    auto at = [&](const std::string& rel) {
        for (size_t i = 0; i < r.seen.size(); ++i)
            if (r.seen[i].path == root + rel)
                return static_cast<int>(i);
        return -1;
    };
    ASSERT_EQ(4u, r.seen.size());
    EXPECT_LT(at("a"), at("a/b"));
    EXPECT_LT(at("a/b"), at("a/b/f"));
    EXPECT_LT(at("a"), at("a/g"));
}

TEST(UIODirIteratorTest, FileFilterDoesNotApplyToDirectories)
{
    TempDir dir(true);
    fs::create_directories("sub");
    touch("sub/a.txt");
    touch("sub/a.ini");
    touch("b.ini");
    Recorder r;
    r.setFileFilter("*.ini");
    ASSERT_TRUE(r.start(""));
    const std::vector<Seen> want = {{"b.ini", 0, false}, {"sub", 0, true}, {"sub/a.ini", 1, false}};
    EXPECT_EQ(want, r.sorted());
}

TEST(UIODirIteratorTest, RejectedDirectoriesAreStillDescendedByDefault)
{
    TempDir dir(true);
    fs::create_directories("a1");
    fs::create_directories("b/a2");
    touch("b/f");
    touch("b/a2/g");
    touch("top");

    Recorder r;
    r.setDirFilter("a*");
    ASSERT_TRUE(r.start("./"));
    const std::vector<Seen> want = {
        {"./a1", 0, true}, {"./b/a2", 1, true}, {"./b/a2/g", 2, false}, {"./b/f", 1, false}, {"./top", 0, false}};
    EXPECT_EQ(want, r.sorted());

    Recorder notBelow;
    notBelow.setDirFilter("a*");
    notBelow.setDescendIntoRejected(false);
    ASSERT_TRUE(notBelow.start("./"));
    const std::vector<Seen> want2 = {{"./a1", 0, true}, {"./top", 0, false}};
    EXPECT_EQ(want2, notBelow.sorted());
}

TEST(UIODirIteratorTest, FalseEndsOnlyTheDirectoryAtHand)
{
    TempDir dir(true);
    for (const char* d : {"s1", "s2"}) {
        fs::create_directories(d);
        for (const char* f : {"a", "b", "c"})
            touch(fs::path(d) / f);
    }
    Recorder r;
    r.stopAtDepth = 1;
    ASSERT_TRUE(r.start("./"));
    int below = 0;
    int top = 0;
    for (const Seen& s : r.seen)
        (s.depth == 1 ? below : top)++;
    EXPECT_EQ(2, top);
    EXPECT_EQ(2, below); // one entry from each subdirectory, then that listing ends
}

TEST(UIODirIteratorTest, EmptyOrMissingDirectoryIsAQuietSuccess)
{
    testsupport::LogCapture log;
    TempDir dir;
    Recorder r;
    EXPECT_TRUE(r.start((dir.path().string() + "/").c_str()));
    EXPECT_TRUE(r.start((dir.path().string() + "/missing/").c_str()));
    EXPECT_TRUE(r.seen.empty());
    EXPECT_EQ("", log.text());
}

TEST(UIODirIteratorTest, PathsThatNameNoDirectoryAreRefused)
{
    TempDir dir(true);
    touch("file");
    for (const char* path : {".", "file", "C:\\temp", "sub/file.txt"}) {
        testsupport::LogCapture log;
        Recorder r;
        EXPECT_FALSE(r.start(path)) << path;
        EXPECT_TRUE(r.seen.empty());
        EXPECT_EQ("Error: UIODirIterator::start: path is invalid\r\n", log.text()) << path;
    }
}

TEST(UIODirIteratorTest, InvalidDirectoryNameFailsItsLevel)
{
    testsupport::LogCapture log;
    Recorder r;
    EXPECT_FALSE(r.start("a*b\\"));
    EXPECT_EQ("Error: UIODirIterator::iterateDir: _findfirst(): dirName is invalid\r\n", log.text());
}

TEST(UIODirIteratorTest, EntryCarriesSizeAttributesAndTimes)
{
    TempDir dir(true);
    touch("data.bin", std::string(1234, 'z'));
    touch("ro.txt");
    fs::permissions("ro.txt", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    Recorder r;
    ASSERT_TRUE(r.start("./"));
    ASSERT_EQ(2u, r.entries.size());
    for (const UIODirEntry& e : r.entries) {
        const std::string path = e.getPath().str();
        const UIODirEntry::Attributes a = e.getAttributes();
        EXPECT_FALSE(a.directory);
        EXPECT_FALSE(a.spare1);
        EXPECT_FALSE(a.spare2);
        EXPECT_GE(e.modified.year, 2024);
        EXPECT_GE(e.modified.month, 1);
        EXPECT_LE(e.modified.month, 12);
        if (path == "./data.bin") {
            EXPECT_EQ(1234, e.getSize());
            EXPECT_FALSE(a.readOnly);
        } else {
            EXPECT_EQ("./ro.txt", path);
            EXPECT_TRUE(a.readOnly);
        }
    }
    fs::permissions("ro.txt", fs::perms::owner_write, fs::perm_options::add);
}
