#include "common/UShell.h"

#include "common/UFile.h"
#include "common/UProcess.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace {

// Windows accepts the backslash as a separator; here it has to become one.
std::string posixPath(const char* path)
{
    std::string s = path != nullptr ? path : "";
    for (char& c : s)
        if (c == '\\')
            c = '/';
    return s;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

} // namespace

bool UShell::copyFile(const char* source, const char* target)
{
    const std::string from = posixPath(source);
    const std::string to = posixPath(target);
    if (from.empty() || to.empty())
        return false;
    struct stat in;
    struct stat out;
    if (stat(from.c_str(), &in) != 0 || !S_ISREG(in.st_mode))
        return false;
    // Opening the target for writing would empty the source first.
    if (stat(to.c_str(), &out) == 0 && sameFile(in, out))
        return false;
    UFile src(from.c_str(), "rb");
    if (!src.isOpen())
        return false;
    UFile dst(to.c_str(), "wb");
    if (!dst.isOpen())
        return false;
    char buffer[65536];
    bool ok = true;
    size_t n;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, src.get())) > 0)
        ok = std::fwrite(buffer, 1, n, dst.get()) == n;
    ok = ok && !std::ferror(src.get());
    // Closing writes the last bytes: its failure is the copy's.
    return dst.close() && ok;
}

bool UShell::createDirectory(const char* path)
{
    const std::string dir = posixPath(path);
    return !dir.empty() && mkdir(dir.c_str(), 0777) == 0;
}

bool UShell::execute(const char* verb, const char* file, const char* parameters, std::intptr_t& process)
{
    process = UProcess::kFailed;
    const bool open = verb != nullptr && std::strcmp(verb, "open") == 0;
    if ((verb != nullptr && !open) || file == nullptr || file[0] == '\0')
        return false;
    std::string program = posixPath(file);
    std::string text = parameters != nullptr ? parameters : "";
    char* argv[3] = { &program[0], nullptr, nullptr };
    if (!open && !text.empty())
        argv[1] = &text[0];
    process = UProcess::startNoWait(program.c_str(), argv);
    return process != UProcess::kFailed;
}
