#include "printer/PrinterOs.h"

#include <cerrno>

#include "printer/PrinterStandIn.h"

#include <cstring>

// Without a spooler, printer access asks the installed stand-in machine; without one it
// answers as a machine that has nothing.

namespace {

PrinterStandIn* gMachine = nullptr;

} // namespace

PrinterStandIn::~PrinterStandIn() = default;

void PrinterStandIn::install(PrinterStandIn* machine) { gMachine = machine; }

PrinterOs::EnumResult PrinterOs::enumPrinters(const Record*& records, int& count)
{
    count = 0;
    records = nullptr;
    return gMachine != nullptr ? gMachine->enumPrinters(records, count) : Enumerated;
}

void PrinterOs::releasePrinters()
{
    if (gMachine != nullptr)
        gMachine->releasePrinters();
}

bool PrinterOs::openPrinter(const char* name, Handle& printer)
{
    if (gMachine != nullptr && gMachine->openPrinter(name, printer))
        return true;
    // What the log then says the system answered: a name that is not there.
    errno = ENOENT;
    return false;
}

bool PrinterOs::closePrinter(Handle printer) { return gMachine != nullptr && gMachine->closePrinter(printer); }

bool PrinterOs::describePrinter(Handle printer, Record& record)
{
    return gMachine != nullptr && gMachine->describePrinter(printer, record);
}

bool PrinterOs::startRawDocument(Handle printer, const char* docName)
{
    return gMachine != nullptr && gMachine->startRawDocument(printer, docName);
}

bool PrinterOs::writeRaw(Handle printer, const void* data, std::uint32_t size, std::uint32_t& written)
{
    written = 0;
    return gMachine != nullptr && gMachine->writeRaw(printer, data, size, written);
}

bool PrinterOs::endRawDocument(Handle printer) { return gMachine != nullptr && gMachine->endRawDocument(printer); }

int PrinterOs::deviceModeSize(Handle printer, const char*)
{
    return gMachine != nullptr ? gMachine->deviceModeSize(printer) : -1;
}

int PrinterOs::readDeviceMode(Handle printer, const char*, void* buffer)
{
    return gMachine != nullptr ? gMachine->readDeviceMode(printer, buffer) : -1;
}

int PrinterOs::resolutions(const char* name, const char*, std::int32_t* list)
{
    return gMachine != nullptr ? gMachine->resolutions(name, list) : -1;
}

int PrinterOs::papers(const char* name, const char*, short* list)
{
    return gMachine != nullptr ? gMachine->papers(name, list) : -1;
}

int PrinterOs::duplex(const char* name, const char*)
{
    return gMachine != nullptr ? gMachine->duplex(name) : -1;
}

PrintDevice* PrinterOs::createDevice(const char* driver, const char* name, const char* port)
{
    return gMachine != nullptr ? gMachine->createDevice(driver, name, port) : nullptr;
}

void PrinterOs::profileString(const char* section, const char* key, const char* def, char* buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return;
    const char* value = gMachine != nullptr ? gMachine->profileString(section, key) : nullptr;
    if (value == nullptr)
        value = def != nullptr ? def : "";
    std::strncpy(buffer, value, static_cast<size_t>(size - 1));
    buffer[size - 1] = '\0';
}

bool PrinterOs::enumScreenFonts(FontProc proc, void* user)
{
    return gMachine != nullptr && gMachine->enumScreenFonts(proc, user);
}

bool PrinterOs::windowsVersion(int& major, int& minor)
{
    return gMachine != nullptr && gMachine->windowsVersion(major, minor);
}
