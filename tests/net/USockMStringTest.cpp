#include "NetTestSupport.h"

#include "common/UStopWatch.h"
#include "net/USockMCmdline.h"
#include "net/USockMString.h"

#include <thread>

namespace {

class USockMStringTest : public NetTest {};

const char* const kTypeFailed = "USockMessage::readType(): iRes!=sizeof(Type): could not read message type";
const char* const kSizeFailed = "USockMString::read(): iRes!=sizeof(Size): could not read message size";
const char* const kBodyFailed = "USockMString::read(): iRes!=size: could not read message body";

// Reads one string message from raw bytes a peer sent; the text before the read is "before".
bool readFrom(const std::string& bytes, USockMString& m, bool closeAfter = true)
{
    Loopback lo;
    sendRaw(lo.client, bytes);
    if (closeAfter)
        Loopback::shut(lo.client);
    return m.read(lo.server);
}

} // namespace

TEST_F(USockMStringTest, CommandLineIsNineteenBytesAndReadsBack)
{
    Loopback lo;
    USockMCmdline out("-printlist");
    EXPECT_EQ(0x1000, out.type);
    ASSERT_TRUE(out.write(lo.client));
    Loopback::shut(lo.client);
    const std::string wire = recvAll(lo.server);
    EXPECT_EQ(std::string("\x00\x10\x00\x00\x0b\x00\x00\x00-printlist\x00", 19), wire);

    Loopback again;
    ASSERT_TRUE(out.write(again.client));
    USockMessage any;
    const int code = any.readType(again.server);
    ASSERT_EQ(USockMessage::kCmdline, code);
    // A reader expecting a plain string sees the difference at the type check.
    EXPECT_FALSE(USockMString().type == code);
    USockMCmdline in;
    ASSERT_TRUE(in.type == code);
    ASSERT_TRUE(in.read(again.server));
    EXPECT_EQ(UString("-printlist"), in.text);
    EXPECT_EQ(0x1000, in.type);
}

TEST_F(USockMStringTest, EmptyTextAndChunkBoundaries)
{
    for (int length : {0, 1, 50000 - 9, 50000 - 8, 120000}) {
        Loopback lo;
        const std::string text(static_cast<size_t>(length), 'k');
        USockMString out(UString(text.c_str()));
        std::string wire;
        std::thread reader([&] { wire = recvAll(lo.server, length + 9); });
        ASSERT_TRUE(out.write(lo.client));
        reader.join();
        ASSERT_EQ(static_cast<size_t>(length) + 9, wire.size());
        EXPECT_EQ(std::string("\x01\x00\x00\x00", 4) + le32(length + 1) + text + std::string(1, '\0'), wire);

        Loopback back;
        USockMString in("before");
        std::thread writer([&] { sendRaw(back.client, wire.substr(4)); });
        ASSERT_TRUE(in.read(back.server)) << length;
        writer.join();
        EXPECT_EQ(length, in.text.length());
        EXPECT_TRUE(in.text == text.c_str());
    }
}

TEST_F(USockMStringTest, BodyTextEndsAtTheFirstZeroOrAtTheBodyEnd)
{
    USockMString m;
    ASSERT_TRUE(readFrom(le32(5) + std::string("AB\0XY", 5), m));
    EXPECT_EQ(UString("AB"), m.text);
    // No zero byte at all: every byte of the body, and not one byte past it.
    ASSERT_TRUE(readFrom(le32(3) + "ABC" + "DEF", m));
    EXPECT_EQ(UString("ABC"), m.text);
}

TEST_F(USockMStringTest, ImpossibleSizesFailBeforeTheBodyIsAwaited)
{
    // Largest size taken: a whole megabyte.
    {
        Loopback lo;
        const std::string body(USockMString::kMaxSize - 1, 'm');
        USockMString m;
        std::thread writer([&] { sendRaw(lo.client, le32(USockMString::kMaxSize) + body + std::string(1, '\0')); });
        EXPECT_TRUE(m.read(lo.server));
        writer.join();
        EXPECT_EQ(USockMString::kMaxSize - 1, m.text.length());
    }
    for (int size : {0, -1, -2147483647 - 1, USockMString::kMaxSize + 1, 0x7fffffff}) {
        USockMString m("before");
        m.timeout = 5.0;
        UStopWatch w;
        w.start();
        // The peer stays connected: a reader that waited for the body would wait 5 s.
        EXPECT_FALSE(readFrom(le32(size), m, false)) << size;
        EXPECT_LT(w.stopAndSeconds(), 2.0f) << size;
        EXPECT_EQ(UString("before"), m.text);
    }
    EXPECT_TRUE(logged(kBodyFailed));
    EXPECT_FALSE(logged(kSizeFailed));
}

TEST_F(USockMStringTest, TruncatedStreamFailsAtEveryByte)
{
    const std::string whole = std::string("\x00\x10\x00\x00\x0b\x00\x00\x00-printlist\x00", 19);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        clearLog();
        Loopback lo;
        sendRaw(lo.client, whole.substr(0, cut));
        Loopback::shut(lo.client);
        USockMessage any;
        USockMCmdline m("before");
        const int code = any.readType(lo.server);
        if (cut < 4) {
            EXPECT_EQ(-1, code);
            EXPECT_NE(std::string::npos, log().find(kTypeFailed)) << cut;
            continue;
        }
        ASSERT_EQ(USockMessage::kCmdline, code);
        EXPECT_FALSE(m.read(lo.server)) << cut;
        EXPECT_EQ(UString("before"), m.text);
        EXPECT_NE(std::string::npos, log().find(cut < 8 ? kSizeFailed : kBodyFailed)) << cut;
    }
}

TEST_F(USockMStringTest, ReadTypeGivesUpAtTheTimeLimit)
{
    Loopback lo;
    sendRaw(lo.client, "\x01\x00");
    USockMessage m;
    m.timeout = 0.3;
    UStopWatch w;
    w.start();
    EXPECT_EQ(-1, m.readType(lo.server));
    EXPECT_GE(w.stopAndSeconds(), 0.25f);
    EXPECT_TRUE(logged(kTypeFailed));
}

TEST_F(USockMStringTest, WriteToAPeerThatHasGoneFails)
{
    Loopback lo;
    Loopback::shut(lo.server);
    const std::string text(8 * 1000 * 1000, 'w');
    USockMString m(UString(text.c_str()));
    bool ok = true;
    for (int i = 0; i < 20 && ok; ++i)
        ok = m.write(lo.client);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(logged("USockMString::write(): iRes==tSize: could not send message"));
}

TEST(USockMessageTest, DefaultsAndSettings)
{
    USockMessage plain;
    EXPECT_EQ(-1.0, plain.timeout);
    EXPECT_EQ(0.1, plain.interval);
    EXPECT_EQ(50000, plain.chunk);
    USockMString s;
    EXPECT_EQ(1, s.type);
    EXPECT_TRUE(s.text.isEmpty());
    plain.timeout = 3.5;
    plain.interval = -1.0;
    plain.chunk = 7;
    s.copySettings(plain);
    EXPECT_EQ(3.5, s.timeout);
    EXPECT_EQ(-1.0, s.interval);
    EXPECT_EQ(7, s.chunk);
    EXPECT_EQ(1, s.type);

    unsigned char b[4];
    USockMessage::putInt(b, -2);
    EXPECT_EQ(0xfe, b[0]);
    EXPECT_EQ(0xff, b[3]);
    EXPECT_EQ(-2, USockMessage::getInt(b));
    USockMessage::putInt(b, 0x1006);
    EXPECT_EQ(0x06, b[0]);
    EXPECT_EQ(0x10, b[1]);
}
