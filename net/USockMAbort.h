#pragma once

#include "common/UException.h"
#include "net/USockMessage.h"

// Tells the peer that the exchange has failed and why: an exception record on the wire, as
// the type code 4 and five string messages (title, name, error, description, source).
// Either side may send one in place of any message the other expects.
class USockMAbort : public USockMessage, public UException {
public:
    USockMAbort();
    void setDefaults() override;

    bool write(USock& socket);
    // Receives the five strings of an abort whose type code the caller has already read.
    // Fields read before a failure keep the received texts, later ones what they held.
    bool read(USock& socket);
};
