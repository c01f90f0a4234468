#include "net/USockMessage.h"

#include "common/ULog.h"
#include "net/USock.h"
#include "net/USockMAbort.h"

#include <cstdint>

USockMessage::USockMessage() : type(0), timeout(-1.0), interval(0.1), chunk(kDefaultChunk) {}

USockMessage::~USockMessage() = default;

void USockMessage::copySettings(const USockMessage& other)
{
    timeout = other.timeout;
    deadline = other.deadline;
    messageDeadline = other.messageDeadline;
    interval = other.interval;
    chunk = other.chunk;
}

void USockMessage::startMessage() { messageDeadline = deadline.earlier(UDeadline::after(timeout)); }

double USockMessage::fieldLimit() const { return deadline.cut(messageDeadline.cut(timeout)); }

double USockMessage::pieceLimit() const { return deadline.cut(timeout); }

void USockMessage::putInt(unsigned char* out, int value)
{
    const std::uint32_t v = static_cast<std::uint32_t>(value);
    out[0] = static_cast<unsigned char>(v);
    out[1] = static_cast<unsigned char>(v >> 8);
    out[2] = static_cast<unsigned char>(v >> 16);
    out[3] = static_cast<unsigned char>(v >> 24);
}

int USockMessage::getInt(const unsigned char* in)
{
    const std::uint32_t v = static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
                            (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
    return static_cast<int>(v);
}

int USockMessage::readType(USock& socket)
{
    unsigned char bytes[4];
    const int got = socket.recv(reinterpret_cast<char*>(bytes), 4, fieldLimit(), interval, chunk);
    if (got != 4) {
        ULog::write("USockMessage::readType(): iRes!=sizeof(Type): could not read message type", ULog::Error);
        return -1;
    }
    return getInt(bytes);
}

bool USockMessage::checkAbort(int code, USock& socket, USockMAbort& abort)
{
    if (code != kAbort)
        return false;
    abort.read(socket);
    return true;
}

bool USockMessage::sendAbort(USock& socket, USockMAbort& abort) { return abort.write(socket); }
