#include "ClientTestSupport.h"

#include "client/ClientMain.h"
#include "common/UCmdLine.h"
#include "common/UStopWatch.h"
#include "net/USockMessage.h"
#include "print/PrintArgs.h"

#include <algorithm>

ClientRun runClient(const Args& args, bool errIsTerminal)
{
    std::vector<const char*> argv{"draxomeClient"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    std::FILE* files[] = {std::tmpfile(), std::tmpfile()};
    UStopWatch watch;
    watch.start();
    ClientRun run{ClientMain::run(static_cast<int>(argv.size()), argv.data(), {files[0], files[1], errIsTerminal}),
                  "", "", watch.stopAndSeconds()};
    for (std::string* text : {&run.out, &run.err}) {
        std::FILE* f = files[text == &run.err];
        text->resize(static_cast<size_t>(std::ftell(f)));
        std::rewind(f);
        text->resize(std::fread(&(*text)[0], 1, text->size(), f));
        std::fclose(f);
    }
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
    int argc = 0;
    char** argv = nullptr;
    EXPECT_EQ(0, retrive_argcargv(text.c_str(), argc, argv));
    const Args tokens(argv, argv + argc);
    release_argcargv(argc, argv);
    return tokens;
}

FakeServer::FakeServer(std::function<void(USockTcp&)> script, int count)
    : mThread([this, script, count] {
          for (int n = 0; n < count && !mPoked; ++n) {
              USockTcp conn;
              if (mListener.sock.accept(conn) && !mPoked) {
                  accepted = true;
                  script(conn);
              }
              conn.close();
              ++mServed;
          }
      }),
      mCount(count)
{
}

FakeServer::~FakeServer()
{
    // A client that made fewer connections leaves the thread waiting in accept.
    mPoked = mServed < mCount;
    USockTcp poke;
    if (mPoked && poke.open("127.0.0.1", mListener.port) && poke.connect())
        poke.close();
    mThread.join();
}

std::string FakeServer::readString(USockTcp& s, int code)
{
    const std::string head = recvAll(s, 8);
    const int size = head.size() == 8 ? USockMessage::getInt(reinterpret_cast<const unsigned char*>(&head[4])) : 0;
    const std::string text = head.substr(0, 4) == le32(code) && size > 0 ? recvAll(s, size) : "";
    return !text.empty() && text.back() == '\0' ? text.substr(0, text.size() - 1) : "?";
}

std::string FakeServer::readFile(USockTcp& s, std::string& announced)
{
    announced = recvAll(s, 4) == le32(0x1001) ? readString(s, 1) : "?";
    const std::string size = recvAll(s, 4);
    return size.size() == 4 ? recvAll(s, USockMessage::getInt(reinterpret_cast<const unsigned char*>(&size[0]))) : "?";
}
