#include "net/UHostsFile.h"

#include "common/UFile.h"

#include <cstdlib>

namespace {

const int kLineBuffer = 1000;

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool endsToken(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

// Skips blanks from pos, then takes the token up to the next blank or line end.
UString nextToken(const char* text, int& pos)
{
    UString token;
    while (isBlank(text[pos]))
        ++pos;
    while (!endsToken(text[pos]))
        token += text[pos++];
    return token;
}

} // namespace

UHostsFile::UHostsFile() : mPath(defaultPath()) {}

UHostsFile::UHostsFile(const UString& filePath) : mPath(filePath) {}

UString UHostsFile::defaultPath()
{
    const char* dir = std::getenv("winbootdir");
    UString p(dir != nullptr ? dir : "C:\\WINDOWS");
    p += "\\hosts";
    return p;
}

int UHostsFile::find(const UString& text, UString& entryAddress, UString& entryName) const
{
    if (mPath.isEmpty())
        return -1;
    UFile file(mPath.str(), "rb");
    if (!file.isOpen())
        return -1;
    char buf[kLineBuffer];
    int index = 0;
    // A line longer than the buffer comes back in several pieces, each judged on its own.
    while (std::fgets(buf, sizeof buf, file.get()) != nullptr) {
        if (buf[0] == '#')
            continue;
        int pos = 0;
        UString first = nextToken(buf, pos);
        UString second = nextToken(buf, pos);
        if (first.isEmpty() || second.isEmpty())
            continue;
        if (second == text || first == text) {
            entryAddress = first;
            entryName = second;
            return index;
        }
        ++index;
    }
    return -1;
}
