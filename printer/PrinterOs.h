#pragma once

#include <cstdint>

class PrintDevice;

// The printer seam: the few spooler and system calls that printer access needs, each as
// thin as the Windows call it stands for. PrinterOsWin.cpp calls the spooler and GDI;
// PrinterOsPosix.cpp asks an installed stand-in machine (PrinterStandIn), so the code
// above the seam runs and is tested on any platform.
class PrinterOs {
public:
    typedef void* Handle;

    // One printer as enumeration or a printer query answers; the texts stay valid until the
    // next call of the same function.
    struct Record {
        const char* name;
        const char* port;
        const char* driver;
    };

    enum EnumResult { Enumerated, NoMemory, EnumFailed };
    // Every local printer and printer connection, in the spooler's order. The records live
    // until releasePrinters() or the next enumeration.
    static EnumResult enumPrinters(const Record*& records, int& count);
    static void releasePrinters();

    static bool openPrinter(const char* name, Handle& printer);
    static bool closePrinter(Handle printer);
    // The names of an open printer; false, with nothing to say, when it cannot be queried.
    static bool describePrinter(Handle printer, Record& record);

    // A raw document on an open printer: the bytes written reach the printer unchanged,
    // under the document name, in the data type of the printer's print processor. Each
    // answers as the spooler call it stands for; written tells how many bytes were taken.
    static bool startRawDocument(Handle printer, const char* docName);
    static bool writeRaw(Handle printer, const void* data, std::uint32_t size, std::uint32_t& written);
    static bool endRawDocument(Handle printer);

    // Size in bytes of the printer's device mode, negative on failure.
    static int deviceModeSize(Handle printer, const char* name);
    // Fills buffer (deviceModeSize bytes) with the printer's current settings; negative on
    // failure.
    static int readDeviceMode(Handle printer, const char* name, void* buffer);

    // The printer's resolutions as pairs of dots per inch (horizontal, vertical): with a
    // null list the number of pairs, else the number written; -1 on failure.
    static int resolutions(const char* name, const char* port, std::int32_t* list);

    // The printer's paper codes: with a null list the number of them, else the number
    // written; -1 on failure.
    static int papers(const char* name, const char* port, short* list);
    // 1 when the printer prints on both sides, 0 when it does not, -1 on failure.
    static int duplex(const char* name, const char* port);

    // A device for the printer, owned by the caller; null when it cannot be made.
    static PrintDevice* createDevice(const char* driver, const char* name, const char* port);

    // A value of the user's Windows profile, or def when the entry is missing; truncated
    // to size - 1 bytes and always NUL-terminated.
    static void profileString(const char* section, const char* key, const char* def, char* buffer, int size);

    // Called once per face with its name, its pitch-and-family byte and its font type bits
    // (0x4 TrueType); answers non-zero to go on.
    typedef int (*FontProc)(const char* face, int pitchAndFamily, unsigned fontType, void* user);
    // Enumerates the faces of the screen; false when the screen cannot be reached.
    static bool enumScreenFonts(FontProc proc, void* user);

    static bool windowsVersion(int& major, int& minor);
};
