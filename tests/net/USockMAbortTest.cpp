#include "NetTestSupport.h"

#include "common/ULog.h"
#include "net/USockMAbort.h"
#include "net/USockMAbortType.h"
#include "net/USockMString.h"

#include <thread>

namespace {

class USockMAbortTest : public NetTest {};

std::string str(int code, const std::string& text)
{
    return le32(code) + le32(static_cast<int>(text.size()) + 1) + text + std::string(1, '\0');
}

const std::string kDefaultAbort = le32(4) + str(1, "Communication error information:") + str(1, "USockMAbort") +
                                  str(1, "") + str(1, "") + str(1, "");

// Sends bytes as the peer and reads them as an abort whose code was already taken.
bool readAbort(const std::string& bytes, USockMAbort& abort)
{
    Loopback lo;
    sendRaw(lo.client, bytes);
    Loopback::shut(lo.client);
    USockMessage any;
    EXPECT_EQ(4, any.readType(lo.server));
    return abort.read(lo.server);
}

} // namespace

TEST_F(USockMAbortTest, DefaultAbortIsNinetyTwoBytes)
{
    ASSERT_EQ(92u, kDefaultAbort.size());
    USockMAbort a;
    EXPECT_EQ(4, a.type);
    EXPECT_EQ(UString("Communication error information:"), a.title);
    EXPECT_EQ(UString("USockMAbort"), a.name);
    EXPECT_EQ(-1.0, a.timeout);
    EXPECT_EQ(50000, a.chunk);

    Loopback lo;
    ASSERT_TRUE(a.write(lo.client));
    USockMessage any;
    ASSERT_TRUE(USockMAbort().write(lo.client));
    Loopback::shut(lo.client);
    EXPECT_EQ(kDefaultAbort + kDefaultAbort, recvAll(lo.server));
}

TEST_F(USockMAbortTest, AbortTypeTravelsAsAnOrdinaryAbort)
{
    USockMAbortType sent("msgFileName", 4097, 3);
    sent.setSource("unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )");
    EXPECT_EQ(4, sent.type);
    Loopback lo;
    USockMessage any;
    ASSERT_TRUE(any.sendAbort(lo.client, sent));

    USockMAbort got;
    const int code = any.readType(lo.server);
    ASSERT_EQ(4, code);
    ASSERT_TRUE(any.checkAbort(code, lo.server, got));
    EXPECT_EQ(UString("Communication error information:"), got.title);
    // The sender's kind replaces the receiver's default name.
    EXPECT_EQ(UString("USockMAbortType"), got.name);
    EXPECT_EQ(UString("Wrong message type received"), got.error);
    EXPECT_EQ(UString("Expected type was msgFileName (4097); received type was 3"), got.description);
    EXPECT_EQ(UString("unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )"), got.source);

    // Printed by the receiver, it is the peer's report under the peer's title.
    got.print(ULog::Error, 0);
    EXPECT_EQ("Error: Communication error information:\r\n"
              "Error: \tException Name: USockMAbortType\r\n"
              "Error: \tError Message: Wrong message type received\r\n"
              "Error: \tDescription: Expected type was msgFileName (4097); received type was 3\r\n"
              "Error: \tSource: unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )\r\n",
              log());

    USockMAbortType cmd("msgCmdLine", 4096, -1);
    EXPECT_EQ(UString("Expected type was msgCmdLine (4096); received type was -1"), cmd.description);
}

TEST_F(USockMAbortTest, CheckAbortReadsOnlyForCodeFour)
{
    Loopback lo;
    sendRaw(lo.client, "next");
    USockMessage any;
    USockMAbort abort;
    EXPECT_FALSE(any.checkAbort(1, lo.server, abort));
    EXPECT_FALSE(any.checkAbort(4096, lo.server, abort));
    // Nothing was taken from the connection.
    EXPECT_EQ("next", recvAll(lo.server, 4));

    // Code 4 on a connection that closes after it: still an abort, with what it holds.
    Loopback::shut(lo.client);
    EXPECT_TRUE(any.checkAbort(4, lo.server, abort));
    EXPECT_TRUE(logged("USockMAbort::read(): title: received message is not a string"));
    EXPECT_EQ(UString("USockMAbort"), abort.name);
}

TEST_F(USockMAbortTest, WrongCodeInsideTheBodyNamesTheField)
{
    USockMAbort got;
    got.setError("kept");
    const std::string bytes = le32(4) + str(1, "Their title:") + str(3, "TheirName") + str(1, "e");
    EXPECT_FALSE(readAbort(bytes, got));
    EXPECT_TRUE(logged("USockMAbort::read(): name: received message is not a string"));
    EXPECT_EQ(UString("Their title:"), got.title);
    EXPECT_EQ(UString("USockMAbort"), got.name);
    EXPECT_EQ(UString("kept"), got.error);
}

TEST_F(USockMAbortTest, TruncatedAbortFailsInTheFieldItStopsIn)
{
    const std::string whole = le32(4) + str(1, "T") + str(1, "N") + str(1, "E") + str(1, "D") + str(1, "S");
    const char* fields[] = {"title", "name", "error", "description", "source"};
    const size_t each = 10; // code, size, one character and its zero byte
    for (size_t cut = 4; cut < whole.size(); ++cut) {
        clearLog();
        USockMAbort got;
        EXPECT_FALSE(readAbort(whole.substr(0, cut), got)) << cut;
        const size_t field = (cut - 4) / each;
        const size_t within = (cut - 4) % each;
        const std::string line = std::string("USockMAbort::read(): ") + fields[field] +
                                 (within < 4 ? ": received message is not a string" : ": could not read");
        EXPECT_TRUE(logged(line)) << cut << "\n" << log();
        if (field > 0) {
            EXPECT_EQ(UString("T"), got.title) << cut;
        }
        if (field < 2) {
            EXPECT_EQ(UString("USockMAbort"), got.name) << cut;
        }
    }
    USockMAbort got;
    EXPECT_TRUE(readAbort(whole, got));
    EXPECT_EQ(UString("S"), got.source);
}

TEST_F(USockMAbortTest, WriteToAPeerThatHasGoneFails)
{
    Loopback lo;
    Loopback::shut(lo.server);
    USockMAbort a;
    a.setDescription(std::string(4 * 1000 * 1000, 'd').c_str());
    bool ok = true;
    for (int i = 0; i < 20 && ok; ++i)
        ok = a.write(lo.client);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(logged("USockMAbort::write(): could not send title") ||
                logged("USockMAbort::write(): iRes==sizeof(Type): could not send type"));
}
