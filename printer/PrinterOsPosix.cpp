#include "printer/PrinterOs.h"

#include "printer/DeviceMode.h"
#include "printer/FakeSpooler.h"

#include <cstring>
#include <new>
#include <vector>

// Without a spooler, printer access answers from the machine that FakeSpooler keeps in
// memory.

namespace {

std::vector<PrinterOs::Record> gRecords;

FakeSpooler::Printer* printerOf(PrinterOs::Handle h) { return static_cast<FakeSpooler::Printer*>(h); }

} // namespace

PrinterOs::EnumResult PrinterOs::enumPrinters(const Record*& records, int& count)
{
    gRecords.clear();
    count = 0;
    const EnumResult result = FakeSpooler::enumResult();
    if (result != Enumerated)
        return result;
    for (FakeSpooler::Printer* p : FakeSpooler::printers())
        gRecords.push_back(Record { p->name.c_str(), p->port.c_str(), p->driver.c_str() });
    records = gRecords.data();
    count = static_cast<int>(gRecords.size());
    return Enumerated;
}

void PrinterOs::releasePrinters() { gRecords.clear(); }

bool PrinterOs::openPrinter(const char* name, Handle& printer)
{
    FakeSpooler::Printer* p = FakeSpooler::find(name);
    if (p == nullptr || !p->opens)
        return false;
    FakeSpooler::opened(1);
    printer = p;
    return true;
}

bool PrinterOs::closePrinter(Handle printer)
{
    if (printer == nullptr)
        return false;
    FakeSpooler::opened(-1);
    return printerOf(printer)->closes;
}

bool PrinterOs::describePrinter(Handle printer, Record& record)
{
    FakeSpooler::Printer* p = printerOf(printer);
    if (p == nullptr || !p->describes)
        return false;
    record = Record { p->name.c_str(), p->port.c_str(), p->driver.c_str() };
    return true;
}

bool PrinterOs::startRawDocument(Handle printer, const char* docName)
{
    FakeSpooler::Printer* p = printerOf(printer);
    if (p == nullptr || !p->startsDocument)
        return false;
    FakeSpooler::RawDocument document;
    document.name = docName != nullptr ? docName : "";
    p->rawDocuments.push_back(document);
    return true;
}

bool PrinterOs::writeRaw(Handle printer, const void* data, std::uint32_t size, std::uint32_t& written)
{
    written = 0;
    FakeSpooler::Printer* p = printerOf(printer);
    if (p == nullptr || !p->writes || p->rawDocuments.empty() || p->rawDocuments.back().ended)
        return false;
    std::uint32_t n = size;
    if (p->writeLimit >= 0 && n > static_cast<std::uint32_t>(p->writeLimit))
        n = static_cast<std::uint32_t>(p->writeLimit);
    p->rawDocuments.back().data.append(static_cast<const char*>(data), n);
    p->rawDocuments.back().writes += 1;
    written = n;
    return true;
}

bool PrinterOs::endRawDocument(Handle printer)
{
    FakeSpooler::Printer* p = printerOf(printer);
    if (p == nullptr || p->rawDocuments.empty() || p->rawDocuments.back().ended)
        return false;
    p->rawDocuments.back().ended = true;
    return p->endsDocument;
}

int PrinterOs::deviceModeSize(Handle printer, const char*)
{
    FakeSpooler::Printer* p = printerOf(printer);
    return p != nullptr ? p->deviceModeSize : -1;
}

int PrinterOs::readDeviceMode(Handle printer, const char*, void* buffer)
{
    FakeSpooler::Printer* p = printerOf(printer);
    if (p == nullptr || !p->readsDeviceMode || buffer == nullptr || p->deviceModeSize < 0)
        return -1;
    std::memset(buffer, 0, static_cast<size_t>(p->deviceModeSize));
    DeviceMode mode(buffer, p->deviceModeSize);
    mode.setFields(DeviceMode::Orientation | DeviceMode::PaperSize | DeviceMode::PrintQuality | DeviceMode::YResolution);
    mode.setOrientation(p->orientation);
    mode.setPaperSize(p->paperSize);
    mode.setPrintQuality(p->printQuality);
    mode.setYResolution(p->yResolution);
    return 1;
}

int PrinterOs::resolutions(const char* name, const char*, std::int32_t* list)
{
    FakeSpooler::Printer* p = FakeSpooler::find(name);
    if (p == nullptr || !p->reportsResolutions)
        return -1;
    const int pairs = static_cast<int>(p->resolutions.size() / 2);
    if (list != nullptr)
        std::memcpy(list, p->resolutions.data(), static_cast<size_t>(pairs) * 2 * sizeof(std::int32_t));
    return pairs;
}

PrintDevice* PrinterOs::createDevice(const char* driver, const char* name, const char* port)
{
    FakeSpooler::Printer* p = FakeSpooler::find(name);
    if (p == nullptr || !p->makesDevice || driver == nullptr || port == nullptr)
        return nullptr;
    RecordingDevice* device = new (std::nothrow) RecordingDevice(p->caps);
    if (device == nullptr)
        return nullptr;
    // The printable areas of the generic PostScript driver's papers, as Wine reports them.
    device->addPaper(1, 203, 266);  // Letter
    device->addPaper(9, 197, 284);  // A4
    device->addPaper(11, 135, 184); // A5
    FakeSpooler::setLastDevice(device);
    return device;
}

void PrinterOs::profileString(const char*, const char*, const char* def, char* buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return;
    const char* value = FakeSpooler::defaultDevice();
    if (value == nullptr)
        value = def != nullptr ? def : "";
    std::strncpy(buffer, value, static_cast<size_t>(size - 1));
    buffer[size - 1] = '\0';
}

bool PrinterOs::enumScreenFonts(FontProc proc, void* user)
{
    if (!FakeSpooler::screen())
        return false;
    for (const FakeSpooler::Font& f : FakeSpooler::fonts())
        if (proc(f.face.c_str(), f.pitchAndFamily, f.type, user) == 0)
            break;
    return true;
}

bool PrinterOs::windowsVersion(int& major, int& minor) { return FakeSpooler::version(major, minor); }
