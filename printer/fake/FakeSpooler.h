#pragma once

#include "printer/PrinterOs.h"
#include "printer/fake/RecordingDevice.h"

#include <cstdint>
#include <string>
#include <vector>

// The machine that the native tests print on: printers, a profile, screen fonts and a
// Windows version that exist only in memory and that tests set up as they need. Linked into
// a program, it installs itself as the printer seam's stand-in (PrinterStandIn), and the
// devices it makes are RecordingDevices with the printer's capabilities. A fresh machine
// has no printers, no "device" profile entry, a screen without fonts and no version.
class FakeSpooler {
public:
    // A raw document as the printer received it.
    struct RawDocument {
        std::string name;
        std::string data;
        int writes = 0;
        bool ended = false;
    };

    struct Printer {
        std::string name;
        std::string port;
        std::string driver;
        // Pairs (horizontal, vertical) in the printer's order.
        std::vector<std::int32_t> resolutions;
        bool reportsResolutions = true;  // false: the resolution query answers -1
        bool opens = true;               // false: the printer cannot be opened
        bool describes = true;           // false: the printer query fails
        bool closes = true;              // false: closing reports a failure
        int deviceModeSize = 164;        // negative: the size query fails
        bool readsDeviceMode = true;     // false: filling the device mode fails
        bool makesDevice = true;         // false: no device can be made
        // The device mode the printer holds now.
        short orientation = 1;
        short paperSize = 9;
        short printQuality = 300;
        short yResolution = 300;
        // The size of the devices made for it, as of its current device mode.
        RecordingDevice::Caps caps;
        // Raw documents: whether one can be started, written and ended, and how many bytes
        // a write takes at most (negative: all); the documents handed over, in order.
        bool startsDocument = true;
        bool writes = true;
        int writeLimit = -1;
        bool endsDocument = true;
        std::vector<RawDocument> rawDocuments;
    };

    struct Font {
        std::string face;
        int pitchAndFamily;
        unsigned type;
    };

    static void clear();
    // Adds a printer in spooler order, with the resolutions 300x300 and 600x600.
    static Printer& add(const char* name, const char* port, const char* driver);
    static Printer* find(const char* name);
    static std::vector<Printer*> printers();

    // How the next enumerations end.
    static void setEnumResult(PrinterOs::EnumResult result);

    // The profile entry "device" of section "windows"; null removes it.
    static void setDefaultDevice(const char* value);

    static void addFont(const char* face, int pitchAndFamily, unsigned type);
    static void setScreen(bool reachable);
    static void setVersion(bool known, int major, int minor);

    // The device made last (owned by whoever asked for it), and the printers opened and
    // not closed since clear().
    static RecordingDevice* lastDevice();
    static int openPrinters();
};
