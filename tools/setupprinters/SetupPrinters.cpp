// Installs the project's two virtual PostScript printers in the current Wine prefix.
// Wine only learns printers from CUPS, and a test bed must not depend on a daemon, so the
// printers are put in through the spooler API and live in the prefix's registry.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>

namespace {

const char kA4Printer[] = "Virtual A4";
const char kLetterPrinter[] = "Virtual Letter";
const char kA4Driver[] = "Draxome Virtual PS A4";
const char kLetterDriver[] = "Draxome Virtual PS Letter";

// One new file per job, so a test can tell its own jobs apart and none overwrites another.
// The directory comes from the printing process's environment; tests set their own.
const char kPort[] =
    "|d=\"${DRAXOME_SPOOL_DIR:-/tmp/draxome-spool}\"; mkdir -p \"$d\" && "
    "cat > \"$d/job-$(date +%s%N)-$$.ps\"";

void fail(const char* what, DWORD err) {
  std::fprintf(stderr, "setupprinters: %s failed (error %lu)\n", what,
               static_cast<unsigned long>(err));
}

bool loadGenericPpd(std::string& ppd) {
  HMODULE mod = LoadLibraryExA("winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!mod) {
    fail("LoadLibraryExA(winspool.drv)", GetLastError());
    return false;
  }
  bool ok = false;
  HRSRC res = FindResourceA(mod, MAKEINTRESOURCEA(1), "PPDFILE");
  HGLOBAL data = res ? LoadResource(mod, res) : nullptr;
  const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
  if (bytes) {
    DWORD size = SizeofResource(mod, res);
    ppd.assign(bytes, size);
    // The resource is padded with NULs past the text.
    std::string::size_type nul = ppd.find('\0');
    if (nul != std::string::npos) ppd.resize(nul);
    ok = !ppd.empty();
  }
  if (!ok) fail("FindResourceA(PPDFILE 1)", GetLastError());
  FreeLibrary(mod);
  return ok;
}

// A PPD whose default paper is Letter: the same generic driver otherwise, so both
// printers differ only in the paper a job gets when it asks for none.
bool makeLetterPpd(const std::string& a4, std::string& letter) {
  static const char* const keys[] = {"*DefaultPageSize:", "*DefaultPageRegion:",
                                     "*DefaultImageableArea:", "*DefaultPaperDimension:"};
  letter = a4;
  for (const char* key : keys) {
    std::string::size_type at = 0;
    // Only a key at the start of a line is the key; the same text may occur in comments.
    for (;;) {
      at = letter.find(key, at);
      if (at == std::string::npos || at == 0 || letter[at - 1] == '\n') break;
      ++at;
    }
    if (at == std::string::npos) {
      std::fprintf(stderr, "setupprinters: generic PPD has no line %s\n", key);
      return false;
    }
    std::string::size_type valueStart = at + std::char_traits<char>::length(key);
    std::string::size_type valueEnd = letter.find_first_of("\r\n", valueStart);
    if (valueEnd == std::string::npos) valueEnd = letter.size();
    letter.replace(valueStart, valueEnd - valueStart, " Letter");
  }
  return true;
}

bool writeFile(const std::string& path, const std::string& text) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    fail(("CreateFileA(" + path + ")").c_str(), GetLastError());
    return false;
  }
  DWORD written = 0;
  BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  DWORD err = GetLastError();
  CloseHandle(h);
  if (!ok || written != text.size()) {
    fail(("WriteFile(" + path + ")").c_str(), err);
    return false;
  }
  return true;
}

bool driverExists(const char* name, bool& exists) {
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrinterDriversA(nullptr, nullptr, 1, nullptr, 0, &needed, &count);
  std::string buffer(needed ? needed : 1, '\0');
  BYTE* raw = reinterpret_cast<BYTE*>(&buffer[0]);
  if (!EnumPrinterDriversA(nullptr, nullptr, 1, raw, needed, &needed, &count)) {
    fail("EnumPrinterDriversA", GetLastError());
    return false;
  }
  const DRIVER_INFO_1A* drivers = reinterpret_cast<const DRIVER_INFO_1A*>(raw);
  exists = false;
  for (DWORD i = 0; i < count; ++i) {
    if (drivers[i].pName && lstrcmpiA(drivers[i].pName, name) == 0) exists = true;
  }
  return true;
}

bool installDriver(const char* name, const std::string& ppdPath) {
  bool existed = false;
  if (!driverExists(name, existed)) return false;
  DRIVER_INFO_3A info = {};
  info.cVersion = 3;
  info.pName = const_cast<char*>(name);
  info.pDriverPath = const_cast<char*>("wineps.drv");
  info.pConfigFile = const_cast<char*>("wineps.drv");
  info.pDataFile = const_cast<char*>(ppdPath.c_str());
  info.pDefaultDataType = const_cast<char*>("RAW");
  // Copying all files of a driver that is already there replaces its PPD, so a changed
  // PPD reaches a prefix made earlier.
  DWORD copy = (existed ? APD_COPY_ALL_FILES : APD_COPY_NEW_FILES) | APD_COPY_FROM_DIRECTORY;
  if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&info), copy)) {
    DWORD err = GetLastError();
    if (err != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
      fail("AddPrinterDriverExA", err);
      return false;
    }
    existed = true;
  }
  std::printf("driver \"%s\": %s with %s\n", name, existed ? "already there, refreshed" : "installed",
              ppdPath.c_str());
  return true;
}

bool updatePrinter(const char* name, const char* driver) {
  PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (!OpenPrinterA(const_cast<char*>(name), &printer, &access)) {
    fail("OpenPrinterA", GetLastError());
    return false;
  }
  bool ok = false;
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  std::string buffer(needed ? needed : 1, '\0');
  BYTE* raw = reinterpret_cast<BYTE*>(&buffer[0]);
  if (needed && GetPrinterA(printer, 2, raw, needed, &needed)) {
    PRINTER_INFO_2A* info = reinterpret_cast<PRINTER_INFO_2A*>(raw);
    info->pPortName = const_cast<char*>(kPort);
    info->pDriverName = const_cast<char*>(driver);
    info->pPrintProcessor = const_cast<char*>("winprint");
    info->pDatatype = const_cast<char*>("RAW");
    // A stale security descriptor or device mode from an older driver must not survive.
    info->pSecurityDescriptor = nullptr;
    info->pDevMode = nullptr;
    ok = SetPrinterA(printer, 2, raw, 0) != 0;
    if (!ok) fail("SetPrinterA", GetLastError());
  } else {
    fail("GetPrinterA", GetLastError());
  }
  ClosePrinter(printer);
  if (ok) std::printf("printer \"%s\": already there, updated (driver \"%s\")\n", name, driver);
  return ok;
}

bool installPrinter(const char* name, const char* driver) {
  HANDLE existing = nullptr;
  if (OpenPrinterA(const_cast<char*>(name), &existing, nullptr)) {
    ClosePrinter(existing);
    return updatePrinter(name, driver);
  }
  PRINTER_INFO_2A info = {};
  info.pPrinterName = const_cast<char*>(name);
  info.pPortName = const_cast<char*>(kPort);
  info.pDriverName = const_cast<char*>(driver);
  // With "wineps" as the processor EndDoc fails; "winprint" passes the job through.
  info.pPrintProcessor = const_cast<char*>("winprint");
  info.pDatatype = const_cast<char*>("RAW");
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (printer) {
    ClosePrinter(printer);
    std::printf("printer \"%s\": added (driver \"%s\")\n", name, driver);
    return true;
  }
  DWORD err = GetLastError();
  if (err != ERROR_PRINTER_ALREADY_EXISTS) {
    fail("AddPrinterA", err);
    return false;
  }
  return updatePrinter(name, driver);
}

bool makeDefault(const char* name) {
  if (!SetDefaultPrinterA(name)) {
    fail("SetDefaultPrinterA", GetLastError());
    return false;
  }
  // Programs read the default from the profile, not from the spooler: check that view.
  char device[512] = {};
  GetProfileStringA("windows", "device", "", device, sizeof device);
  std::string expected = std::string(name) + ",";
  if (std::string(device).compare(0, expected.size(), expected) != 0) {
    std::fprintf(stderr, "setupprinters: default printer is \"%s\", not \"%s\"\n", device,
                 name);
    return false;
  }
  std::printf("default printer: %s\n", device);
  return true;
}

}  // namespace

int main() {
  std::string a4Ppd;
  std::string letterPpd;
  if (!loadGenericPpd(a4Ppd) || !makeLetterPpd(a4Ppd, letterPpd)) return 1;

  char windowsDir[MAX_PATH] = {};
  UINT len = GetWindowsDirectoryA(windowsDir, MAX_PATH);
  if (len == 0 || len >= MAX_PATH) {
    fail("GetWindowsDirectoryA", GetLastError());
    return 1;
  }
  std::string tempDir = std::string(windowsDir) + "\\temp";
  if (!CreateDirectoryA(tempDir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    fail(("CreateDirectoryA(" + tempDir + ")").c_str(), GetLastError());
    return 1;
  }
  std::string a4Path = tempDir + "\\draxome-a4.ppd";
  std::string letterPath = tempDir + "\\draxome-letter.ppd";
  if (!writeFile(a4Path, a4Ppd) || !writeFile(letterPath, letterPpd)) return 1;

  if (!installDriver(kA4Driver, a4Path) || !installDriver(kLetterDriver, letterPath)) return 1;
  if (!installPrinter(kA4Printer, kA4Driver) || !installPrinter(kLetterPrinter, kLetterDriver))
    return 1;
  if (!makeDefault(kA4Printer)) return 1;
  std::printf("setupprinters: done\n");
  return 0;
}
