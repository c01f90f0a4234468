#pragma once

#include "common/UString.h"

// One printer as the spooler describes it: the name to open it by and to name its device,
// the port it prints to, and its driver. A new one holds three empty strings.
class printerinfo {
public:
    UString name;
    UString port;
    UString driver;
};
