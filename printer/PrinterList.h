#pragma once

#include <string>

#include "common/UVector.h"
#include "printer/printerinfo.h"

#include <cstdio>

// The printers of the machine, the default printer and the inventory file "prntlist.txt".

// Refills the program's printer table from the spooler and hands it out with the number
// of printers in it. Always true: failures are logged and leave an empty table.
bool enumprinters(UVector<printerinfo*>*& printers, int& count);
// Describes the named printer; false (info untouched) when it cannot be opened or queried.
bool getprinter(const char* name, printerinfo& info);
// The line after a failed OpenPrinter: who failed, on which printer, and what the system
// said (UOs::systemErrorText, taken before any other line was written).
void logCannotOpenPrinter(const char* who, const char* name, const std::string& why);
// The default printer's name, from the profile entry "device" of section "windows"; it
// points into a buffer that the next call reuses.
bool getdefaultprinter(char*& name);
// Writes "./prntlist.txt": one printer name per line, LF only, in spooler order.
bool printlist();

// Splits a profile value "printer name,driver,port" in place: name points to the printer
// name, NUL-terminated inside value. False unless all three parts are there.
bool splitdevice(char* value, char*& name);
// Writes the names of the first count printers, each followed by one LF; false when
// writing fails.
bool writeprinternames(std::FILE* f, const UVector<printerinfo*>& printers, int count);
