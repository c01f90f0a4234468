#include "net/USockMFile.h"

#include "common/UDirListing.h"
#include "common/UFile.h"
#include "common/ULog.h"
#include "net/USock.h"
#include "net/USockMString.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

bool logError(const char* msg)
{
    ULog::write(msg, ULog::Error);
    return false;
}

// The content's one buffer of chunk bytes; null when there is no memory for it.
std::unique_ptr<char[]> pieceBuffer(int piece) { return std::unique_ptr<char[]>(new (std::nothrow) char[piece]); }

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
    : localName(local), remoteName(remote), append(false), sizeLimit(-1), tooLarge(false)
{
    type = kFile;
}

bool USockMFile::write(USock& socket)
{
    UFile file(localName.str(), "rb");
    if (!file.isOpen())
        return logError("USockMFile::write(): file==NULL: could not open file");
    unsigned char word[4];
    putInt(word, type);
    if (socket.send(reinterpret_cast<char*>(word), 4, fieldLimit(), interval, chunk) != 4)
        return logError("USockMFile::write(): iRes==sizeof(Type): could not send type");
    USockMString name(remoteName);
    if (!name.write(socket))
        return logError("USockMFile::write(): could not send remoteName");
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return logError("USockMFile::write(): could not find file size");
    // The wire carries a signed 32-bit size: a file it cannot describe is not announced
    // with a wrong one.
    const long position = std::ftell(file.get());
    if (position < 0 || position > 0x7fffffffL)
        return logError("USockMFile::write(): could not find file size");
    const int size = static_cast<int>(position);
    if (std::fseek(file.get(), 0, SEEK_SET) != 0)
        return logError("USockMFile::write(): could not reset file position");
    putInt(word, size);
    if (socket.send(reinterpret_cast<char*>(word), 4, fieldLimit(), interval, chunk) != 4)
        return logError("USockMFile::write(): iRes==sizeof(Type): could not send type");
    const int piece = chunk < 1 ? 1 : chunk;
    const std::unique_ptr<char[]> buf = pieceBuffer(piece);
    if (!buf)
        return logError("USockMFile::write(): buf==NULL: memory allocation error");
    ContentMode mode(socket);
    // At least one piece, if only an empty one: an empty file's content is one empty send.
    int sent = 0;
    do {
        int n = static_cast<int>(std::fread(buf.get(), 1, static_cast<size_t>(piece), file.get()));
        if (n == 0) {
            std::memset(buf.get(), 0, static_cast<size_t>(piece));
            n = piece;
        }
        if (n > size - sent)
            n = size - sent;
        sent += n;
        if (socket.send(buf.get(), n, pieceLimit(), interval, chunk) != n || (sent == size && !mode.restore()))
            return logError("USockMFile::write(): iRes!=n: could not send buf");
    } while (sent < size);
    return true;
}

bool USockMFile::read(USock& socket)
{
    if (readType(socket) != kString)
        return logError("USockMFile::read(): received message is not a string");
    USockMString name;
    name.copySettings(*this);
    if (!name.read(socket))
        return logError("USockMFile::read(): could not read file name");
    if (remoteName.isEmpty())
        remoteName = name.text;
    unsigned char word[4];
    if (socket.recv(reinterpret_cast<char*>(word), 4, fieldLimit(), interval, chunk) != 4)
        return logError("USockMFile::read(): iRes==sizeof(Type): could not read file size");
    const char* const contentFailed = "USockMFile::read(): iRes==currentChunk: could not read file content";
    const int size = getInt(word);
    // Refused before the target is created or truncated.
    if (size < 0)
        return logError(contentFailed);
    if (sizeLimit >= 0 && size > sizeLimit) {
        tooLarge = true;
        return logError("USockMFile::read(): the announced size is beyond the limit");
    }
    const int piece = chunk < 1 ? 1 : chunk;
    const std::unique_ptr<char[]> buf = pieceBuffer(piece);
    if (!buf)
        return logError("USockMFile::read(): buf==NULL: memory allocation error");
    UFile file(remoteName.str(), append ? "ab" : "wb");
    if (!file.isOpen()) {
        UString msg("USockMFile::read(): iRes==sizeof(Type): could not open file ");
        // A name the peer chose may hold anything, line ends included.
        msg += ULog::untrusted(remoteName.str());
        msg += append ? " for appending" : " for writeing";
        return logError(msg.str());
    }
    ContentMode mode(socket);
    int received = 0;
    do {
        const int n = piece < size - received ? piece : size - received;
        if (socket.recv(buf.get(), n, pieceLimit(), interval, chunk) != n || (received + n == size && !mode.restore()))
            return dropPartial(file, contentFailed);
        received += n;
        // The read reports its write failure in these words.
        if (std::fwrite(buf.get(), 1, static_cast<size_t>(n), file.get()) != static_cast<size_t>(n))
            return dropPartial(file, "USockMFile::write(): sRes!=n: could not write buf");
    } while (received < size);
    return true;
}

bool USockMFile::dropPartial(UFile& file, const char* msg)
{
    logError(msg);
    // Half a file is worth nothing to anyone and only takes disk space; what an append
    // adds to is the caller's to keep.
    if (!append) {
        file.close();
        UDirListing::removeFile(remoteName.str());
    }
    return false;
}
