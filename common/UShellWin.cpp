#include "common/UShell.h"

#include "common/UProcess.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

bool UShell::copyFile(const char* source, const char* target)
{
    return CopyFileA(source, target, FALSE) != FALSE;
}

bool UShell::createDirectory(const char* path) { return CreateDirectoryA(path, nullptr) != FALSE; }

bool UShell::execute(const char* verb, const char* file, const char* parameters, std::intptr_t& process)
{
    process = UProcess::kFailed;
    // Opening a document may go through a shell extension, which needs COM on this
    // thread; a second initialisation is harmless, so nothing is kept about it.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info; // 60 bytes in the 32-bit program
    // Keep the handle so the caller can wait; and never show an error box: the program is
    // started by a server with nobody at the screen, and a box would wait for ever.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = verb;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOW;
    if (!ShellExecuteExA(&info))
        return false;
    // A document handed to a program that was running already comes without a process.
    if (info.hProcess != nullptr)
        process = reinterpret_cast<std::intptr_t>(info.hProcess);
    return true;
}
