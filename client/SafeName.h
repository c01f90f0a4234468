#pragma once

#include <string>

// The rules that keep received files where the user wants them: names are plain file
// names made from what the client itself knows, never a path, never a device, never
// hidden; and a wanted name that is taken gives way to a numbered variant.
class SafeName {
public:
    // The longest name plain() gives, extension included.
    static constexpr size_t kMaxLength = 100;

    // The last component of name (after the last '/', '\\' or ':'), made a plain file
    // name: every byte other than an ASCII letter, digit, blank or one of . - _ + ( ) becomes
    // '_' (so no control character, no wildcard, no 8.3 short-name tilde, no code-page
    // guesswork); leading and trailing dots and blanks go (no hidden file, no "..", nothing
    // Windows would silently trim); a Windows device name (CON, NUL, COM1, ...) gets a
    // leading '_'; a name longer than kMaxLength is shortened, keeping its extension.
    // Empty when nothing is left.
    static std::string plain(const std::string& name);
    // The n-th candidate for a wanted name: n = 0 the name itself, else the stem, '-', n
    // and the extension: "prntlist.txt", "prntlist-1.txt", "prntlist-2.txt", ...
    static std::string variant(const std::string& name, int n);
    // The path of name inside dir; "" and "." stand for the current directory. The
    // separator is the one dir already uses, else the one given.
    static std::string join(const std::string& dir, const std::string& name, char separator = '/');
};
