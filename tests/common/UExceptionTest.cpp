#include "common/UException.h"
#include "common/ULog.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using testsupport::readFile;

class UExceptionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ULog::reset();
        ULog::setStyle(ULog::ServerStyle);
        std::remove(name.c_str());
        ASSERT_TRUE(ULog::setStream(UString(name.c_str()), 0));
    }
    void TearDown() override
    {
        ULog::reset();
        std::remove(name.c_str());
    }
    const std::string name = "uexception_test_log.txt";
};

// A kind of record of its own, as the abort message is one.
class OtherKind : public UException {
public:
    OtherKind() { setDefaults(); }
    void setDefaults() override
    {
        name = "OtherKind";
        title = "Other information:";
    }
};

} // namespace

TEST_F(UExceptionTest, FreshRecordPrintsItsDefaultsAndEmptyLabels)
{
    UException e;
    e.print(ULog::Error, 0);
    EXPECT_EQ("Error: Exception information:\r\n"
              "Error: \tException Name: UException\r\n"
              "Error: \tError Message: \r\n"
              "Error: \tDescription: \r\n"
              "Error: \tSource: \r\n",
              readFile(name));
}

TEST_F(UExceptionTest, FieldsArePrintedAsUntrustedTextAtTheGivenLevel)
{
    UException e;
    e.setError("a\r\nb: c %s %n");
    e.setDescription("This may be a network layer error");
    e.setSource("unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )");
    e.print(ULog::Info, 0);
    EXPECT_EQ("Info: Exception information:\r\n"
              "Info: \tException Name: UException\r\n"
              "Info: \tError Message: a??b: c %s %n\r\n"
              "Info: \tDescription: This may be a network layer error\r\n"
              "Info: \tSource: unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )\r\n",
              readFile(name));
}

TEST_F(UExceptionTest, DerivedKindKeepsItsOwnNameThroughCopies)
{
    OtherKind k;
    EXPECT_EQ(UString("OtherKind"), k.name);
    EXPECT_EQ(UString("Other information:"), k.title);
    EXPECT_TRUE(k.error.isEmpty());
    k.setError("boom");
    OtherKind copy(k);
    UException& asBase = copy;
    asBase.print(ULog::Warning, 0);
    EXPECT_EQ("Warning: Other information:\r\n"
              "Warning: \tException Name: OtherKind\r\n"
              "Warning: \tError Message: boom\r\n"
              "Warning: \tDescription: \r\n"
              "Warning: \tSource: \r\n",
              readFile(name));
}
