#include "printer/WinVersion.h"

#include "printer/PrinterOs.h"

int winversionclass(int minor)
{
    switch (minor) {
    case 0: return 1;
    case 10: return 2;
    case 90: return 3;
    case 51: return 4;
    case 1: return 7;
    default: return 0;
    }
}

int getwinversion()
{
    int major = 0, minor = 0;
    if (!PrinterOs::windowsVersion(major, minor))
        return 0;
    return winversionclass(minor);
}
