#include "ClientTestSupport.h"

#include "client/ClientMain.h"
#include "common/UCmdLine.h"
#include "common/UStopWatch.h"
#include "print/PrintArgs.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string readBack(std::FILE* f)
{
    std::string s;
    std::rewind(f);
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        s.append(buf, n);
    std::fclose(f);
    return s;
}

int readInt(USockTcp& s)
{
    const std::string b = recvAll(s, 4);
    unsigned v = 0;
    for (size_t i = b.size(); i-- > 0;)
        v = (v << 8) | static_cast<unsigned char>(b[i]);
    return b.size() == 4 ? static_cast<int>(v) : -1;
}

// The text of a string message whose type code came as expected, else "?".
std::string readText(USockTcp& s, int type, int expected)
{
    const int size = readInt(s);
    std::string text = type == expected && size > 0 && size < (1 << 20) ? recvAll(s, size) : "?";
    if (text.size() == static_cast<size_t>(size) && text.back() == '\0')
        text.pop_back();
    return text;
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

std::string FakeServer::readCmdline(USockTcp& s) { return readText(s, readInt(s), 0x1000); }

std::string FakeServer::readFile(USockTcp& s, std::string& announced)
{
    const bool isFile = readInt(s) == 0x1001;
    announced = readText(s, readInt(s), isFile ? 1 : 0);
    const int size = readInt(s);
    return size >= 0 ? recvAll(s, size) : "?";
}
