#include "common/UCodePage.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

int UCodePage::lookup(const char* name)
{
    if (name == nullptr || name[0] == '\0' || std::strlen(name) > 6)
        return 0;
    char lower[8] = {};
    for (int i = 0; name[i] != '\0'; ++i)
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    if (std::strcmp(lower, "utf-8") == 0 || std::strcmp(lower, "utf8") == 0)
        return kUtf8;
    char* end = nullptr;
    const long n = std::strtol(name, &end, 10);
    if (*end != '\0' || !std::isdigit(static_cast<unsigned char>(name[0])) || n <= 0 || n > 65535)
        return 0;
    // UTF-16 and UTF-7 are no byte-per-line encodings: a line end is no single byte there.
    if (n == 1200 || n == 1201 || n == 65000)
        return 0;
    return available(static_cast<int>(n)) ? static_cast<int>(n) : 0;
}
