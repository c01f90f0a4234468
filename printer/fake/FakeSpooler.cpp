#include "printer/fake/FakeSpooler.h"

#include "printer/DeviceMode.h"
#include "printer/PrinterStandIn.h"

#include <cstring>
#include <deque>
#include <new>

namespace {

struct State {
    std::deque<FakeSpooler::Printer> printers;
    PrinterOs::EnumResult enumResult = PrinterOs::Enumerated;
    bool hasDevice = false;
    std::string device;
    std::vector<FakeSpooler::Font> fonts;
    bool screen = true;
    bool versionKnown = false;
    int major = 0;
    int minor = 0;
    RecordingDevice* lastDevice = nullptr;
    int openPrinters = 0;
};

State& state()
{
    static State s;
    return s;
}

FakeSpooler::Printer* printerOf(PrinterOs::Handle h) { return static_cast<FakeSpooler::Printer*>(h); }

// Printer access as the in-memory machine answers it.
class Machine : public PrinterStandIn {
public:
    Machine() { install(this); }
    ~Machine() override { install(nullptr); }

    PrinterOs::EnumResult enumPrinters(const PrinterOs::Record*& records, int& count) override
    {
        mRecords.clear();
        const PrinterOs::EnumResult result = state().enumResult;
        if (result != PrinterOs::Enumerated)
            return result;
        for (FakeSpooler::Printer& p : state().printers)
            mRecords.push_back(PrinterOs::Record { p.name.c_str(), p.port.c_str(), p.driver.c_str() });
        records = mRecords.data();
        count = static_cast<int>(mRecords.size());
        return PrinterOs::Enumerated;
    }

    void releasePrinters() override { mRecords.clear(); }

    bool openPrinter(const char* name, PrinterOs::Handle& printer) override
    {
        FakeSpooler::Printer* p = FakeSpooler::find(name);
        if (p == nullptr || !p->opens)
            return false;
        ++state().openPrinters;
        printer = p;
        return true;
    }

    bool closePrinter(PrinterOs::Handle printer) override
    {
        if (printer == nullptr)
            return false;
        --state().openPrinters;
        return printerOf(printer)->closes;
    }

    bool describePrinter(PrinterOs::Handle printer, PrinterOs::Record& record) override
    {
        FakeSpooler::Printer* p = printerOf(printer);
        if (p == nullptr || !p->describes)
            return false;
        record = PrinterOs::Record { p->name.c_str(), p->port.c_str(), p->driver.c_str() };
        return true;
    }

    bool startRawDocument(PrinterOs::Handle printer, const char* docName) override
    {
        FakeSpooler::Printer* p = printerOf(printer);
        if (p == nullptr || !p->startsDocument)
            return false;
        FakeSpooler::RawDocument document;
        document.name = docName != nullptr ? docName : "";
        p->rawDocuments.push_back(document);
        return true;
    }

    bool writeRaw(PrinterOs::Handle printer, const void* data, std::uint32_t size, std::uint32_t& written) override
    {
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

    bool endRawDocument(PrinterOs::Handle printer) override
    {
        FakeSpooler::Printer* p = printerOf(printer);
        if (p == nullptr || p->rawDocuments.empty() || p->rawDocuments.back().ended)
            return false;
        p->rawDocuments.back().ended = true;
        return p->endsDocument;
    }

    int deviceModeSize(PrinterOs::Handle printer) override
    {
        FakeSpooler::Printer* p = printerOf(printer);
        return p != nullptr ? p->deviceModeSize : -1;
    }

    int readDeviceMode(PrinterOs::Handle printer, void* buffer) override
    {
        FakeSpooler::Printer* p = printerOf(printer);
        if (p == nullptr || !p->readsDeviceMode || buffer == nullptr || p->deviceModeSize < 0)
            return -1;
        std::memset(buffer, 0, static_cast<size_t>(p->deviceModeSize));
        DeviceMode mode(buffer, p->deviceModeSize);
        mode.setFields(
            DeviceMode::Orientation | DeviceMode::PaperSize | DeviceMode::PrintQuality | DeviceMode::YResolution);
        mode.setOrientation(p->orientation);
        mode.setPaperSize(p->paperSize);
        mode.setPrintQuality(p->printQuality);
        mode.setYResolution(p->yResolution);
        return 1;
    }

    int resolutions(const char* name, std::int32_t* list) override
    {
        FakeSpooler::Printer* p = FakeSpooler::find(name);
        if (p == nullptr || !p->reportsResolutions)
            return -1;
        const int pairs = static_cast<int>(p->resolutions.size() / 2);
        if (list != nullptr)
            std::memcpy(list, p->resolutions.data(), static_cast<size_t>(pairs) * 2 * sizeof(std::int32_t));
        return pairs;
    }

    PrintDevice* createDevice(const char* driver, const char* name, const char* port) override
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
        state().lastDevice = device;
        return device;
    }

    const char* profileString(const char*, const char*) override
    {
        return state().hasDevice ? state().device.c_str() : nullptr;
    }

    bool enumScreenFonts(PrinterOs::FontProc proc, void* user) override
    {
        if (!state().screen)
            return false;
        for (const FakeSpooler::Font& f : state().fonts)
            if (proc(f.face.c_str(), f.pitchAndFamily, f.type, user) == 0)
                break;
        return true;
    }

    bool windowsVersion(int& major, int& minor) override
    {
        if (!state().versionKnown)
            return false;
        major = state().major;
        minor = state().minor;
        return true;
    }

private:
    std::vector<PrinterOs::Record> mRecords;
};

// Linking the fake spooler is what puts it in place.
Machine gMachine;

} // namespace

void FakeSpooler::clear() { state() = State(); }

FakeSpooler::Printer& FakeSpooler::add(const char* name, const char* port, const char* driver)
{
    Printer p;
    p.name = name;
    p.port = port;
    p.driver = driver;
    p.resolutions = { 300, 300, 600, 600 };
    state().printers.push_back(p);
    return state().printers.back();
}

FakeSpooler::Printer* FakeSpooler::find(const char* name)
{
    if (name == nullptr)
        return nullptr;
    for (Printer& p : state().printers)
        if (p.name == name)
            return &p;
    return nullptr;
}

std::vector<FakeSpooler::Printer*> FakeSpooler::printers()
{
    std::vector<Printer*> out;
    for (Printer& p : state().printers)
        out.push_back(&p);
    return out;
}

void FakeSpooler::setEnumResult(PrinterOs::EnumResult result) { state().enumResult = result; }

void FakeSpooler::setDefaultDevice(const char* value)
{
    state().hasDevice = value != nullptr;
    state().device = value != nullptr ? value : "";
}

void FakeSpooler::addFont(const char* face, int pitchAndFamily, unsigned type)
{
    state().fonts.push_back(Font { face, pitchAndFamily, type });
}

void FakeSpooler::setScreen(bool reachable) { state().screen = reachable; }

void FakeSpooler::setVersion(bool known, int major, int minor)
{
    state().versionKnown = known;
    state().major = major;
    state().minor = minor;
}

RecordingDevice* FakeSpooler::lastDevice() { return state().lastDevice; }
int FakeSpooler::openPrinters() { return state().openPrinters; }
