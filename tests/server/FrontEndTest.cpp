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

TEST(FrontEnd, ControlFileValuesAreTextAndPrintLinesNameTheFiles)
{
    const PLpdReceiver::Control c = PLpdReceiver::parseControl(
        "Hhost\x01one\nProot\nNsource \"name\"\nfdfA1\nldfA2\nodfA3\npdfA1\nUdfA1\nxdfA4\n\nT-cmdfile x\n");
    EXPECT_STREQ("hostone", c.host.str());
    EXPECT_STREQ("root", c.user.str());
    EXPECT_STREQ("source name", c.documentName.str());
    ASSERT_EQ(4u, c.files.size());
    const char* files[] = {"dfA1", "dfA2", "dfA3", "dfA1"};
    const bool direct[] = {false, true, true, false};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(files[i], c.files[i]);
        EXPECT_EQ(direct[i], c.direct[i]) << i;
    }
    EXPECT_STREQ("job", PLpdReceiver::parseControl("Nsource\nJjob\nJlater\n").documentName.str());
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

TEST(FrontEnd, PortsWithAndWithoutAnAddress)
{
    struct Case {
        PFrontEndPort::Kind kind;
        const char* text;
        const char* expected; // "host port queue", or null when refused
    };
    const Case cases[] = {
        {PFrontEndPort::Lpd, "515", "10.1.1.1 515 "},
        {PFrontEndPort::Lpd, "127.0.0.1:5515", "127.0.0.1 5515 "},
        {PFrontEndPort::Raw, "9100=reports", "10.1.1.1 9100 reports"},
        {PFrontEndPort::Raw, "127.0.0.2:9100=a=b", "127.0.0.2 9100 a=b"},
        {PFrontEndPort::Raw, "9100", nullptr},
        {PFrontEndPort::Raw, "9100=", nullptr},
        {PFrontEndPort::Lpd, "0", nullptr},
        {PFrontEndPort::Lpd, "65536", nullptr},
        {PFrontEndPort::Lpd, ":515", nullptr},
        {PFrontEndPort::Lpd, "5 15", nullptr},
        {PFrontEndPort::Lpd, "", nullptr},
    };
    for (const Case& c : cases) {
        PFrontEndPort port;
        const bool ok = PFrontEndPort::parse(c.kind, c.text, "10.1.1.1", port);
        EXPECT_EQ(c.expected != nullptr, ok) << c.text;
        if (ok && c.expected != nullptr) {
            EXPECT_EQ(c.expected, std::string(port.host.str()) + " " + std::to_string(port.port) + " " + port.queue.str())
                << c.text;
        }
    }
}
