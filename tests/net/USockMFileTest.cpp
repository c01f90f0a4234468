#include "NetTestSupport.h"

#include "net/USockMFileFontList.h"
#include "net/USockMFileLog.h"
#include "net/USockMFileName.h"
#include "net/USockMFilePrintList.h"
#include "net/USockMFileResList.h"
#include "net/USockMFileResponse.h"
#include "net/USockMFileVersion.h"

#include <cstdio>
#include <filesystem>
#include <thread>

namespace {

class USockMFileTest : public NetTest {};

std::string str(int code, const std::string& text)
{
    return le32(code) + le32(static_cast<int>(text.size()) + 1) + text + std::string(1, '\0');
}

const char* const kContentFailed = "USockMFile::read(): iRes==currentChunk: could not read file content";

// What a file message of this type announcing name with content looks like on the wire.
std::string wire(int code, const std::string& name, const std::string& content)
{
    return le32(code) + str(1, name) + le32(static_cast<int>(content.size())) + content;
}

// Sends a file from one thread and receives it in another; returns both results.
void roundTrip(USockMFile& out, USockMFile& in, bool& sent, bool& received)
{
    Loopback lo;
    std::thread writer([&] { sent = out.write(lo.client); });
    USockMessage any;
    const int code = any.readType(lo.server);
    EXPECT_EQ(out.type, code);
    received = code == in.type && in.read(lo.server);
    writer.join();
    // The content switches the sockets to non-blocking once; both ends are put back.
    EXPECT_EQ(1, lo.client.blocking);
    EXPECT_EQ(1, lo.server.blocking);
}

} // namespace

TEST_F(USockMFileTest, FamilyCodes)
{
    EXPECT_EQ(3, USockMFile("a", "b").type);
    EXPECT_EQ(0x1001, USockMFileName("a", "b").type);
    EXPECT_EQ(0x1002, USockMFileResponse("a", "b").type);
    EXPECT_EQ(0x1002, USockMFilePrintList("a", "b").type);
    EXPECT_EQ(0x1003, USockMFileFontList("a", "b").type);
    EXPECT_EQ(0x1004, USockMFileResList("a", "b").type);
    EXPECT_EQ(0x1005, USockMFileVersion("a", "b").type);
    EXPECT_EQ(0x1006, USockMFileLog("a", "b").type);
    USockMFileLog f("a", "b");
    EXPECT_FALSE(f.append);
    EXPECT_EQ(50000, f.chunk);
}

TEST_F(USockMFileTest, PrintListIsThirtyTwoBytesAndResponseDiffersOnlyInTheName)
{
    const std::string local = scratch("src.txt");
    writeAll(local, "abc");
    for (int kind = 0; kind < 2; ++kind) {
        Loopback lo;
        const char* announced = kind == 0 ? "prntlist.txt" : "response.txt";
        bool ok = false;
        if (kind == 0) {
            USockMFilePrintList m(local.c_str(), announced);
            ok = m.write(lo.client);
        } else {
            USockMFileResponse m(local.c_str(), announced);
            ok = m.write(lo.client);
        }
        ASSERT_TRUE(ok);
        Loopback::shut(lo.client);
        const std::string got = recvAll(lo.server);
        EXPECT_EQ(wire(0x1002, announced, "abc"), got);
        if (kind == 0) {
            EXPECT_EQ(32u, got.size());
            EXPECT_EQ(std::string("\x02\x10\x00\x00\x01\x00\x00\x00\x0d\x00\x00\x00prntlist.txt\x00\x03\x00\x00\x00" "abc", 32), got);
        }
    }
}

TEST_F(USockMFileTest, ContentOfEverySizeArrivesWhole)
{
    for (size_t size : {size_t(0), size_t(1), size_t(49999), size_t(50000), size_t(50001), size_t(100000),
                        size_t(1234567)}) {
        const std::string local = scratch("src.bin");
        const std::string target = scratch("dst.bin");
        const std::string content = pattern(size, static_cast<unsigned>(size));
        writeAll(local, content);
        // A stale longer file is replaced, not overwritten in place.
        writeAll(target, std::string(size + 10, 'S'));
        USockMFileName out(local.c_str(), "announced.txt");
        USockMFileName in("", target.c_str());
        bool sent = false, received = false;
        roundTrip(out, in, sent, received);
        EXPECT_TRUE(sent) << size;
        EXPECT_TRUE(received) << size;
        EXPECT_TRUE(readAll(target) == content) << size;
        EXPECT_EQ(UString(target.c_str()), in.remoteName);
    }
}

TEST_F(USockMFileTest, EmptyTargetTakesTheAnnouncedNameAndAppendAppends)
{
    const std::string local = scratch("src.txt");
    const std::string announced = scratch("announced.txt");
    writeAll(local, "hello");
    USockMFileLog out(local.c_str(), announced.c_str());
    USockMFileLog in("", "");
    bool sent = false, received = false;
    roundTrip(out, in, sent, received);
    EXPECT_TRUE(sent && received);
    EXPECT_EQ(UString(announced.c_str()), in.remoteName);
    EXPECT_EQ("hello", readAll(announced));

    USockMFileLog more("", announced.c_str());
    more.append = true;
    roundTrip(out, more, sent, received);
    EXPECT_TRUE(sent && received);
    EXPECT_EQ("hellohello", readAll(announced));
}

TEST_F(USockMFileTest, UncreatableTargetFailsBeforeTheContentIsRead)
{
    const std::string target = scratch("no_such_dir") + "/x.txt";
    for (bool append : {false, true}) {
        Loopback lo;
        sendRaw(lo.client, str(1, "whatever") + le32(4) + "DATA");
        USockMFileName in("", target.c_str());
        in.append = append;
        EXPECT_FALSE(in.read(lo.server));
        const std::string line = "USockMFile::read(): iRes==sizeof(Type): could not open file " + target +
                                 (append ? " for appending" : " for writeing");
        EXPECT_TRUE(logged(line)) << log();
        // The content is still on the connection.
        EXPECT_EQ("DATA", recvAll(lo.server, 4));
    }
}

TEST_F(USockMFileTest, NegativeSizeIsRefusedBeforeTheTargetIsTouched)
{
    const std::string target = scratch("dst.txt");
    writeAll(target, "precious");
    Loopback lo;
    sendRaw(lo.client, str(1, "n") + le32(-5));
    USockMFileName in("", target.c_str());
    EXPECT_FALSE(in.read(lo.server));
    EXPECT_TRUE(logged(kContentFailed));
    EXPECT_EQ("precious", readAll(target));
}

TEST_F(USockMFileTest, NameThatIsNotAStringFails)
{
    Loopback lo;
    sendRaw(lo.client, str(3, "name") + le32(0));
    USockMFileName in("", scratch("dst.txt").c_str());
    EXPECT_FALSE(in.read(lo.server));
    EXPECT_TRUE(logged("USockMFile::read(): received message is not a string"));
}

TEST_F(USockMFileTest, TruncatedStreamFailsAtEveryFieldBoundary)
{
    const std::string target = scratch("dst.bin");
    const std::string name = "f.txt";
    const std::string content = pattern(60000);
    const std::string whole = wire(0x1001, name, content);
    const size_t nameEnd = 4 + 8 + name.size() + 1;
    const size_t sizeEnd = nameEnd + 4;
    std::vector<size_t> cuts;
    for (size_t c = 4; c <= sizeEnd + 2; ++c)
        cuts.push_back(c);
    for (size_t c : {sizeEnd + 49999, sizeEnd + 50000, sizeEnd + 50001, whole.size() - 1})
        cuts.push_back(c);
    for (size_t cut : cuts) {
        clearLog();
        Loopback lo;
        std::thread writer([&] {
            sendRaw(lo.client, whole.substr(0, cut));
            Loopback::shut(lo.client);
        });
        USockMessage any;
        ASSERT_EQ(0x1001, any.readType(lo.server));
        USockMFileName in("", target.c_str());
        EXPECT_FALSE(in.read(lo.server)) << cut;
        writer.join();
        EXPECT_EQ(1, lo.server.blocking) << cut;
        const char* line = cut < 8          ? "USockMFile::read(): received message is not a string"
                           : cut < nameEnd  ? "USockMFile::read(): could not read file name"
                           : cut < sizeEnd  ? "USockMFile::read(): iRes==sizeof(Type): could not read file size"
                                            : kContentFailed;
        EXPECT_TRUE(logged(line)) << cut << "\n" << log();
    }
}

TEST_F(USockMFileTest, MissingLocalFileSendsNothing)
{
    Loopback lo;
    USockMFilePrintList out(scratch("absent.txt").c_str(), "prntlist.txt");
    EXPECT_FALSE(out.write(lo.client));
    EXPECT_TRUE(logged("USockMFile::write(): file==NULL: could not open file"));
    Loopback::shut(lo.client);
    EXPECT_EQ("", recvAll(lo.server));
}

TEST_F(USockMFileTest, ReceiverThatGoesAwayEndsTheSending)
{
    const std::string local = scratch("src.bin");
    writeAll(local, pattern(30 * 1000 * 1000));
    Loopback lo;
    bool sent = true;
    USockMFileName out(local.c_str(), "big.bin");
    std::thread writer([&] { sent = out.write(lo.client); });
    EXPECT_EQ(wire(0x1001, "big.bin", "").substr(0, 20), recvAll(lo.server, 20));
    Loopback::shut(lo.server);
    writer.join();
    EXPECT_FALSE(sent);
    EXPECT_TRUE(logged("USockMFile::write(): iRes!=n: could not send buf"));
}

// The file changes after its size was announced: the receiver still gets exactly that many
// bytes. The connection's buffers hold far less than half the file, so the sender cannot
// have read past the point of change before the change is made.
TEST_F(USockMFileTest, FileThatShrinksOrGrowsKeepsTheAnnouncedSize)
{
    const size_t size = 40 * 1000 * 1000;
    const size_t kept = size / 2;
    for (bool grow : {false, true}) {
        const std::string local = scratch("src.bin");
        const std::string target = scratch("dst.bin");
        const std::string content = pattern(size, 7);
        writeAll(local, content);
        Loopback lo;
        bool sent = false;
        USockMFileName out(local.c_str(), "changing.bin");
        std::thread writer([&] { sent = out.write(lo.client); });
        // Type, name and size: once they are here, the size has been measured.
        const std::string header = wire(0x1001, "changing.bin", "").substr(0, 4 + 8 + 13);
        ASSERT_EQ(header, recvAll(lo.server, static_cast<int>(header.size())));
        ASSERT_EQ(le32(static_cast<int>(size)), recvAll(lo.server, 4));
        if (grow) {
            std::FILE* f = std::fopen(local.c_str(), "ab");
            ASSERT_NE(nullptr, f);
            std::fwrite("EXTRA", 1, 5, f);
            std::fclose(f);
        } else {
            std::filesystem::resize_file(local, kept);
        }
        const std::string got = recvAll(lo.server, static_cast<int>(size));
        writer.join();
        EXPECT_TRUE(sent);
        ASSERT_EQ(size, got.size());
        if (grow) {
            EXPECT_TRUE(got == content);
        } else {
            EXPECT_TRUE(got.compare(0, kept, content, 0, kept) == 0);
            EXPECT_TRUE(got.find_first_not_of('\0', kept) == std::string::npos);
        }
        // Nothing follows the announced bytes.
        Loopback::shut(lo.client);
        EXPECT_EQ("", recvAll(lo.server));
    }
}
