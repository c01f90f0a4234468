#include "net/USockMString.h"

#include "common/ULog.h"
#include "net/USock.h"

#include <cstring>
#include <memory>
#include <new>

USockMString::USockMString() { type = kString; }

USockMString::USockMString(const UString& s) : text(s) { type = kString; }

void USockMString::setText(const UString& s) { text = s; }

bool USockMString::write(USock& socket)
{
    const int n = text.length() + 1;
    const std::unique_ptr<unsigned char[]> buf(new (std::nothrow) unsigned char[static_cast<size_t>(n) + 8]);
    if (!buf) {
        ULog::write("USockMString::write(): buf==NULL: memory allocation error", ULog::Error);
        return false;
    }
    putInt(buf.get(), type);
    putInt(buf.get() + 4, n);
    std::memcpy(buf.get() + 8, text.str(), static_cast<size_t>(n));
    const int sent = socket.send(reinterpret_cast<char*>(buf.get()), n + 8, fieldLimit(), interval, chunk);
    if (sent != n + 8) {
        ULog::write("USockMString::write(): iRes==tSize: could not send message", ULog::Error);
        return false;
    }
    return true;
}

bool USockMString::read(USock& socket)
{
    unsigned char sizeBytes[4];
    if (socket.recv(reinterpret_cast<char*>(sizeBytes), 4, fieldLimit(), interval, chunk) != 4) {
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
    const std::unique_ptr<char[]> body(new (std::nothrow) char[static_cast<size_t>(size) + 1]);
    if (!body || socket.recv(body.get(), size, fieldLimit(), interval, chunk) != size) {
        ULog::write(bodyFailed, ULog::Error);
        return false;
    }
    body[size] = '\0';
    text = body.get();
    return true;
}
