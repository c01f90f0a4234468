#pragma once

#include "common/UString.h"
#include "tests/common/TestBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

// A fresh directory of the test's own under the test's working directory, removed at the
// end: client_work/<suite>.<test>.
class ClientWorkDir : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A path inside the directory.
    std::string at(const std::string& name) const;

    std::filesystem::path dir;
};

// What one run of the client gave.
struct ClientRun {
    int status = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

// Runs the client in-process with argv = "draxomeClient" followed by args; standard output
// and standard error go to files of their own and come back as text.
ClientRun runClient(const std::vector<std::string>& args, bool errIsTerminal = false);

// The names of the regular files in dir, sorted.
std::vector<std::string> filesIn(const std::filesystem::path& dir);
// The print program's own splitting of a command line.
std::vector<std::string> splitLikeThePrintProgram(const std::string& text);
// The server's.
std::vector<std::string> splitLikeTheServer(const std::string& text);
