#include "ClientTestSupport.h"

#include "client/ClientMain.h"
#include "common/UCmdLine.h"
#include "common/UStopWatch.h"
#include "net/USockMCmdline.h"
#include "print/PrintArgs.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string readBack(std::FILE* f)
{
    std::string s(static_cast<size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    s.resize(std::fread(&s[0], 1, s.size(), f));
    std::fclose(f);
    return s;
}

} // namespace

ClientRun runClient(const Args& args, bool errIsTerminal)
{
    std::vector<const char*> argv{"draxomeClient"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ClientRun run;
    UStopWatch watch;
    watch.start();
    run.status = ClientMain::run(static_cast<int>(argv.size()), argv.data(), {out, err, errIsTerminal});
    run.seconds = watch.stopAndSeconds();
    run.out = readBack(out);
    run.err = readBack(err);
    return run;
}

Names filesIn(const std::filesystem::path& dir)
{
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Args splitLikeTheServerSide(const std::string& text)
{
    int argc = 0, serverArgc = 0;
    char** argv = nullptr;
    char** serverArgv = nullptr;
    EXPECT_EQ(0, retrive_argcargv(text.c_str(), argc, argv));
    EXPECT_TRUE(UCmdLine::getArgcArgv(UString(text.c_str()), serverArgc, serverArgv));
    const Args tokens(argv, argv + argc);
    EXPECT_EQ(tokens, Args(serverArgv, serverArgv + serverArgc)) << "the server splits [" << text << "] otherwise";
    release_argcargv(argc, argv);
    UCmdLine::releaseArgcArgv(serverArgc, serverArgv);
    return tokens;
}

FakeServer::FakeServer(std::function<void(USockTcp&)> script)
{
    mThread = std::thread([this, script] {
        USockTcp conn;
        if (mListener.sock.accept(conn) && !mPoked) {
            mAccepted = true;
            script(conn);
        }
        conn.close();
    });
}

FakeServer::~FakeServer()
{
    if (!mAccepted) {
        mPoked = true;
        USockTcp poke;
        if (poke.open("127.0.0.1", mListener.port) && poke.connect())
            poke.close();
    }
    mThread.join();
}

std::string FakeServer::readCmdline(USockTcp& s)
{
    USockMCmdline line;
    line.timeout = 10.0;
    return line.readType(s) == line.type && line.read(s) ? line.text.str() : "?";
}

std::string FakeServer::readFile(USockTcp& s, std::string& announced)
{
    USockMString name;
    name.timeout = 10.0;
    if (recvAll(s, 8) != le32(0x1001) + le32(1) || !name.read(s))
        return "?";
    announced = name.text.str();
    const std::string size = recvAll(s, 4);
    return size.size() == 4 ? recvAll(s, USockMessage::getInt(reinterpret_cast<const unsigned char*>(size.data()))) : "?";
}
