#include "common/UOs.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

std::uint32_t UOs::tickCount() { return GetTickCount(); }

UOs::LocalTime UOs::localTime()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wSecond, st.wMinute, st.wHour, st.wDay, st.wMonth, st.wYear};
}

void UOs::sleepMs(int ms) { Sleep(ms < 0 ? 0 : static_cast<DWORD>(ms)); }

void UOs::alertBox(const char* text, const char* caption)
{
    // Also on standard error: a program run from a console or a test shows why it stopped.
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    MessageBoxA(nullptr, text, caption, MB_OK);
}

UOs::Creation UOs::createNewFile(const char* path)
{
    const int fd = ::_open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return errno == EEXIST ? Exists : CreateFailed;
    ::_close(fd);
    return Created;
}

bool UOs::isDirectory(const char* path)
{
    // Unlike the run-time's _stat, this takes a path with a trailing backslash.
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool UOs::makeDirectory(const char* path) { return ::_mkdir(path) == 0; }

bool UOs::isTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

char UOs::pathSeparator() { return '\\'; }

std::string UOs::systemErrorText()
{
    const DWORD code = GetLastError();
    char text[512] = "";
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    std::string message(text, n);
    // The system's texts end in a full stop and a line end; a log line has its own end.
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == '.' ||
                                message.back() == ' '))
        message.pop_back();
    return "error " + std::to_string(code) + (message.empty() ? "" : ": " + message);
}
