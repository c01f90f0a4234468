// Raw printing of a job's file on the in-memory printers of the native build, where every
// byte the spooler receives can be looked at, and the run mode's "default" program, which
// the POSIX side of the shell seam stands in for by running the file itself.
#include "print/FileJob.h"
#include "print/PrintArgs.h"
#include "printer/fake/FakeSpooler.h"
#include "tests/print/PrintTestSupport.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class FileJobPosix : public PrintWorkDir {
protected:
    void SetUp() override
    {
        PrintWorkDir::SetUp();
        FakeSpooler::clear();
        printer = &FakeSpooler::add("Virtual A4", "LPT1:", "Virtual A4 Driver");
        options.setDefaults();
        std::snprintf(options.filename, PrintArgs::kTextSize, "%s", "job.prn");
        std::snprintf(options.printername, PrintArgs::kTextSize, "%s", "Virtual A4");
    }
    void TearDown() override
    {
        EXPECT_EQ(0, FakeSpooler::openPrinters()) << "a printer was left open";
        FakeSpooler::clear();
        PrintWorkDir::TearDown();
    }

    FakeSpooler::Printer* printer = nullptr;
    PrintArgs options;
};

TEST_F(FileJobPosix, DirectSendsTheFileUnchangedAsOneDocument)
{
    std::string bytes = "line 1\r\nline 2\r\n\f\x1b(s0p12H\xe4\xf6\xfc\xff\r\n";
    writeFile("job.prn", bytes);
    std::snprintf(options.docname, PrintArgs::kTextSize, "%s", "Monthly report");
    EXPECT_TRUE(FileJob(options).printDirect());
    ASSERT_EQ(1u, printer->rawDocuments.size());
    const FakeSpooler::RawDocument& doc = printer->rawDocuments[0];
    EXPECT_EQ(bytes, doc.data) << "CR LF, form feeds and high bytes pass untranslated";
    EXPECT_EQ("Monthly report", doc.name);
    EXPECT_EQ(1, doc.writes) << "the whole document in one write";
    EXPECT_TRUE(doc.ended);
    EXPECT_EQ(Lines {}, logged());
}

TEST_F(FileJobPosix, DirectStopsAtTheFirstNulByte)
{
    writeFile("job.prn", std::string("0123456789\0after the NUL", 24));
    EXPECT_TRUE(FileJob(options).printDirect());
    ASSERT_EQ(1u, printer->rawDocuments.size());
    EXPECT_EQ("0123456789", printer->rawDocuments[0].data);
    EXPECT_EQ("Raport", printer->rawDocuments[0].name) << "the default document name";
}

TEST_F(FileJobPosix, DirectOfAnEmptyFileIsAnEmptyDocument)
{
    writeFile("job.prn", "");
    EXPECT_TRUE(FileJob(options).printDirect());
    ASSERT_EQ(1u, printer->rawDocuments.size());
    EXPECT_EQ("", printer->rawDocuments[0].data);
    EXPECT_TRUE(printer->rawDocuments[0].ended);
}

TEST_F(FileJobPosix, DirectReportsEachSpoolerFailureWithTheFilesMessage)
{
    writeFile("job.prn", "data");
    printer->startsDocument = false;
    EXPECT_FALSE(FileJob(options).printDirect());
    EXPECT_EQ((Lines { "Error: draxomeDirect() : cannot start document", "Error: draxomeDirect(): cannot print document" }),
              logged());
    EXPECT_TRUE(printer->rawDocuments.empty());
}

TEST_F(FileJobPosix, RunDefaultOpensTheFileItself)
{
    // Without associations, the POSIX side runs the document, which a script allows.
    writeFile("job.sh", "#!/bin/sh\nsleep 0.5\nprintf 'opened %s\\n' \"$0\" > \"$0.out\"\n");
    ASSERT_EQ(0, chmod("job.sh", 0755));
    std::snprintf(options.filename, PrintArgs::kTextSize, "%s", "job.sh");
    options.run = true;
    std::snprintf(options.runcommand, PrintArgs::kTextSize, "%s", "default");
    options.response = true;
    std::snprintf(options.responsepath, PrintArgs::kTextSize, "%s", "r.txt");
    EXPECT_TRUE(FileJob(options).copyAndRun());
    EXPECT_EQ("opened job.sh\n", readFile("r.txt"));
}

TEST_F(FileJobPosix, RunDefaultOnAFileThatCannotBeOpened)
{
    writeFile("job.txt", "plain text, no program behind it\n");
    std::snprintf(options.filename, PrintArgs::kTextSize, "%s", "job.txt");
    options.run = true;
    std::snprintf(options.runcommand, PrintArgs::kTextSize, "%s", "default");
    EXPECT_FALSE(FileJob(options).copyAndRun());
    EXPECT_EQ((Lines { "Error: Printfile::startPrinting() : could not run 'default' with 'job.txt'" }), logged());
}

} // namespace
