#include "net/UHostsFile.h"

#include <cstdlib>

namespace {

const int kLineBuffer = 1000;

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool endsToken(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

// Skips blanks from pos, then takes the token up to the next blank or line end.
UString nextToken(const UString& text, int& pos)
{
    UString token;
    const int n = text.length();
    while (pos < n && isBlank(text[pos]))
        ++pos;
    while (pos < n && !endsToken(text[pos]))
        token += text[pos++];
    return token;
}

} // namespace

UHostsFile::UHostsFile()
{
    path = defaultPath();
    checkPath();
}

UHostsFile::UHostsFile(const UString& filePath)
{
    path = filePath;
    checkPath();
}

UHostsFile::~UHostsFile()
{
    if (file != nullptr)
        std::fclose(file);
}

UString UHostsFile::defaultPath()
{
    const char* dir = std::getenv("winbootdir");
    UString p(dir != nullptr ? dir : "C:\\WINDOWS");
    p += "\\hosts";
    return p;
}

void UHostsFile::checkPath()
{
    std::FILE* f = path.isEmpty() ? nullptr : std::fopen(path.str(), "rb");
    if (f == nullptr) {
        path = "";
        return;
    }
    std::fclose(f);
}

void UHostsFile::splitLine(UString& first, UString& second) const
{
    int pos = 0;
    first = nextToken(line, pos);
    second = nextToken(line, pos);
}

bool UHostsFile::readEntry()
{
    if (file == nullptr)
        return false;
    char buf[kLineBuffer];
    // A line longer than the buffer comes back in several pieces, each judged on its own.
    while (std::fgets(buf, sizeof buf, file) != nullptr) {
        if (buf[0] == '#')
            continue;
        line = buf;
        UString first;
        UString second;
        splitLine(first, second);
        if (!first.isEmpty() && !second.isEmpty())
            return true;
    }
    return false;
}

bool UHostsFile::getEntry(int index, UString& entryAddress, UString& entryName)
{
    if (path.isEmpty() || index < 0)
        return false;
    file = std::fopen(path.str(), "rb");
    if (file == nullptr)
        return false;
    bool found = true;
    for (int i = 0; i <= index && found; ++i)
        found = readEntry();
    if (found)
        splitLine(entryAddress, entryName);
    std::fclose(file);
    file = nullptr;
    return found;
}

int UHostsFile::find(const UString& text, UString& entryAddress, UString& entryName)
{
    for (int index = 0;; ++index) {
        if (!getEntry(index, entryAddress, entryName))
            return -1;
        if (entryName == text || entryAddress == text)
            return index;
    }
}
