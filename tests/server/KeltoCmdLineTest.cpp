#include "server/KeltoCmdLine.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The record in one line, so a table can hold what each command line gives; "" when the
// parse fails.
std::string parsed(const std::string& line)
{
    KeltoCmdLine o;
    std::string buffer;
    std::vector<char*> args = UCmdLine::splitInto(UString(line.c_str()), buffer);
    int argc = static_cast<int>(args.size()) - 1;
    char** argv = args.data();
    if (!o.parse(argc, argv))
        return "";
    std::string s = std::string(o.openFile.str()) + "|" + o.logFile.str() + "|" + o.responseFile.str() + "|" +
                    o.listenAddr.str() + "|" + std::to_string(o.clientTimeout).substr(0, 4) + "|" + std::to_string(o.maxJob) + "," +
                    std::to_string(o.jobTimeout).substr(0, 5) + "," + std::to_string(o.maxViews) + "|";
    if (o.keepJobs != KeltoCmdLine::kDefaultKeepJobs || o.serverLogSize != KeltoCmdLine::kDefaultServerLogSize)
        s += std::to_string(o.keepJobs) + " " + std::to_string(o.serverLogSize).substr(0, 4) + "|";
    for (bool flag : {!o.logEnabled, o.fontList, o.response, o.printList, o.resList, o.ver, o.view, o.trustClients})
        s += flag ? "1" : "0";
    for (const UString& a : o.allowRun)
        s += std::string("|") + a.str();
    for (int at : o.openArgs)
        s += "|" + std::to_string(at);
    return s;
}

} // namespace

TEST(KeltoCmdLine, TakesWholeKeywordsAndTheNextArgumentWhateverItIs)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "|||0.0.0.0:2345|60.0|200,600.0,4|00000000"},
        {"-open a.txt -disablelog -fontlist -response r.txt -printlist -reslist -logfile l.txt -ver -listenaddr "
         "10.0.0.1:80 -view -trustclients -clienttimeout 2.5 -maxjob 1 -jobtimeout 0.5 -maxviews 1000000",
         "a.txt|l.txt|r.txt|10.0.0.1:80|2.50|1,0.500,1000000|11111111|0"},
        {"-version -Open x -PRINTLIST --ver -view2 - -copy c -ver\t-printlist", "|||0.0.0.0:2345|60.0|200,600.0,4|00000000"},
        {"-open -printlist -response -view -view", "-printlist||-view|0.0.0.0:2345|60.0|200,600.0,4|00100010|0"},
        {"-logfile \"C:\\My Logs\\j.txt\" -open  x -open b",
         "b|C:\\My Logs\\j.txt||0.0.0.0:2345|60.0|200,600.0,4|00000000|2|5"},
        {"-allowrun a -allowrun \"C:\\P F\\c.exe\" -allowrun -open -clienttimeout 9 -maxjob 0200 -maxviews 1",
         "|||0.0.0.0:2345|9.00|200,600.0,1|00000000|a|C:\\P F\\c.exe|-open"},
        // Values of the server's own options hide an -open; the print program's take none here.
        {"-listenaddr -open C:\\x -docname -open y \"-open\" z", "z|||-open|60.0|200,600.0,4|00000000|4|6"},
        {"-keepjobs 0 -serverlogsize 0.01", "|||0.0.0.0:2345|60.0|200,600.0,4|0 0.01|00000000"},
        {"-keepjobs 1000000 -serverlogsize 2", "|||0.0.0.0:2345|60.0|200,600.0,4|1000000 2.00|00000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, parsed(c.first)) << c.first;
    for (const char* bad : {"-open", "-response", "-logfile", "-listenaddr", "-allowrun", "-clienttimeout",
                            "-clienttimeout 0", "-clienttimeout -5", "-clienttimeout +5", "-clienttimeout 5s",
                            "-clienttimeout 1e3", "-clienttimeout 0x10", "-clienttimeout .", "-clienttimeout inf",
                            "-keepjobs", "-keepjobs -1", "-keepjobs 1000001", "-keepjobs 5x", "-keepjobs \"\"",
                            "-serverlogsize 0", "-serverlogsize 10MB", "-stopgrace", "-stopgrace 1.5",
                            "-maxjob", "-maxjob 0", "-maxjob 1.5", "-maxjob -1", "-maxjob 1000001", "-maxjob 99999999999",
                            "-jobtimeout 0", "-jobtimeout 1m", "-maxviews 0", "-maxviews +2", "-maxviews"}) {
        testsupport::LogCapture log;
        EXPECT_EQ("", parsed(std::string("-ver ") + bad)) << bad;
        const std::string option = std::string(bad).substr(0, std::string(bad).find(' '));
        EXPECT_EQ("Error: Error in KeltoCmdLine::parse(): " + option + "\r\n", log.text()) << bad;
    }
}
