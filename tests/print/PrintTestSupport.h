#pragma once

#include "common/ULog.h"
#include "common/UString.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Each test runs in a fresh directory of its own (the version file and command files are
// named relative to the current directory) with the print program's log style, its log
// going to log.txt there.
class PrintWorkDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        home = std::filesystem::current_path();
        dir = home / "print_tests_work" / (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        ULog::reset();
        ULog::setStyle(ULog::PrintStyle);
        ASSERT_TRUE(ULog::setStream(UString("log.txt"), 0));
    }

    void TearDown() override
    {
        ULog::reset();
        ULog::setStyle(ULog::ServerStyle);
        std::filesystem::current_path(home);
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    static std::string readFile(const std::string& name) { return testsupport::readFile(name); }

    static void writeFile(const std::string& name, const std::string& content)
    {
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }

    // The log's lines as "Level: message", without the date and time of the prefix.
    static std::vector<std::string> logged() { return loggedIn("log.txt"); }

    // The same for any log file.
    static std::vector<std::string> loggedIn(const std::string& name)
    {
        const std::string text = readFile(name);
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            if (end == std::string::npos)
                end = text.size();
            const std::string line = text.substr(start, end - start);
            const size_t open = line.find('[');
            const size_t close = line.find("]: ");
            if (open != std::string::npos && close != std::string::npos && open < close)
                lines.push_back(line.substr(0, open) + ": " + line.substr(close + 3));
            else
                lines.push_back("unprefixed: " + line);
            start = end + 2;
        }
        return lines;
    }

    std::filesystem::path home;
    std::filesystem::path dir;
};

using Lines = std::vector<std::string>;
