#include "common/UCmdLine.h"

#include "common/ULog.h"

#include <cstdlib>
#include <cstring>

namespace {

// Where the argument that begins at pos ends: the next blank outside a quoted stretch,
// or the end of the text. Counting and copying both walk with this, so they agree.
int argumentEnd(const char* text, int length, int pos)
{
    while (pos < length && text[pos] != ' ') {
        if (text[pos] == '"') {
            ++pos;
            while (pos < length && text[pos] != '"')
                ++pos;
            if (pos == length)
                break;
        }
        ++pos;
    }
    return pos;
}

} // namespace

UCmdLine::~UCmdLine() = default;

bool UCmdLine::getArgcArgv(UString text, int& argc, char**& argv)
{
    argc = 0;
    argv = nullptr;
    const char* s = text.str();
    const int length = text.length();

    int count = 0;
    for (int pos = 0;; pos = argumentEnd(s, length, pos) + 1) {
        ++count;
        if (argumentEnd(s, length, pos) >= length)
            break;
    }

    char** vector = static_cast<char**>(std::calloc(static_cast<size_t>(count) + 1, sizeof(char*)));
    if (vector == nullptr) {
        ULog::write("Error in UCmdLine::getArgcArgv(): memory allocation error", ULog::Error);
        return false;
    }
    int pos = 0;
    for (int n = 0; n < count; ++n) {
        const int end = argumentEnd(s, length, pos);
        const char* from = s + pos;
        int len = end - pos;
        if (len > 0 && from[0] == '"') {
            // Without its first and its last character. A lone quote has nothing between
            // them, and gives an empty argument rather than a negative length.
            ++from;
            len = len >= 2 ? len - 2 : 0;
        }
        vector[n] = static_cast<char*>(std::malloc(static_cast<size_t>(len) + 1));
        if (vector[n] == nullptr) {
            ULog::write("Error in UCmdLine::getArgcArgv(): memory allocation error for argv[n]", ULog::Error);
            releaseArgcArgv(n, vector);
            return false;
        }
        std::memcpy(vector[n], from, static_cast<size_t>(len));
        vector[n][len] = '\0';
        pos = end + 1;
    }
    vector[count] = nullptr;
    argc = count;
    argv = vector;
    return true;
}

void UCmdLine::releaseArgcArgv(int argc, char** argv)
{
    if (argv == nullptr)
        return;
    for (int i = 0; i < argc; ++i)
        std::free(argv[i]);
    std::free(argv);
}
