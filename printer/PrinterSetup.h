#pragma once

#include "printer/printerinfo.h"

#include <cstdint>
#include <cstdio>
#include <vector>

class PrintDevice;

// Opening a printer's device, applying a job's orientation, paper size and resolution to
// it, and the printer's resolutions with the inventory file "reslist.txt".

// Fetches the printer's current device mode into the program's device-mode buffer
// (replaced by the next call); devmode points to it and size tells its bytes.
bool getprinterinfo(const char* printername, void*& devmode, int& size);
// Applies orientation, paper size, copies and duplex (-1: the printer's own) and the
// resolution (both non-zero, or the printer's own) to the printer's device. 0, or -1 on
// failure.
int reset_printer(const char* printername, PrintDevice* hdc, short orientation, short papersize, int xres, int yres,
                  short copies = -1, short duplex = -1);
// What a printer can do of the job's paper and duplex, and what it does by default; known
// is false when the printer cannot be asked.
struct PrinterAbilities {
    bool known = false;
    std::vector<short> papers;
    bool duplex = false;
    short defaultPaper = -1;
    short defaultDuplex = -1;
};
bool getabilities(const char* printername, PrinterAbilities& abilities);
// Makes the device of the printer; hdc receives it, owned by the caller. 0, or -1.
int init_printer(PrintDevice*& hdc, printerinfo info);
// The printer's resolutions as count pairs (horizontal, vertical) in list, in the
// printer's order; the buffer is replaced by the next call.
bool enumres(const char* printername, std::int32_t*& list, int& count);
// Sorts count pairs ascending by the larger of their two values, keeping the first of
// equal ones first.
void sortres(std::int32_t* list, int count);
// res receives the smallest resolution (by sortres order) whose two values both reach
// minres, or the largest when none does. False when there are none.
bool getminres(const char* printername, std::int32_t* res, int minres);
// Writes "./reslist.txt": one resolution per line as "<x>x<y>", LF only, printer's order.
bool reslist(const char* printername);

// The choice of getminres on a list already sorted by sortres.
bool chooseres(const std::int32_t* sorted, int count, int minres, std::int32_t* res);
// Writes count pairs as "%dx%d\n"; false when writing fails.
bool writeresolutions(std::FILE* f, const std::int32_t* list, int count);
