#pragma once

#include "common/ULog.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Each test runs in a fresh directory of its own, since the inventory files are written
// to the current directory, and its log goes to a file there in the server's plain style
// ("Error: ..."), which is easy to compare.
class PrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home = std::filesystem::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = home / (std::string("scratch_") + info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        ULog::reset();
        ULog::setStyle(ULog::ServerStyle);
        ULog::setStream(UString("test.log"), 0);
    }

    void TearDown() override
    {
        ULog::reset();
        std::filesystem::current_path(home);
        if (!HasFailure())
            std::filesystem::remove_all(dir);
    }

    static std::string readFile(const std::string& name) { return testsupport::readFile(name); }

    static bool exists(const std::string& name) { return std::filesystem::exists(name); }

    // The log's lines without their CR LF.
    std::vector<std::string> logLines() const
    {
        std::vector<std::string> lines;
        std::string all = readFile("test.log");
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find("\r\n", start);
            if (end == std::string::npos)
                end = all.size();
            lines.push_back(all.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    void clearLog() { std::filesystem::remove("test.log"); }

    std::filesystem::path home;
    std::filesystem::path dir;
};
