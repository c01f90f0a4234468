#pragma once

#include "common/UString.h"

#include <string>
#include <vector>

// Splits a command-line text into an argument vector, and is the base of the option
// records that parse such a vector. Only the blank separates arguments (a space, a CR or
// an LF; a run of CR and LF counts as one, so the line ends of a file make no empty
// arguments); a double quote
// opens a stretch, up to the next double quote or the end of the text, in which blanks do
// not separate. An argument that begins with a double quote loses its first and its last
// character; any other argument is kept as it stands, quotes included. The server, its job
// checks, the print program and the client all split and join with these functions, so
// what a client sends is read the same way everywhere.
class UCmdLine {
public:
    // Where one argument stands in the text: its raw spelling is [start, end), and its
    // value, quotes taken off, the length bytes from valueStart.
    struct Span {
        int start;
        int end;
        int valueStart;
        int length;
    };

    // True when every option that needs a value got one.
    virtual bool parse(int& argc, char**& argv) = 0;
    virtual ~UCmdLine();

    // How many arguments the first length bytes of text hold: one more than the blanks
    // that separate. An empty text holds one empty argument.
    static long long count(const char* text, int length);
    // The argument whose raw spelling begins at start; the next one begins after the blank
    // at end (and the line ends that follow it) while end < length.
    static Span argumentAt(const char* text, int length, int start);
    // Every argument of the first length bytes of text, in order.
    static std::vector<Span> spans(const char* text, int length);

    // The arguments of text as C strings within buffer, which becomes a copy of text with
    // a NUL after each argument's value: argv for a parser, with a null entry after the
    // arguments, without an allocation per argument. Valid while buffer is unchanged.
    static std::vector<char*> splitInto(const UString& text, std::string& buffer);

    // On success argv holds argc separately allocated texts and a null entry after them;
    // the caller releases it with releaseArgcArgv. On failure nothing is left allocated,
    // and one Error line says so.
    static bool getArgcArgv(UString text, int& argc, char**& argv);
    static void releaseArgcArgv(int argc, char** argv);

    // The spelling of one argument that splits back into exactly arg. False when none
    // exists: when the argument's quotes cut it into segments with blanks both in an
    // even-numbered and in an odd-numbered one (some blank would be outside every quoted
    // stretch, whichever way it is spelled).
    static bool quote(const std::string& arg, std::string& out);
    // The arguments, each spelled by quote, joined by single blanks. False when one cannot
    // be spelled; bad is then its index.
    static bool join(const std::vector<std::string>& args, std::string& text, size_t& bad);
};
