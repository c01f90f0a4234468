#pragma once

#include "net/USockMString.h"

// The command line a client sends with a job: a string message under its own code.
class USockMCmdline : public USockMString {
public:
    USockMCmdline() { type = kCmdline; }
    explicit USockMCmdline(const UString& s) : USockMString(s) { type = kCmdline; }
};
