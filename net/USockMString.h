#pragma once

#include "common/UString.h"
#include "net/USockMessage.h"

// A string on the wire: type code, size, then the text and one zero byte (the size counts
// the zero byte). Also the building block inside abort and file messages.
class USockMString : public USockMessage {
public:
    // The most bytes a received size may announce. Nothing the protocol carries as a string
    // (a command line, a file name, an error text) comes near it; a larger size can only be
    // a broken or hostile stream and is refused before anything is allocated for it.
    static constexpr int kMaxSize = 1024 * 1024;

    USockMString();
    explicit USockMString(const UString& s);

    void setText(const UString& s);
    // Sends the whole message, type code included, in one transfer.
    bool write(USock& socket);
    // Receives size and body of a string whose type code the caller has already read.
    // text changes only when the whole body has arrived.
    bool read(USock& socket);

    UString text;
};
