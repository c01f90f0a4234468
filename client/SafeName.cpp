#include "client/SafeName.h"

#include <cctype>

namespace {

bool keeps(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x80)
        return false;
    return std::isalnum(u) != 0 || c == ' ' || c == '.' || c == '-' || c == '_' || c == '+' || c == '(' || c == ')';
}

// Windows opens these as devices whatever the extension and the directory.
bool isDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           std::isdigit(static_cast<unsigned char>(stem[3])) != 0;
}

// Where the extension begins, or npos; a leading dot is not one.
size_t extensionAt(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string::npos : dot;
}

} // namespace

std::string SafeName::plain(const std::string& name)
{
    const size_t cut = name.find_last_of("/\\:");
    std::string s = cut == std::string::npos ? name : name.substr(cut + 1);
    for (char& c : s)
        if (!keeps(c))
            c = '_';
    size_t first = s.find_first_not_of(". ");
    if (first == std::string::npos)
        return "";
    s = s.substr(first);
    s.erase(s.find_last_not_of(". ") + 1);
    if (isDeviceName(s))
        s = "_" + s;
    if (s.size() > kMaxLength) {
        const size_t ext = extensionAt(s);
        std::string tail = ext != std::string::npos && s.size() - ext <= 16 ? s.substr(ext) : "";
        s = s.substr(0, kMaxLength - tail.size()) + tail;
        // The cut may have left the stem ending in a dot or blank.
        std::string stem = s.substr(0, s.size() - tail.size());
        stem.erase(stem.find_last_not_of(". ") + 1);
        s = stem + tail;
    }
    return s;
}

std::string SafeName::variant(const std::string& name, int n)
{
    if (n == 0)
        return name;
    const size_t ext = extensionAt(name);
    const std::string number = "-" + std::to_string(n);
    if (ext == std::string::npos)
        return name + number;
    return name.substr(0, ext) + number + name.substr(ext);
}

std::string SafeName::join(const std::string& dir, const std::string& name, char separator)
{
    if (dir.empty() || dir == ".")
        return name;
    const char last = dir.back();
    if (last == '/' || last == '\\')
        return dir + name;
    const bool slash = dir.find('/') != std::string::npos;
    const bool backslash = dir.find('\\') != std::string::npos;
    if (slash != backslash)
        separator = slash ? '/' : '\\';
    return dir + separator + name;
}
