#pragma once

#include "common/UString.h"

// Splits a command-line text into an argument vector, and is the base of the option
// records that parse such a vector. Only the blank separates arguments; a double quote
// opens a stretch, up to the next double quote or the end of the text, in which blanks do
// not separate. An argument that begins with a double quote loses its first and its last
// character; any other argument is kept as it stands, quotes included.
class UCmdLine {
public:
    // True when every option that needs a value got one.
    virtual bool parse(int& argc, char**& argv) = 0;
    virtual ~UCmdLine();

    // On success argv holds argc separately allocated texts and a null entry after them;
    // the caller releases it with releaseArgcArgv. On failure nothing is left allocated.
    static bool getArgcArgv(UString text, int& argc, char**& argv);
    static void releaseArgcArgv(int argc, char** argv);
};
