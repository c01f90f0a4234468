#include "common/UShell.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Child {
    pid_t pid;
    bool ended;
};

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
    std::FILE* src = std::fopen(from.c_str(), "rb");
    if (src == nullptr)
        return false;
    std::FILE* dst = std::fopen(to.c_str(), "wb");
    if (dst == nullptr) {
        std::fclose(src);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    size_t n;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, src)) > 0)
        ok = std::fwrite(buffer, 1, n, dst) == n;
    ok = ok && !std::ferror(src);
    std::fclose(src);
    return std::fclose(dst) == 0 && ok;
}

bool UShell::createDirectory(const char* path)
{
    const std::string dir = posixPath(path);
    return !dir.empty() && mkdir(dir.c_str(), 0777) == 0;
}

bool UShell::execute(const char* verb, const char* file, const char* parameters, Process& process)
{
    process = nullptr;
    const bool open = verb != nullptr && std::strcmp(verb, "open") == 0;
    if ((verb != nullptr && !open) || file == nullptr || file[0] == '\0')
        return false;
    Child* child = new (std::nothrow) Child { 0, false };
    if (child == nullptr)
        return false;
    std::string program = posixPath(file);
    std::string text = parameters != nullptr ? parameters : "";
    char* argv[3] = { &program[0], nullptr, nullptr };
    if (!open && !text.empty())
        argv[1] = &text[0];

    // The child reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        delete child;
        return false;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        ::close(report[0]);
        ::close(report[1]);
        delete child;
        return false;
    }
    if (pid == 0) {
        ::close(report[0]);
        // A program is looked for on the PATH, as the shell does; a document is named.
        if (open)
            execv(argv[0], argv);
        else
            execvp(argv[0], argv);
        const int error = errno;
        ssize_t ignored = write(report[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    ::close(report[1]);
    int error = 0;
    ssize_t n;
    do {
        n = read(report[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    if (n > 0) {
        waitpid(pid, nullptr, 0);
        delete child;
        return false;
    }
    child->pid = pid;
    process = child;
    return true;
}

void UShell::wait(Process process)
{
    Child* child = static_cast<Child*>(process);
    if (child == nullptr || child->ended)
        return;
    while (waitpid(child->pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    child->ended = true;
}

void UShell::close(Process process)
{
    Child* child = static_cast<Child*>(process);
    if (child == nullptr)
        return;
    // Collect it if it has ended already, so it leaves nothing behind.
    if (!child->ended)
        waitpid(child->pid, nullptr, WNOHANG);
    delete child;
}
