#pragma once

#include "common/UString.h"
#include "net/USockMessage.h"

class UFile;

// One whole file on the wire: type code, the announced name as a string message, the
// content size (signed 32-bit) and exactly that many content bytes. The content goes
// through one buffer of chunk bytes, so memory use does not grow with the file.
// The classes of this family differ only in their type code.
class USockMFile : public USockMessage {
public:
    USockMFile(const UString& localName, const UString& remoteName);

    // Sends localName's content announced as remoteName. Exactly the size measured at the
    // start is sent: a file that grows meanwhile is cut, one that shrinks is completed with
    // zero bytes, so the receiver is never left waiting for bytes that do not come.
    bool write(USock& socket);
    // Receives a file whose type code the caller has already read, into remoteName, or into
    // the announced name when remoteName is empty. That name is the peer's choice: a caller
    // that leaves remoteName empty must make sure the name is safe to write. A content that
    // does not arrive whole is removed again (unless appended).
    bool read(USock& socket);

    // Sending: the local file whose content is sent.
    UString localName;
    // Sending: the name announced to the peer. Receiving: the file written.
    UString remoteName;
    // Receiving: append to remoteName instead of replacing it.
    bool append;
    // Receiving: the largest content size taken, in bytes; negative: any. A larger announced
    // size is refused before the file is created, and sets tooLarge.
    long long sizeLimit;
    bool tooLarge;

private:
    // Logs msg, removes what was written of a content that did not arrive whole; false.
    bool dropPartial(UFile& file, const char* msg);
};
