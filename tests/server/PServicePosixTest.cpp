// The service words natively: which command lines are service commands, the refusals of a
// bad word and of options that do not parse, and the refusal of a system without a Windows
// service manager. Under Wine the service test runs the real service manager.
#include "common/ULog.h"
#include "server/PService.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

namespace fs = std::filesystem;
using testsupport::readFile;

TEST(PService, OnlyAFirstWordServiceIsAServiceCommand)
{
    testsupport::TempDir dir(true);
    const std::tuple<const char*, bool, int, const char*> cases[] = {
        {"", false, 0, ""},
        {"-listenaddr 127.0.0.1:5000 -service run", false, 0, ""},
        {"-service frobnicate", true, -1, "Error: PService::command(): -service wants install, uninstall or run, not "
                                          "'frobnicate'\r\n"},
        {"-service", true, -1, "Error: PService::command(): -service wants install, uninstall or run, not ''\r\n"},
        {"-service install -listenaddr", true, -1, "Error: Error in KeltoCmdLine::parse(): -listenaddr\r\n"},
        {"-service run", true, 1, "Error: PService::command(): there is no Windows service manager here; run the "
                                  "server itself\r\n"}};
    for (const auto& [line, taken, code, logged] : cases) {
        ULog::reset();
        fs::remove("draxomeServerLog.txt");
        int exitCode = 0;
        EXPECT_EQ(taken, PService::command(UString(line), exitCode)) << line;
        EXPECT_EQ(code, exitCode) << line;
        ULog::reset();
        EXPECT_EQ(std::string(logged), readFile("draxomeServerLog.txt")) << line;
    }
}
