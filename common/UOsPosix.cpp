#include "common/UOs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

std::uint32_t UOs::tickCount()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                             static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

UOs::LocalTime UOs::localTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return LocalTime{tm.tm_sec, tm.tm_min, tm.tm_hour, tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900};
}

void UOs::sleepMs(int ms)
{
    if (ms <= 0)
        return;
    timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

void UOs::alertBox(const char* text, const char* caption)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}

UOs::Creation UOs::createNewFile(const char* path)
{
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return errno == EEXIST ? Exists : CreateFailed;
    ::close(fd);
    return Created;
}

bool UOs::isDirectory(const char* path)
{
    struct stat st;
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool UOs::makeDirectory(const char* path) { return ::mkdir(path, 0777) == 0; }

bool UOs::isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

char UOs::pathSeparator() { return '/'; }

std::string UOs::systemErrorText()
{
    const int code = errno;
    return "error " + std::to_string(code) + ": " + std::strerror(code);
}
