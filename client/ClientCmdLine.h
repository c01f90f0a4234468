#pragma once

#include <string>
#include <vector>

// Turns the print options the user typed back into one command-line text, spelled so that
// the server's splitter (and the print program's, which follows the same rules) gives
// back exactly the same arguments. Their rules: only the blank separates; a double quote
// opens a stretch, closed by the next double quote, inside which blanks do not separate;
// an argument whose first character is a double quote loses its first and its last
// character, every other argument is kept as it stands, quotes included.
class ClientCmdLine {
public:
    // The spelling of one argument. False when none exists: when the argument's quotes
    // cut it into segments with blanks both in an even-numbered and in an odd-numbered one
    // (some blank would be outside every quoted stretch, whichever way it is spelled).
    static bool quote(const std::string& arg, std::string& out);
    // The arguments, each spelled by quote, joined by single blanks. False when one cannot
    // be spelled; bad is then its index.
    static bool join(const std::vector<std::string>& args, std::string& text, size_t& bad);
};
