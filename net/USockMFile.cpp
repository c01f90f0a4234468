#include "net/USockMFile.h"

#include "common/ULog.h"
#include "net/USock.h"
#include "net/USockMString.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void logError(const char* msg) { ULog::write(msg, ULog::Error); }

// Every piece of the content is one transfer, and a transfer on a blocking socket switches
// it to non-blocking and back. The content switches once for all its pieces instead: under
// Wine each switch is a round trip to the server, and two per piece add thousands of them
// to a large file. The mode is put back when the last piece has moved (restore), or when
// the content ends early.
class ContentMode {
public:
    explicit ContentMode(USock& s) : mSock(s), mWasBlocking(s.blocking)
    {
        if (mWasBlocking != 0)
            mSock.setNonBlocking();
    }
    ~ContentMode() { restore(); }
    ContentMode(const ContentMode&) = delete;
    ContentMode& operator=(const ContentMode&) = delete;

    bool restore()
    {
        if (mWasBlocking == 0 || mSock.blocking != 0)
            return true;
        return mSock.setBlocking();
    }

private:
    USock& mSock;
    const int mWasBlocking;
};

} // namespace

USockMFile::USockMFile(const UString& local, const UString& remote)
    : localName(local), remoteName(remote), append(false)
{
    type = kFile;
}

bool USockMFile::write(USock& socket)
{
    std::FILE* file = std::fopen(localName.str(), "rb");
    if (file == nullptr) {
        logError("USockMFile::write(): file==NULL: could not open file");
        return false;
    }
    unsigned char word[4];
    putInt(word, type);
    if (socket.send(reinterpret_cast<char*>(word), 4, timeout, interval, chunk) != 4) {
        logError("USockMFile::write(): iRes==sizeof(Type): could not send type");
        std::fclose(file);
        return false;
    }
    USockMString name(remoteName);
    if (!name.write(socket)) {
        logError("USockMFile::write(): could not send remoteName");
        std::fclose(file);
        return false;
    }
    if (std::fseek(file, 0, SEEK_END) != 0) {
        logError("USockMFile::write(): could not find file size");
        std::fclose(file);
        return false;
    }
    // The wire carries a signed 32-bit size: a file it cannot describe is not announced
    // with a wrong one.
    const long position = std::ftell(file);
    if (position < 0 || position > 0x7fffffffL) {
        logError("USockMFile::write(): could not find file size");
        std::fclose(file);
        return false;
    }
    const int size = static_cast<int>(position);
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        logError("USockMFile::write(): could not reset file position");
        std::fclose(file);
        return false;
    }
    putInt(word, size);
    if (socket.send(reinterpret_cast<char*>(word), 4, timeout, interval, chunk) != 4) {
        logError("USockMFile::write(): iRes==sizeof(Type): could not send type");
        std::fclose(file);
        return false;
    }
    const int piece = chunk < 1 ? 1 : chunk;
    char* buf = static_cast<char*>(std::malloc(static_cast<size_t>(piece)));
    if (buf == nullptr) {
        logError("USockMFile::write(): buf==NULL: memory allocation error");
        std::fclose(file);
        return false;
    }
    ContentMode mode(socket);
    int sent = 0;
    for (;;) {
        int n = static_cast<int>(std::fread(buf, 1, static_cast<size_t>(piece), file));
        if (n == 0) {
            std::memset(buf, 0, static_cast<size_t>(piece));
            n = piece;
        }
        if (n > size - sent)
            n = size - sent;
        sent += n;
        if (socket.send(buf, n, timeout, interval, chunk) != n || (sent == size && !mode.restore())) {
            logError("USockMFile::write(): iRes!=n: could not send buf");
            std::free(buf);
            std::fclose(file);
            return false;
        }
        if (sent == size) {
            std::free(buf);
            std::fclose(file);
            return true;
        }
    }
}

bool USockMFile::read(USock& socket)
{
    if (readType(socket) != kString) {
        logError("USockMFile::read(): received message is not a string");
        return false;
    }
    USockMString name;
    name.copySettings(*this);
    if (!name.read(socket)) {
        logError("USockMFile::read(): could not read file name");
        return false;
    }
    if (remoteName.isEmpty())
        remoteName = name.text;
    unsigned char word[4];
    if (socket.recv(reinterpret_cast<char*>(word), 4, timeout, interval, chunk) != 4) {
        logError("USockMFile::read(): iRes==sizeof(Type): could not read file size");
        return false;
    }
    const char* const contentFailed = "USockMFile::read(): iRes==currentChunk: could not read file content";
    const int size = getInt(word);
    if (size < 0) {
        // Refused before the target is created or truncated.
        logError(contentFailed);
        return false;
    }
    std::FILE* file = std::fopen(remoteName.str(), append ? "ab" : "wb");
    if (file == nullptr) {
        UString msg("USockMFile::read(): iRes==sizeof(Type): could not open file ");
        msg += remoteName;
        msg += append ? " for appending" : " for writeing";
        logError(msg.str());
        return false;
    }
    const int piece = chunk < 1 ? 1 : chunk;
    char* buf = static_cast<char*>(std::malloc(static_cast<size_t>(piece)));
    if (buf == nullptr) {
        logError("USockMFile::read(): buf==NULL: memory allocation error");
        std::fclose(file);
        return false;
    }
    ContentMode mode(socket);
    int received = 0;
    int n = piece;
    for (;;) {
        if (n > size - received)
            n = size - received;
        if (socket.recv(buf, n, timeout, interval, chunk) != n || (received + n == size && !mode.restore())) {
            logError(contentFailed);
            std::free(buf);
            std::fclose(file);
            return false;
        }
        received += n;
        if (std::fwrite(buf, 1, static_cast<size_t>(n), file) != static_cast<size_t>(n)) {
            // The read reports its write failure in these words.
            logError("USockMFile::write(): sRes!=n: could not write buf");
            std::free(buf);
            std::fclose(file);
            return false;
        }
        if (received == size) {
            std::free(buf);
            std::fclose(file);
            return true;
        }
    }
}
