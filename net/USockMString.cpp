#include "net/USockMString.h"

#include "common/ULog.h"
#include "net/USock.h"

#include <cstdlib>
#include <cstring>

USockMString::USockMString() { type = kString; }

USockMString::USockMString(const UString& s) : text(s) { type = kString; }

void USockMString::setText(const UString& s) { text = s; }

bool USockMString::write(USock& socket)
{
    const int n = text.length() + 1;
    unsigned char* buf = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(n) + 8));
    if (buf == nullptr) {
        ULog::write("USockMString::write(): buf==NULL: memory allocation error", ULog::Error);
        return false;
    }
    putInt(buf, type);
    putInt(buf + 4, n);
    std::memcpy(buf + 8, text.str(), static_cast<size_t>(n));
    const int sent = socket.send(reinterpret_cast<char*>(buf), n + 8, timeout, interval, chunk);
    std::free(buf);
    if (sent != n + 8) {
        ULog::write("USockMString::write(): iRes==tSize: could not send message", ULog::Error);
        return false;
    }
    return true;
}

bool USockMString::read(USock& socket)
{
    unsigned char sizeBytes[4];
    if (socket.recv(reinterpret_cast<char*>(sizeBytes), 4, timeout, interval, chunk) != 4) {
        ULog::write("USockMString::read(): iRes!=sizeof(Size): could not read message size", ULog::Error);
        return false;
    }
    const char* const bodyFailed = "USockMString::read(): iRes!=size: could not read message body";
    // Every string carries at least its zero byte; the size comes from the peer and is
    // judged before anything is allocated for it.
    const int size = getInt(sizeBytes);
    if (size < 1 || size > kMaxSize) {
        ULog::write(bodyFailed, ULog::Error);
        return false;
    }
    // One byte more than the body, always zero: a body without its zero byte ends there
    // and still gives all its bytes as the text.
    char* body = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
    if (body == nullptr) {
        ULog::write(bodyFailed, ULog::Error);
        return false;
    }
    body[size] = '\0';
    if (socket.recv(body, size, timeout, interval, chunk) != size) {
        std::free(body);
        ULog::write(bodyFailed, ULog::Error);
        return false;
    }
    text = body;
    std::free(body);
    return true;
}
