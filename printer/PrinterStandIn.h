#pragma once

#include "printer/PrinterOs.h"

// Where there is no spooler (the Posix side of the printer seam), printer access asks a
// machine that lives in memory. The printer library ships none: tests and benchmarks link
// one (printer/fake) that installs itself. Without one the machine has no printers, no
// profile, no screen and no version, and every query fails as a spooler would.
// Each function answers as the PrinterOs function of the same name.
class PrinterStandIn {
public:
    virtual ~PrinterStandIn();

    // Makes machine the one printer access asks; null removes it. The caller keeps it.
    static void install(PrinterStandIn* machine);

    virtual PrinterOs::EnumResult enumPrinters(const PrinterOs::Record*& records, int& count) = 0;
    virtual void releasePrinters() = 0;
    virtual bool openPrinter(const char* name, PrinterOs::Handle& printer) = 0;
    virtual bool closePrinter(PrinterOs::Handle printer) = 0;
    virtual bool describePrinter(PrinterOs::Handle printer, PrinterOs::Record& record) = 0;
    virtual bool startRawDocument(PrinterOs::Handle printer, const char* docName) = 0;
    virtual bool writeRaw(PrinterOs::Handle printer, const void* data, std::uint32_t size, std::uint32_t& written) = 0;
    virtual bool endRawDocument(PrinterOs::Handle printer) = 0;
    virtual int deviceModeSize(PrinterOs::Handle printer) = 0;
    virtual int readDeviceMode(PrinterOs::Handle printer, void* buffer) = 0;
    virtual int resolutions(const char* name, std::int32_t* list) = 0;
    // A machine that does not say what paper and duplex its printers do leaves them
    // unchecked.
    virtual int papers(const char*, short*) { return -1; }
    virtual int duplex(const char*) { return -1; }
    virtual PrintDevice* createDevice(const char* driver, const char* name, const char* port) = 0;
    // The profile value, or null when the entry is missing.
    virtual const char* profileString(const char* section, const char* key) = 0;
    virtual bool enumScreenFonts(PrinterOs::FontProc proc, void* user) = 0;
    virtual bool windowsVersion(int& major, int& minor) = 0;
};
