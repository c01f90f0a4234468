#include "printer/PrinterOs.h"

#include "printer/GdiDevice.h"

#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

// Local printers and printer connections, as one list.
const DWORD kEnumFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;

// The spooler's block of level-2 records and our view of it, kept until released.
BYTE* gBlock = nullptr;
PrinterOs::Record* gRecords = nullptr;

// The buffer of the last printer query; its texts are handed out until the next query.
BYTE* gPrinterBuffer = nullptr;

const char* text(const char* s) { return s != nullptr ? s : ""; }

struct FontEnum {
    PrinterOs::FontProc proc;
    void* user;
};

int CALLBACK eachFont(const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM user)
{
    const FontEnum* e = reinterpret_cast<const FontEnum*>(user);
    return e->proc(font->lfFaceName, font->lfPitchAndFamily, static_cast<unsigned>(type), e->user);
}

} // namespace

PrinterOs::EnumResult PrinterOs::enumPrinters(const Record*& records, int& count)
{
    releasePrinters();
    count = 0;
    DWORD needed = 0;
    DWORD returned = 0;
    // The first call only learns the size; it fails with "buffer too small" by design.
    EnumPrintersA(kEnumFlags, nullptr, 2, nullptr, 0, &needed, &returned);
    gBlock = static_cast<BYTE*>(LocalAlloc(LPTR, needed + 4));
    if (gBlock == nullptr)
        return NoMemory;
    returned = 0;
    if (!EnumPrintersA(kEnumFlags, nullptr, 2, gBlock, needed, &needed, &returned))
        return EnumFailed;
    if (returned > 0) {
        gRecords = static_cast<Record*>(std::malloc(sizeof(Record) * returned));
        if (gRecords == nullptr)
            return NoMemory;
    }
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(gBlock);
    for (DWORD i = 0; i < returned; ++i)
        gRecords[i] = Record { text(info[i].pPrinterName), text(info[i].pPortName), text(info[i].pDriverName) };
    records = gRecords;
    count = static_cast<int>(returned);
    return Enumerated;
}

void PrinterOs::releasePrinters()
{
    std::free(gRecords);
    gRecords = nullptr;
    if (gBlock != nullptr)
        LocalFree(LocalHandle(gBlock));
    gBlock = nullptr;
}

bool PrinterOs::openPrinter(const char* name, Handle& printer)
{
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<LPSTR>(name), &h, nullptr))
        return false;
    printer = h;
    return true;
}

bool PrinterOs::closePrinter(Handle printer) { return ClosePrinter(static_cast<HANDLE>(printer)) != FALSE; }

bool PrinterOs::describePrinter(Handle printer, Record& record)
{
    DWORD needed = 0;
    GetPrinterA(static_cast<HANDLE>(printer), 2, nullptr, 0, &needed);
    if (needed == 0)
        return false;
    BYTE* fresh = static_cast<BYTE*>(std::malloc(needed));
    if (fresh == nullptr)
        return false;
    std::free(gPrinterBuffer);
    gPrinterBuffer = fresh;
    if (!GetPrinterA(static_cast<HANDLE>(printer), 2, gPrinterBuffer, needed, &needed))
        return false;
    const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(gPrinterBuffer);
    record = Record { text(info->pPrinterName), text(info->pPortName), text(info->pDriverName) };
    return true;
}

bool PrinterOs::startRawDocument(Handle printer, const char* docName)
{
    // No output file and no data type: the print processor's own default applies.
    DOC_INFO_1A info;
    info.pDocName = const_cast<LPSTR>(docName);
    info.pOutputFile = nullptr;
    info.pDatatype = nullptr;
    return StartDocPrinterA(static_cast<HANDLE>(printer), 1, reinterpret_cast<LPBYTE>(&info)) != 0;
}

bool PrinterOs::writeRaw(Handle printer, const void* data, std::uint32_t size, std::uint32_t& written)
{
    DWORD done = 0;
    const BOOL ok = WritePrinter(static_cast<HANDLE>(printer), const_cast<void*>(data), size, &done);
    written = done;
    return ok != FALSE;
}

bool PrinterOs::endRawDocument(Handle printer) { return EndDocPrinter(static_cast<HANDLE>(printer)) != FALSE; }

int PrinterOs::deviceModeSize(Handle printer, const char* name)
{
    return DocumentPropertiesA(nullptr, static_cast<HANDLE>(printer), const_cast<LPSTR>(name), nullptr, nullptr, 0);
}

int PrinterOs::readDeviceMode(Handle printer, const char* name, void* buffer)
{
    return DocumentPropertiesA(nullptr, static_cast<HANDLE>(printer), const_cast<LPSTR>(name),
                               static_cast<DEVMODEA*>(buffer), nullptr, DM_OUT_BUFFER);
}

int PrinterOs::resolutions(const char* name, const char* port, std::int32_t* list)
{
    return DeviceCapabilitiesA(name, port, DC_ENUMRESOLUTIONS, reinterpret_cast<LPSTR>(list), nullptr);
}

int PrinterOs::papers(const char* name, const char* port, short* list)
{
    return DeviceCapabilitiesA(name, port, DC_PAPERS, reinterpret_cast<LPSTR>(list), nullptr);
}

int PrinterOs::duplex(const char* name, const char* port)
{
    return DeviceCapabilitiesA(name, port, DC_DUPLEX, nullptr, nullptr);
}

PrintDevice* PrinterOs::createDevice(const char* driver, const char* name, const char* port)
{
    HDC dc = CreateDCA(driver, name, port, nullptr);
    if (dc == nullptr)
        return nullptr;
    GdiDevice* device = new (std::nothrow) GdiDevice(reinterpret_cast<GdiContext*>(dc));
    if (device == nullptr)
        DeleteDC(dc);
    return device;
}

void PrinterOs::profileString(const char* section, const char* key, const char* def, char* buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return;
    buffer[0] = '\0';
    GetProfileStringA(section, key, def, buffer, static_cast<DWORD>(size));
    buffer[size - 1] = '\0';
}

bool PrinterOs::enumScreenFonts(FontProc proc, void* user)
{
    HDC screen = GetWindowDC(nullptr);
    if (screen == nullptr)
        return false;
    FontEnum e { proc, user };
    EnumFontsA(screen, nullptr, eachFont, reinterpret_cast<LPARAM>(&e));
    ReleaseDC(nullptr, screen);
    return true;
}

bool PrinterOs::windowsVersion(int& major, int& minor)
{
    OSVERSIONINFOA info;
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return false;
    major = static_cast<int>(info.dwMajorVersion);
    minor = static_cast<int>(info.dwMinorVersion);
    return true;
}
