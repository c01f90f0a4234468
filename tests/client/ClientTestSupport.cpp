#include "ClientTestSupport.h"

#include "client/ClientMain.h"
#include "common/UCmdLine.h"
#include "common/UStopWatch.h"
#include "print/PrintArgs.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

void ClientWorkDir::SetUp()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::current_path() / "client_work" /
          (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
}

void ClientWorkDir::TearDown()
{
    if (!HasFailure())
        std::filesystem::remove_all(dir);
}

std::string ClientWorkDir::at(const std::string& name) const { return (dir / name).string(); }

namespace {

std::string readBack(std::FILE* f)
{
    std::string s;
    std::rewind(f);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    std::fclose(f);
    return s;
}

} // namespace

ClientRun runClient(const std::vector<std::string>& args, bool errIsTerminal)
{
    std::vector<const char*> argv{"draxomeClient"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    EXPECT_NE(nullptr, out);
    EXPECT_NE(nullptr, err);
    ClientRun run;
    if (out == nullptr || err == nullptr)
        return run;
    UStopWatch watch;
    watch.start();
    run.status = ClientMain::run(static_cast<int>(argv.size()) - 1, argv.data(), {out, err, errIsTerminal});
    run.seconds = watch.stopAndSeconds();
    run.out = readBack(out);
    run.err = readBack(err);
    return run;
}

std::vector<std::string> filesIn(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> splitLikeThePrintProgram(const std::string& text)
{
    int argc = 0;
    char** argv = nullptr;
    EXPECT_EQ(0, retrive_argcargv(text.c_str(), argc, argv));
    std::vector<std::string> tokens;
    for (int i = 0; i < argc; ++i)
        tokens.push_back(argv[i]);
    release_argcargv(argc, argv);
    return tokens;
}

std::vector<std::string> splitLikeTheServer(const std::string& text)
{
    int argc = 0;
    char** argv = nullptr;
    EXPECT_TRUE(UCmdLine::getArgcArgv(UString(text.c_str()), argc, argv));
    std::vector<std::string> tokens;
    for (int i = 0; i < argc; ++i)
        tokens.push_back(argv[i]);
    UCmdLine::releaseArgcArgv(argc, argv);
    return tokens;
}
