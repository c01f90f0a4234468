#include "server/PService.h"

#include "common/ULog.h"
#include "server/PServerControl.h"
#include "server/PServerStartup.h"

#include <windows.h>

#include <string>

namespace {

// Start-up runs the inventory before it listens; that may take a while on a slow driver.
const DWORD kStartHintMs = 120000;
// Beyond the grace of a running job: closing the log and the sockets.
const int kStopMarginSeconds = 15;

SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
UString gOptions;
int gExitCode = 0;

std::string systemText(DWORD error)
{
    char text[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    std::string s(text);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.'))
        s.pop_back();
    return s + " (" + std::to_string(error) + ")";
}

// The log holds every outcome; an administrator at a prompt also sees it there, since a
// program without a window has no console of its own.
int tell(const std::string& msg, int level, int exitCode)
{
    ULog::write(msg.c_str(), level);
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE out = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 0, nullptr);
        if (out != INVALID_HANDLE_VALUE) {
            const std::string line = "draxomeServer: " + msg + "\r\n";
            DWORD written = 0;
            WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(out);
        }
        FreeConsole();
    }
    return exitCode;
}

int managerRefused(const char* where, DWORD error)
{
    if (error == ERROR_ACCESS_DENIED)
        return tell(std::string(where) + ": not an administrator: run it from an elevated prompt",
                    ULog::Error, PService::NotAdministrator);
    return tell(std::string(where) + ": cannot reach the service manager: " + systemText(error), ULog::Error,
                PService::Failed);
}

void report(DWORD state, int exitCode, DWORD waitHintMs)
{
    static LONG checkPoint = 0;
    SERVICE_STATUS status;
    ZeroMemory(&status, sizeof status);
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = exitCode == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = static_cast<DWORD>(exitCode);
    status.dwWaitHint = waitHintMs;
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    status.dwCheckPoint = pending ? static_cast<DWORD>(InterlockedIncrement(&checkPoint)) : 0;
    SetServiceStatus(gStatusHandle, &status);
}

void listening() { report(SERVICE_RUNNING, 0, 0); }

DWORD WINAPI control(DWORD code, DWORD, LPVOID, LPVOID)
{
    switch (code) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        report(SERVICE_STOP_PENDING, 0, static_cast<DWORD>(PServerControl::graceSeconds() + kStopMarginSeconds) * 1000);
        PServerControl::requestStop();
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI serviceMain(DWORD, LPSTR*)
{
    gStatusHandle = RegisterServiceCtrlHandlerExA(PService::kName, control, nullptr);
    if (gStatusHandle == nullptr) {
        gExitCode = tell("PService::run(): cannot register with the service manager: " + systemText(GetLastError()),
                         ULog::Error, PService::Failed);
        return;
    }
    report(SERVICE_START_PENDING, 0, kStartHintMs);
    PServerControl::setListeningHook(listening);
    gExitCode = PServerStartup::run(gOptions);
    report(SERVICE_STOPPED, gExitCode, 0);
}

bool programPath(std::string& path)
{
    char buf[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf)
        return false;
    path.assign(buf, n);
    return true;
}

} // namespace

void PService::enterProgramDirectory()
{
    std::string path;
    if (!programPath(path))
        return;
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos)
        SetCurrentDirectoryA(path.substr(0, slash + 1).c_str());
}

int PService::install(const UString& options)
{
    std::string path;
    if (!programPath(path))
        return tell("PService::install(): cannot tell where this program is: " + systemText(GetLastError()),
                    ULog::Error, Failed);
    // The path quoted: the service manager would otherwise split it at its first blank.
    std::string binary = "\"" + path + "\" -service run";
    if (!options.isEmpty())
        binary += std::string(" ") + options.str();
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE);
    if (manager == nullptr)
        return managerRefused("PService::install()", GetLastError());
    // Printing needs the spooler: the service starts after it where the system has one.
    SC_HANDLE spooler = OpenServiceA(manager, "Spooler", SERVICE_QUERY_STATUS);
    const char* dependencies = spooler != nullptr ? "Spooler\0" : nullptr;
    if (spooler != nullptr)
        CloseServiceHandle(spooler);
    SC_HANDLE service =
        CreateServiceA(manager, kName, kDisplayName, SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS,
                       SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, binary.c_str(), nullptr,
                       nullptr, dependencies, nullptr, nullptr);
    const DWORD error = GetLastError();
    if (service == nullptr) {
        CloseServiceHandle(manager);
        if (error == ERROR_SERVICE_EXISTS || error == ERROR_DUPLICATE_SERVICE_NAME)
            return tell("PService::install(): the service 'draxome' is already installed", ULog::Error,
                        AlreadyInstalled);
        return managerRefused("PService::install()", error);
    }
    SERVICE_DESCRIPTIONA description;
    description.lpDescription = const_cast<char*>(kDescription);
    ChangeServiceConfig2A(service, SERVICE_CONFIG_DESCRIPTION, &description);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return tell("PService::install(): service 'draxome' installed: " + binary, ULog::Info, Done);
}

int PService::uninstall()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (manager == nullptr)
        return managerRefused("PService::uninstall()", GetLastError());
    SC_HANDLE service = OpenServiceA(manager, kName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (service == nullptr) {
        const DWORD error = GetLastError();
        CloseServiceHandle(manager);
        if (error == ERROR_SERVICE_DOES_NOT_EXIST)
            return tell("PService::uninstall(): the service 'draxome' is not installed", ULog::Error, NotInstalled);
        return managerRefused("PService::uninstall()", error);
    }
    SERVICE_STATUS status;
    if (QueryServiceStatus(service, &status) && status.dwCurrentState != SERVICE_STOPPED) {
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        // As long as a stopping server may take: the grace of its job and its closing.
        const DWORD stepMs = 250;
        const DWORD mostMs = static_cast<DWORD>(PServerControl::kDefaultGraceSeconds + kStopMarginSeconds) * 1000;
        for (DWORD waited = 0; waited < mostMs && status.dwCurrentState != SERVICE_STOPPED; waited += stepMs) {
            Sleep(stepMs);
            if (!QueryServiceStatus(service, &status))
                break;
        }
    }
    const bool deleted = DeleteService(service) || GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
    const DWORD error = GetLastError();
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    if (!deleted)
        return tell("PService::uninstall(): cannot remove the service 'draxome': " + systemText(error), ULog::Error,
                    Failed);
    return tell("PService::uninstall(): service 'draxome' removed", ULog::Info, Done);
}

int PService::run(const UString& options)
{
    gOptions = options;
    char name[] = "draxome";
    SERVICE_TABLE_ENTRYA table[] = {{name, serviceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherA(table)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
            return tell("PService::run(): -service run is what the service manager starts; start the service with "
                        "'net start draxome'",
                        ULog::Error, Failed);
        return tell("PService::run(): cannot reach the service manager: " + systemText(error), ULog::Error, Failed);
    }
    return gExitCode;
}
