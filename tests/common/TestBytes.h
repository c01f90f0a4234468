#pragma once

// Shared by the unit tests that move bytes around (the socket layer's and the client's):
// whole files read and written, bytes that show misplaced pieces, and UString shown as
// text in failed expectations.

#include "common/UString.h"
#include "tests/common/TestSupport.h"

#include <cstddef>
#include <ostream>
#include <string>

// Lets failed expectations show the text rather than the object's bytes.
inline void PrintTo(const UString& s, std::ostream* os) { *os << '"' << s.str() << '"'; }

// The names these tests grew up with, for the file helpers every test folder shares.
inline std::string readAll(const std::string& path) { return testsupport::readFile(path); }
inline void writeAll(const std::string& path, const std::string& bytes) { testsupport::writeFile(path, bytes); }

// Bytes that are not all alike, so misplaced pieces show.
inline std::string pattern(size_t n, unsigned seed = 1)
{
    std::string s(n, '\0');
    unsigned x = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>(x >> 16);
    }
    return s;
}
