#include "printer/FakeSpooler.h"

#include <cstring>
#include <deque>

namespace {

struct Machine {
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

Machine& machine()
{
    static Machine m;
    return m;
}

} // namespace

void FakeSpooler::clear() { machine() = Machine(); }

FakeSpooler::Printer& FakeSpooler::add(const char* name, const char* port, const char* driver)
{
    Printer p;
    p.name = name;
    p.port = port;
    p.driver = driver;
    p.resolutions = { 300, 300, 600, 600 };
    machine().printers.push_back(p);
    return machine().printers.back();
}

FakeSpooler::Printer* FakeSpooler::find(const char* name)
{
    if (name == nullptr)
        return nullptr;
    for (Printer& p : machine().printers)
        if (p.name == name)
            return &p;
    return nullptr;
}

std::vector<FakeSpooler::Printer*> FakeSpooler::printers()
{
    std::vector<Printer*> out;
    for (Printer& p : machine().printers)
        out.push_back(&p);
    return out;
}

void FakeSpooler::setEnumResult(PrinterOs::EnumResult result) { machine().enumResult = result; }
PrinterOs::EnumResult FakeSpooler::enumResult() { return machine().enumResult; }

void FakeSpooler::setDefaultDevice(const char* value)
{
    machine().hasDevice = value != nullptr;
    machine().device = value != nullptr ? value : "";
}

const char* FakeSpooler::defaultDevice() { return machine().hasDevice ? machine().device.c_str() : nullptr; }

void FakeSpooler::addFont(const char* face, int pitchAndFamily, unsigned type)
{
    machine().fonts.push_back(Font { face, pitchAndFamily, type });
}

const std::vector<FakeSpooler::Font>& FakeSpooler::fonts() { return machine().fonts; }
void FakeSpooler::setScreen(bool reachable) { machine().screen = reachable; }
bool FakeSpooler::screen() { return machine().screen; }

void FakeSpooler::setVersion(bool known, int major, int minor)
{
    machine().versionKnown = known;
    machine().major = major;
    machine().minor = minor;
}

bool FakeSpooler::version(int& major, int& minor)
{
    if (!machine().versionKnown)
        return false;
    major = machine().major;
    minor = machine().minor;
    return true;
}

RecordingDevice* FakeSpooler::lastDevice() { return machine().lastDevice; }
void FakeSpooler::setLastDevice(RecordingDevice* device) { machine().lastDevice = device; }
int FakeSpooler::openPrinters() { return machine().openPrinters; }
void FakeSpooler::opened(int delta) { machine().openPrinters += delta; }
