#include "common/UOs.h"

#include <windows.h>

#include <cstdio>

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
