// The stand-in print program of the Windows tests: see StandIn.h.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (GetFileAttributesA("standin-sleep.txt") != INVALID_FILE_ATTRIBUTES)
        Sleep(1000);
    char module[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
    module[n < sizeof module ? n : sizeof module - 1] = '\0';
    const char* base = module;
    for (const char* p = module; *p != '\0'; ++p)
        if (*p == '\\' || *p == '/')
            base = p + 1;
    std::FILE* f = std::fopen("standin-args.txt", "wb");
    if (f == nullptr)
        return 1;
    std::fprintf(f, "program=%s\n", base);
    std::fprintf(f, "argv0=%s\n", argc > 0 ? argv[0] : "");
    for (int i = 1; i < argc; ++i)
        std::fprintf(f, "arg=%s\n", argv[i]);
    std::fclose(f);
    std::FILE* done = std::fopen("standin-done.txt", "wb");
    if (done != nullptr)
        std::fclose(done);
    return 0;
}
