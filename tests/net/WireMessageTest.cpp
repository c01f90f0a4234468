#include "NetTestSupport.h"

#include "common/UStopWatch.h"
#include "net/USockMAbort.h"
#include "net/USockMCmdline.h"
#include "net/USockMFileName.h"
#include "net/USockMFilePrintList.h"

#include <fstream>
#include <thread>

namespace {

const char* const kTypeFailed = "USockMessage::readType(): iRes!=sizeof(Type): could not read message type";
const char* const kBodyFailed = "USockMString::read(): iRes!=size: could not read message body";
const char* const kContentFailed = "USockMFile::read(): iRes==currentChunk: could not read file content";

enum Kind { Cmdline, Abort, File };

// What a reader of kind makes of bytes a peer sent and then closed on (the type code is
// read first, as the programs do). Content moves in pieces of 4 bytes, so that short
// content crosses piece boundaries.
bool readAs(Kind kind, const std::string& bytes, USockMFile& file, USockMAbort& abort)
{
    Loopback lo;
    sendRaw(lo.client, bytes);
    shut(lo.client);
    USockMCmdline line;
    line.chunk = file.chunk = 4;
    const int code = line.readType(lo.server);
    const bool ok = kind == Cmdline ? code == line.type && line.read(lo.server)
                    : kind == Abort ? code == abort.type && abort.read(lo.server)
                                    : code == file.type && file.read(lo.server);
    // Content switches the socket to non-blocking once; it is put back however it ends.
    EXPECT_EQ(1, lo.server.blocking);
    return ok;
}

// Sends out from a thread of its own while in reads the other end.
bool roundTrip(USockMFile& out, USockMFile& in)
{
    Loopback lo;
    bool sent = false;
    std::thread writer([&] { sent = out.write(lo.client); });
    const bool received = in.readType(lo.server) == in.type && in.read(lo.server);
    writer.join();
    return sent && received;
}

} // namespace

TEST(WireMessage, TheBytesOfACommandLineAFileListAndAnAbort)
{
    testsupport::TempDir tmp;
    writeAll((tmp / "src.txt").string(), "abc");
    Loopback lo;
    ASSERT_TRUE(USockMCmdline("-printlist").write(lo.client));
    ASSERT_TRUE(USockMFilePrintList((tmp / "src.txt").string().c_str(), "prntlist.txt").write(lo.client));
    ASSERT_TRUE(USockMAbort().write(lo.client));
    shut(lo.client);
    EXPECT_EQ(std::string("\x00\x10\x00\x00\x0b\x00\x00\x00-printlist\x00", 19) +
                  std::string("\x02\x10\x00\x00\x01\x00\x00\x00\x0d\x00\x00\x00prntlist.txt\x00\x03\x00\x00\x00"
                              "abc", 32) +
                  abortMsg("", "", ""),
              recvAll(lo.server));
}

TEST(WireMessage, StringSizesAreJudgedBeforeTheBodyIsAwaited)
{
    // The text ends at the first zero byte, or at the body's end and not one byte past it;
    // a whole megabyte is the most a string may announce.
    const std::string longest(USockMString::kMaxSize - 1, 'm');
    const std::pair<std::string, std::string> good[] = {
        {le32(5) + std::string("AB\0XY", 5), "AB"}, {le32(3) + "ABCDEF", "ABC"}, {strMsg(longest).substr(4), longest}};
    for (const auto& c : good) {
        Loopback lo;
        std::thread writer([&] { sendRaw(lo.client, c.first); });
        USockMString m;
        EXPECT_TRUE(m.read(lo.server) && m.text == c.second.c_str());
        writer.join();
    }
    for (int size : {0, -1, -2147483647 - 1, USockMString::kMaxSize + 1, 0x7fffffff}) {
        testsupport::LogCapture log;
        Loopback lo;
        sendRaw(lo.client, le32(size));
        USockMString m("before");
        m.timeout = 5.0;
        UStopWatch w;
        w.start();
        // The peer stays connected: a reader that waited for the body would wait 5 s.
        EXPECT_FALSE(m.read(lo.server)) << size;
        EXPECT_LT(w.stopAndSeconds(), 2.0f) << size;
        EXPECT_TRUE(m.text == "before" && logged(log, kBodyFailed)) << size;
    }
}

// Every message cut at every byte, and wrong codes inside one: the read fails with the log
// line of the field it stopped in.
TEST(WireMessage, CutStreamsAndWrongTypesFailInTheirField)
{
    testsupport::TempDir tmp;
    USockMFileName file("", (tmp / "dst.bin").string().c_str());
    struct Stream {
        Kind kind;
        std::string whole;
        std::vector<std::pair<size_t, std::string>> fields; // end offset, log line
    };
    std::vector<Stream> streams = {
        {Cmdline, strMsg("-printlist", 0x1000),
         {{4, kTypeFailed}, {8, "USockMString::read(): iRes!=sizeof(Size): could not read message size"}, {19, kBodyFailed}}},
        {File, fileMsg(0x1001, "f.txt", "0123456789"),
         {{4, kTypeFailed}, {8, "USockMFile::read(): received message is not a string"}, {18, "USockMFile::read(): could not read file name"},
          {22, "USockMFile::read(): iRes==sizeof(Type): could not read file size"}, {32, kContentFailed}}},
        {Abort, le32(4) + strMsg("T") + strMsg("N") + strMsg("E") + strMsg("D") + strMsg("S"), {{4, kTypeFailed}}},
    };
    size_t end = 4;
    for (const char* field : {"title", "name", "error", "description", "source"}) {
        const std::string prefix = std::string("USockMAbort::read(): ") + field;
        streams[2].fields.push_back({end += 4, prefix + ": received message is not a string"});
        streams[2].fields.push_back({end += 6, prefix + ": could not read"});
    }
    USockMAbort abort;
    for (const Stream& s : streams) {
        EXPECT_TRUE(readAs(s.kind, s.whole, file, abort)) << s.kind;
        for (size_t cut = 0, f = 0; cut < s.whole.size(); ++cut) {
            testsupport::LogCapture log;
            f += s.fields[f].first <= cut ? 1 : 0;
            EXPECT_FALSE(readAs(s.kind, s.whole.substr(0, cut), file, abort)) << s.kind << " cut " << cut;
            EXPECT_TRUE(logged(log, s.fields[f].second)) << s.kind << " cut " << cut << "\n" << log.text();
        }
    }
    EXPECT_EQ(UString("S"), abort.source);
    // Fields before the failure keep the texts received, later ones what they held.
    USockMAbort partial;
    partial.setError("kept");
    EXPECT_FALSE(readAs(Abort, le32(4) + strMsg("Their title:") + strMsg("TheirName", 3), file, partial));
    EXPECT_TRUE(partial.title == "Their title:" && partial.name == "USockMAbort" && partial.error == "kept");
}

TEST(WireMessage, FilesArriveWholeOrAreRefusedBeforeTheTargetIsTouched)
{
    testsupport::TempDir tmp;
    const std::string local = (tmp / "src.bin").string();
    const std::string target = (tmp / "dst.bin").string();
    // Pieces of 4 bytes: none, a short last piece, whole pieces only. With no target given
    // the announced name is written, a stale longer file replaced; append appends.
    for (const std::string content : {"", "012345678", "ABCDEFGHIJKL"}) {
        writeAll(local, content);
        writeAll(target, "stale content");
        USockMFileName out(local.c_str(), target.c_str()), in("", ""), more("", target.c_str());
        out.chunk = in.chunk = 4;
        more.append = true;
        EXPECT_TRUE(roundTrip(out, in) && roundTrip(out, more)) << content;
        EXPECT_TRUE(in.remoteName == target.c_str() && readAll(target) == content + content) << content;
    }
    testsupport::LogCapture log;
    USockMAbort unused;
    for (bool append : {false, true}) {
        const std::string bad = (tmp / "no_such_dir" / "x.txt").string();
        USockMFileName in("", bad.c_str());
        in.append = append;
        EXPECT_FALSE(readAs(File, fileMsg(0x1001, "x", "DATA"), in, unused));
        EXPECT_TRUE(logged(log, "USockMFile::read(): iRes==sizeof(Type): could not open file " + bad +
                                    (append ? " for appending" : " for writeing")));
    }
    USockMFileName in("", target.c_str());
    EXPECT_FALSE(readAs(File, fileMsg(0x1001, "n", "").substr(0, 14) + le32(-5), in, unused));
    EXPECT_TRUE(logged(log, kContentFailed));
    EXPECT_EQ("ABCDEFGHIJKLABCDEFGHIJKL", readAll(target));
}

// The file changes after its size was announced: the receiver still gets exactly the
// announced bytes. The connection's buffers hold far less than half the file, so the
// sender cannot have read past the change before it is made.
TEST(WireMessage, SendingKeepsTheAnnouncedSize)
{
    testsupport::TempDir tmp;
    const std::string local = (tmp / "src.bin").string();
    const size_t size = 40 * 1000 * 1000;
    const std::string content = pattern(size, 7);
    for (bool grow : {false, true}) {
        writeAll(local, content);
        Loopback lo;
        bool sent = false;
        std::thread writer([&] { sent = USockMFileName(local.c_str(), "changing.bin").write(lo.client); });
        // Type, name and size: once they are here, the size has been measured.
        const std::string header = fileMsg(0x1001, "changing.bin", "").substr(0, 25) + le32(static_cast<int>(size));
        ASSERT_EQ(header, recvAll(lo.server, static_cast<int>(header.size())));
        if (grow)
            std::ofstream(local, std::ios::binary | std::ios::app) << "EXTRA";
        else
            std::filesystem::resize_file(local, size / 2);
        const std::string got = recvAll(lo.server, static_cast<int>(size));
        writer.join();
        // Nothing follows the announced bytes.
        shut(lo.client);
        EXPECT_TRUE(sent && recvAll(lo.server).empty());
        ASSERT_EQ(size, got.size());
        EXPECT_TRUE(got.compare(0, size / 2, content, 0, size / 2) == 0);
        EXPECT_TRUE(grow ? got == content : got.find_first_not_of('\0', size / 2) == std::string::npos);
    }
}
