#include "server/PFrontEndPort.h"
#include "server/PJobGuard.h"
#include "server/PJobRunner.h"
#include "server/PLpdReceiver.h"
#include "server/PQueueFile.h"

#include <gtest/gtest.h>

#include <string>

TEST(FrontEnd, QueueFileLinesAndTheDefaultOfTheFirstLineOnly)
{
    struct Case {
        const char* text;
        const char* queue;
        const char* options; // null: refused
    };
    const Case cases[] = {
        {"reports -graph -orientation landscape\r\nraw -direct\n", "raw", "-direct"},
        {"reports -graph -orientation landscape\r\nraw -direct\n", "reports", "-graph -orientation landscape"},
        {"reports -graph\n", "Reports", nullptr},
        {"* -papersize a4\nreports -graph\n", "other", "-papersize a4"},
        {"# comment\n\n  * -papersize a4\nreports\n", "reports", ""},
        {"reports -graph\n* -papersize a4\n", "other", nullptr},
        {"a -first\na -second\n\tb\t-x \"two words\"  ", "b", "-x \"two words\""},
        {"a -first\na -second\n", "a", "-first"},
        {"", "a", nullptr},
    };
    for (const Case& c : cases) {
        PQueueFile file;
        file.parse(c.text);
        std::string options;
        const bool found = file.find(c.queue, options);
        EXPECT_EQ(c.options != nullptr, found) << c.text << " / " << c.queue;
        if (c.options != nullptr) {
            EXPECT_EQ(c.options, options) << c.text << " / " << c.queue;
        }
    }
}

// -lpd "[ADDRESS:]PORT" and -raw "[ADDRESS:]PORT=QUEUE" as "host port queue"; "" refused.
TEST(FrontEnd, PortsInDigitsFrom1To65535AndARawPortsQueue)
{
    const std::pair<const char*, const char*> lpd[] = {{"515", "0.0.0.0 515 "}, {"127.0.0.1:1090", "127.0.0.1 1090 "},
        {"65535", "0.0.0.0 65535 "}, {"0", ""}, {"65536", ""}, {"100000", ""}, {"5x", ""}, {":515", ""}, {"", ""}};
    const std::pair<const char*, const char*> raw[] = {{"9100=reports", "0.0.0.0 9100 reports"}, {"9100", ""},
        {"9100=", ""}, {"127.0.0.1:9109=a=b", "127.0.0.1 9109 a=b"}};
    for (const auto& [kind, rows] : {std::make_pair(PFrontEndPort::Lpd, std::vector(std::begin(lpd), std::end(lpd))),
                                     std::make_pair(PFrontEndPort::Raw, std::vector(std::begin(raw), std::end(raw)))})
        for (const auto& [text, want] : rows) {
            PFrontEndPort p;
            EXPECT_EQ(want, PFrontEndPort::parse(kind, UString(text), UString("0.0.0.0"), p)
                ? std::string(p.host.str()) + " " + std::to_string(p.port) + " " + p.queue.str() : "") << text;
        }
}

TEST(FrontEnd, TheJobNameElseTheSourceFileNamesTheDocument)
{
    EXPECT_STREQ("job", PLpdReceiver::parseControl("Nsource\nJjob\nJlater\n").documentName.str());
    EXPECT_STREQ("source", PLpdReceiver::parseControl("Nsource\nNsecond\nfdfA1\n").documentName.str());
}

TEST(FrontEnd, CommandTextKeepsWithinWhatThePrintProgramReads)
{
    PJobRunner::Job job;
    job.documentName = "a \"b\"\x7f\tc";
    job.direct = true;
    EXPECT_EQ("-graph -direct -docname \"a bc\"", PJobRunner::commandText("-graph", job));
    job.direct = false;
    job.documentName = "";
    EXPECT_EQ("-graph", PJobRunner::commandText("-graph", job));
    const size_t room = static_cast<size_t>(PJobGuard::kPrintProgramReads) - 1;
    job.documentName = std::string(600, 'n').c_str();
    const std::string options(room - 20, 'o');
    const std::string text = PJobRunner::commandText(options, job);
    EXPECT_EQ(room, text.size());
    EXPECT_EQ('"', text.back());
    EXPECT_EQ("", PJobRunner::commandText(std::string(room + 1, 'o'), job));
}
