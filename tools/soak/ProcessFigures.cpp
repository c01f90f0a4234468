// procfigures NAME: one line per running process whose program file is NAME, such as
//   pid=52 handles=31 types=3:12,5:9,... workingset_kb=5120 private_kb=2304
// handles counts the handles the system lists for the process, types splits them by object
// type number; a count that only grows with the jobs served is a leak. Exit code 1 when no
// such process runs. A soak or a test calls it before and after a run and compares.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace {

// The system's handle table, as NtQuerySystemInformation gives it (class 16).
struct HandleEntry {
    USHORT process;
    USHORT creatorBackTrace;
    UCHAR type;
    UCHAR attributes;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};
typedef LONG(WINAPI* QuerySystem)(ULONG, PVOID, ULONG, PULONG);
const ULONG kSystemHandleInformation = 16;
const LONG kLengthMismatch = static_cast<LONG>(0xC0000004L);

// Handles per type of process pid; false when the table cannot be read.
bool handlesOf(DWORD pid, std::map<int, int>& byType)
{
    const QuerySystem query = reinterpret_cast<QuerySystem>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr)
        return false;
    std::vector<char> buf(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buf.data(), static_cast<ULONG>(buf.size()), &needed);
        if (status == kLengthMismatch && buf.size() < (1u << 28)) {
            buf.resize(needed > buf.size() ? needed + 4096 : buf.size() * 2);
            continue;
        }
        if (status != 0)
            return false;
        break;
    }
    const HandleTable* table = reinterpret_cast<const HandleTable*>(buf.data());
    for (ULONG i = 0; i < table->count; ++i)
        if (table->entries[i].process == static_cast<USHORT>(pid))
            ++byType[table->entries[i].type];
    return true;
}

void report(DWORD pid)
{
    std::map<int, int> byType;
    int total = -1;
    if (handlesOf(pid, byType)) {
        total = 0;
        for (const auto& t : byType)
            total += t.second;
    }
    DWORD counted = 0;
    SIZE_T workingSet = 0, privateBytes = 0;
    const HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (h != nullptr) {
        GetProcessHandleCount(h, &counted);
        PROCESS_MEMORY_COUNTERS_EX mem;
        std::memset(&mem, 0, sizeof mem);
        if (GetProcessMemoryInfo(h, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof mem)) {
            workingSet = mem.WorkingSetSize;
            privateBytes = mem.PrivateUsage;
        }
        CloseHandle(h);
    }
    std::printf("pid=%lu handles=%d count=%lu types=", static_cast<unsigned long>(pid), total,
                static_cast<unsigned long>(counted));
    bool first = true;
    for (const auto& t : byType) {
        std::printf("%s%d:%d", first ? "" : ",", t.first, t.second);
        first = false;
    }
    std::printf(" workingset_kb=%lu private_kb=%lu\n", static_cast<unsigned long>(workingSet / 1024),
                static_cast<unsigned long>(privateBytes / 1024));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: procfigures NAME.exe\n");
        return 2;
    }
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 1;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    int found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, argv[1]) == 0) {
            report(entry.th32ProcessID);
            ++found;
        }
    }
    CloseHandle(snapshot);
    return found > 0 ? 0 : 1;
}
