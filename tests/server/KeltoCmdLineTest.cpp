#include "server/KeltoCmdLine.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The whole record in one line, so a table can hold what each command line gives.
std::string describe(const KeltoCmdLine& o)
{
    std::string s = std::string("open=") + o.openFile.str() + " log=" + o.logFile.str() + " resp=" +
                    o.responseFile.str() + " listen=" + o.listenAddr.str() + " flags=";
    const std::pair<bool, char> flags[] = {{!o.logEnabled, 'D'}, {o.fontList, 'F'}, {o.response, 'R'},
                                           {o.printList, 'P'},    {o.resList, 'L'},  {o.ver, 'V'},
                                           {o.view, 'W'},         {o.trustClients, 'T'}};
    for (const auto& f : flags)
        s += f.first ? std::string(1, f.second) : "";
    for (const UString& a : o.allowRun)
        s += std::string(" allow=") + a.str();
    s += " timeout=" + std::to_string(o.clientTimeout).substr(0, 4) + " openArgs=";
    for (int at : o.openArgs)
        s += std::to_string(at) + ",";
    return s;
}

} // namespace

TEST(KeltoCmdLine, TakesWholeKeywordsAndTheNextArgumentAsTheValue)
{
    const std::string none = "open= log= resp= listen=0.0.0.0:2345 flags=";
    const std::pair<const char*, std::string> cases[] = {
        {"", none + " timeout=60.0 openArgs="},
        {"-open a.txt -disablelog -fontlist -response r.txt -printlist -reslist -logfile l.txt -ver -listenaddr "
         "10.0.0.1:80 -view -trustclients -clienttimeout 2.5",
         "open=a.txt log=l.txt resp=r.txt listen=10.0.0.1:80 flags=DFRPLVWT timeout=2.50 openArgs=0,"},
        // Other case, other words, a tab that does not separate: nothing of the server's.
        {"-version -Open x -PRINTLIST --ver -view2 - -copy c.txt -run default -ver\t-printlist",
         none + " timeout=60.0 openArgs="},
        // A value is the next argument whatever it is; the last one wins.
        {"-open -printlist -response -view -view", "open=-printlist log= resp=-view listen=0.0.0.0:2345 flags=RW "
                                                   "timeout=60.0 openArgs=0,"},
        {"-logfile \"C:\\My Logs\\job.txt\" -open  x -open b", "open=b log=C:\\My Logs\\job.txt resp= "
                                                               "listen=0.0.0.0:2345 flags= timeout=60.0 openArgs=2,5,"},
        {"-allowrun default -allowrun \"C:\\Program Files\\c.exe\" -allowrun -open -clienttimeout 90",
         none + " allow=default allow=C:\\Program Files\\c.exe allow=-open timeout=90.0 openArgs="},
        // Values of the server's own options hide an -open from its parse; the print
        // program's options take no value here.
        {"-listenaddr -open C:\\x -docname -open y \"-open\" z", "open=z log= resp= listen=-open flags= "
                                                                  "timeout=60.0 openArgs=4,6,"},
    };
    for (const auto& c : cases) {
        KeltoCmdLine o;
        std::string buffer;
        std::vector<char*> args = UCmdLine::splitInto(UString(c.first), buffer);
        int argc = static_cast<int>(args.size()) - 1;
        char** argv = args.data();
        EXPECT_TRUE(o.parse(argc, argv)) << c.first;
        EXPECT_EQ(c.second, describe(o)) << c.first;
    }
}

TEST(KeltoCmdLine, AMissingOrBadValueStopsWithItsMessage)
{
    for (const char* option : {"-open", "-response", "-logfile", "-listenaddr", "-allowrun", "-clienttimeout"}) {
        for (const char* value : {"", " 0", " 0.0", " -5", " +5", " 5s", " 1e3", " 0x10", " .", " 1.2.3", " inf"}) {
            const std::string line = std::string("-printlist ") + option + value;
            if (*value != '\0' && std::string(option) != "-clienttimeout")
                continue;
            testsupport::LogCapture log;
            KeltoCmdLine o;
            std::string buffer;
            std::vector<char*> args = UCmdLine::splitInto(UString(line.c_str()), buffer);
            int argc = static_cast<int>(args.size()) - 1;
            char** argv = args.data();
            EXPECT_FALSE(o.parse(argc, argv)) << line;
            EXPECT_TRUE(o.printList) << "options before the faulty one stay set";
            EXPECT_EQ(60.0, o.clientTimeout) << line;
            EXPECT_EQ(std::string("Error: Error in KeltoCmdLine::parse(): ") + option + "\r\n", log.text()) << line;
        }
    }
}
