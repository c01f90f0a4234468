#include "common/UIODirEntry.h"
#include "common/UIODirIterator.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

// The removal of an earlier run's files, the one walk the server makes, is held by the
// start-up tests; here the walk's record and its refusals.

namespace {

class Recorder : public UIODirIterator {
public:
    bool processEntry(const UIODirEntry& entry) override
    {
        seen.emplace(entry.path.str(), entry);
        return static_cast<int>(seen.size()) < stopAfter;
    }
    std::map<std::string, UIODirEntry> seen;
    int stopAfter = 1000;
};

} // namespace

TEST(UIODirIterator, HandsOnDirectoriesAndFilteredFilesWithTheirRecord)
{
    testsupport::TempDir dir(true);
    std::filesystem::create_directory("sub.txt");
    testsupport::writeFile("sub.txt/below.ini", "x");
    testsupport::writeFile("data.INI", std::string(1234, 'z'));
    testsupport::writeFile("other.txt", "x");
    Recorder r;
    r.setFileFilter("*.ini");
    ASSERT_TRUE(r.start(".\\"));
    ASSERT_EQ(2u, r.seen.size());
    EXPECT_TRUE(r.seen.at(".\\sub.txt").attributes.directory);
    EXPECT_EQ(1234, r.seen.at(".\\data.INI").size);
    const UIODirEntry& data = r.seen.at(".\\data.INI");
    EXPECT_TRUE(data.modified.year >= 2024 && data.created.year >= 2024 && data.accessed.year >= 2024);

    Recorder first;
    first.stopAfter = 1;
    ASSERT_TRUE(first.start(""));
    EXPECT_EQ(1u, first.seen.size()) << "false ends the listing";
}

TEST(UIODirIterator, RefusesWhatNamesNoDirectory)
{
    const char* const invalidPath = "Error: UIODirIterator::start: path is invalid\r\n";
    const std::pair<const char*, const char*> cases[] = {
        {".", invalidPath}, {"file", invalidPath}, {"C:\\temp", invalidPath}, {"missing/", ""},
        {"a*b\\", "Error: UIODirIterator::iterateDir: _findfirst(): dirName is invalid\r\n"},
    };
    for (const auto& c : cases) {
        testsupport::LogCapture log;
        Recorder r;
        EXPECT_EQ(*c.second == '\0', r.start(c.first)) << c.first;
        EXPECT_TRUE(r.seen.empty());
        EXPECT_EQ(c.second, log.text()) << c.first;
    }
}
