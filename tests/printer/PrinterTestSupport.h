#pragma once

#include "common/ULog.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

using Log = std::vector<std::string>;

// Each test runs in a fresh directory of its own, since the inventory files are written
// to the current directory, and its log goes to a file there in the server's plain style
// ("Error: ..."), which is easy to compare.
class PrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mDir = std::make_unique<testsupport::TempDir>(true);
        ULog::reset();
        ULog::setStyle(ULog::ServerStyle);
        ULog::setStream(UString("test.log"), 0);
    }
    void TearDown() override { ULog::reset(); }

    static std::string readFile(const std::string& name) { return testsupport::readFile(name); }

    // The log's lines without their CR LF.
    static Log logLines()
    {
        Log lines;
        std::istringstream in(readFile("test.log"));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.substr(0, line.size() - 1));
        return lines;
    }

private:
    std::unique_ptr<testsupport::TempDir> mDir;
};
