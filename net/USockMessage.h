#pragma once

#include "common/UDeadline.h"

class USock;
class USockMAbort;

// The base of every wire message: a 32-bit type code followed by a body whose layout the
// code decides, with nothing else framing it. Integers on the wire are 32-bit little-endian
// two's complement. Each message carries the transfer settings its bytes move with.
// read and write are not virtual: every message class has its own pair, and callers always
// know which class they expect.
class USockMessage {
public:
    // The type codes. The response file and the printer list share one code: the order of
    // the exchange tells them apart.
    static constexpr int kString = 1;
    static constexpr int kFile = 3;
    static constexpr int kAbort = 4;
    static constexpr int kCmdline = 0x1000;
    static constexpr int kFileName = 0x1001;
    static constexpr int kFileResponse = 0x1002;
    static constexpr int kFilePrintList = 0x1002;
    static constexpr int kFileFontList = 0x1003;
    static constexpr int kFileResList = 0x1004;
    static constexpr int kFileVersion = 0x1005;
    static constexpr int kFileLog = 0x1006;

    static constexpr int kDefaultChunk = 50000;

    // Leaves type to the derived class; a plain USockMessage (type 0) only reads type codes.
    USockMessage();
    virtual ~USockMessage();

    // Takes the other message's transfer settings, deadlines included, so that a message
    // read inside another one moves with the outer message's settings and shares its limit.
    void copySettings(const USockMessage& other);
    // Starts this message's own deadline: timeout seconds from now (within deadline), shared
    // by its type code, sizes, texts and the messages inside it.
    void startMessage();
    // The time limit of the next transfer of the message's fields.
    double fieldLimit() const;
    // The time limit of the next piece of file content: each piece gets timeout anew, so a
    // large file is not cut off, but none goes past deadline.
    double pieceLimit() const;
    // The next type code from the socket, or -1 (logged) when fewer than 4 bytes arrive.
    int readType(USock& socket);

    // For code 4, reads the rest of the peer's abort into abort and returns true, whatever
    // that read gave; for any other code reads nothing and returns false.
    bool checkAbort(int code, USock& socket, USockMAbort& abort);
    bool sendAbort(USock& socket, USockMAbort& abort);

    // The 4 wire bytes of an integer, and back.
    static void putInt(unsigned char* out, int value);
    static int getInt(const unsigned char* in);

    int type;
    // Seconds; negative means no limit. Without a started message deadline each transfer
    // gets it anew.
    double timeout;
    // The deadline of the whole exchange this message belongs to: no transfer goes past it.
    UDeadline deadline;
    // The message's own deadline (startMessage); none: each field gets timeout anew.
    UDeadline messageDeadline;
    // Seconds waited at most between attempts; negative means none.
    double interval;
    // Most bytes in one platform call, and the piece size of file content.
    int chunk;
};
