#include "printer/PrinterSetup.h"

#include "common/JobProtocol.h"
#include "common/ULog.h"
#include "common/UOs.h"
#include "printer/DeviceMode.h"
#include "printer/PrintDevice.h"
#include "printer/PrinterList.h"
#include "printer/PrinterOs.h"
#include "common/UFile.h"

#include <cstdlib>

namespace {

// The device-mode and resolution buffers live from the first call to program exit; each
// call replaces them. A 1-byte placeholder stands in before the first real buffer.
struct Buffers {
    void* devmode = nullptr;
    int devmodeSize = 0;
    std::int32_t* resolutions = nullptr;
    ~Buffers()
    {
        std::free(devmode);
        std::free(resolutions);
    }
};

Buffers gBuffers;

std::int32_t key(const std::int32_t* pair) { return pair[0] > pair[1] ? pair[0] : pair[1]; }

} // namespace

bool getprinterinfo(const char* printername, void*& devmode, int& size)
{
    if (gBuffers.devmode == nullptr)
        gBuffers.devmode = std::malloc(1);
    if (gBuffers.devmode == nullptr) {
        ULog::write("getprinterinfo(...): malloc() : memory error (0)", ULog::Error);
        return false;
    }
    PrinterOs::Handle printer = nullptr;
    if (printername == nullptr || !PrinterOs::openPrinter(printername, printer)) {
        const std::string why = UOs::systemErrorText();
        ULog::write("reset_printer: OpenPrinter(): cannot open printer", ULog::Error);
        logCannotOpenPrinter("reset_printer()", printername, why);
        return false;
    }
    bool ok = false;
    const int needed = PrinterOs::deviceModeSize(printer, printername);
    if (needed < 0) {
        ULog::write("reset_printer: DocumentProperties(): cannot retrieve size of DEVMODE/r/n", ULog::Error);
    } else {
        // Never less than the fields this program writes, so a short answer cannot make
        // the job settings land outside the buffer.
        const int bytes = needed < DeviceMode::MinimumSize ? DeviceMode::MinimumSize : needed;
        void* fresh = std::calloc(static_cast<size_t>(bytes), 1);
        if (fresh == nullptr) {
            ULog::write("reset_printer: malloc(dpres): memory error/r/n", ULog::Error);
        } else {
            std::free(gBuffers.devmode);
            gBuffers.devmode = fresh;
            gBuffers.devmodeSize = bytes;
            size = bytes;
            if (PrinterOs::readDeviceMode(printer, printername, fresh) < 0)
                ULog::write("reset_printer: DocumentProperties(): cannot initialize mode/r/n", ULog::Error);
            else
                ok = true;
        }
    }
    PrinterOs::closePrinter(printer);
    if (ok)
        devmode = gBuffers.devmode;
    return ok;
}

int reset_printer(const char* printername, PrintDevice* hdc, short orientation, short papersize, int xres, int yres,
                  short copies, short duplex)
{
    void* devmode = nullptr;
    int size = 0;
    if (!getprinterinfo(printername, devmode, size))
        return -1;
    if (hdc == nullptr)
        return -1;
    DeviceMode mode(devmode, size);
    mode.applyJob({orientation, papersize, xres, yres, copies, duplex});
    return hdc->reset(mode) ? 0 : -1;
}

bool getabilities(const char* printername, PrinterAbilities& abilities)
{
    abilities = PrinterAbilities();
    void* devmode = nullptr;
    int size = 0;
    printerinfo printer;
    if (!getprinter(printername, printer) || !getprinterinfo(printername, devmode, size))
        return false;
    const DeviceMode mode(devmode, size);
    abilities.defaultPaper = mode.paperSize();
    abilities.defaultDuplex = (mode.fields() & DeviceMode::Duplex) != 0 ? mode.duplex() : 1;
    const int count = PrinterOs::papers(printer.name.str(), printer.port.str(), nullptr);
    // A count beyond any real printer is not believed.
    if (count < 0 || count > 4096)
        return false;
    abilities.papers.resize(static_cast<size_t>(count));
    if (count > 0 && PrinterOs::papers(printer.name.str(), printer.port.str(), abilities.papers.data()) != count)
        return false;
    abilities.duplex = PrinterOs::duplex(printer.name.str(), printer.port.str()) == 1;
    abilities.known = true;
    return true;
}

int init_printer(PrintDevice*& hdc, printerinfo info)
{
    hdc = PrinterOs::createDevice(info.driver.str(), info.name.str(), info.port.str());
    return hdc != nullptr ? 0 : -1;
}

bool enumres(const char* printername, std::int32_t*& list, int& count)
{
    if (gBuffers.resolutions == nullptr)
        gBuffers.resolutions = static_cast<std::int32_t*>(std::malloc(1));
    if (gBuffers.resolutions == nullptr) {
        ULog::write("enumres(...): output=malloc() : memory error (0)", ULog::Error);
        return false;
    }
    printerinfo printer;
    const bool b = getprinter(printername, printer);
    if (!b) {
        ULog::write("enumres(...): b=getprinter(prname, printer) : printer missing", ULog::Error);
        return false;
    }
    const int pairs = PrinterOs::resolutions(printer.name.str(), printer.port.str(), nullptr);
    // Anything negative is no answer; a count beyond any real printer is not believed.
    if (pairs < 0 || pairs > 0x100000) {
        ULog::write("enumres(...): DeviceCapabilities() : cannot get number of resolutions", ULog::Error);
        return false;
    }
    std::int32_t* fresh = static_cast<std::int32_t*>(std::malloc(static_cast<size_t>(pairs) * 8 + 8));
    if (fresh == nullptr) {
        ULog::write("enumres(...): output=malloc() : memory error (1)", ULog::Error);
        return false;
    }
    std::free(gBuffers.resolutions);
    gBuffers.resolutions = fresh;
    int written = pairs > 0 ? PrinterOs::resolutions(printer.name.str(), printer.port.str(), fresh) : 0;
    if (written < 0) {
        ULog::write("enumres(...): DeviceCapabilities() : cannot get resolutions", ULog::Error);
        return false;
    }
    // The printer may have changed between the two questions; never hand out more pairs
    // than there is room for.
    if (written > pairs)
        written = pairs;
    list = fresh;
    count = written;
    return true;
}

void sortres(std::int32_t* list, int count)
{
    if (list == nullptr)
        return;
    for (int i = 0; i + 1 < count; ++i) {
        int smallest = i;
        for (int j = i + 1; j < count; ++j)
            if (key(list + 2 * j) < key(list + 2 * smallest))
                smallest = j;
        if (smallest != i) {
            const std::int32_t x = list[2 * i], y = list[2 * i + 1];
            list[2 * i] = list[2 * smallest];
            list[2 * i + 1] = list[2 * smallest + 1];
            list[2 * smallest] = x;
            list[2 * smallest + 1] = y;
        }
    }
}

bool chooseres(const std::int32_t* sorted, int count, int minres, std::int32_t* res)
{
    if (sorted == nullptr || count <= 0 || res == nullptr)
        return false;
    int chosen = count - 1;
    for (int i = 0; i < count; ++i) {
        if (sorted[2 * i] >= minres && sorted[2 * i + 1] >= minres) {
            chosen = i;
            break;
        }
    }
    res[0] = sorted[2 * chosen];
    res[1] = sorted[2 * chosen + 1];
    return true;
}

bool getminres(const char* printername, std::int32_t* res, int minres)
{
    std::int32_t* list = nullptr;
    int count = 0;
    if (!enumres(printername, list, count))
        return false;
    if (count == 0)
        return false;
    sortres(list, count);
    return chooseres(list, count, minres, res);
}

bool writeresolutions(std::FILE* f, const std::int32_t* list, int count)
{
    for (int i = 0; i < count; ++i)
        if (std::fprintf(f, "%dx%d\n", static_cast<int>(list[2 * i]), static_cast<int>(list[2 * i + 1])) < 0)
            return false;
    return true;
}

bool reslist(const char* printername)
{
    UFile file(JobProtocol::kResList, "wb");
    if (!file.isOpen())
        return false;
    std::int32_t* list = nullptr;
    int count = 0;
    if (!enumres(printername, list, count))
        return false;
    const bool written = writeresolutions(file.get(), list, count);
    if (!file.close() || !written) {
        ULog::write("reslist(...): fprintf(reslst): could not write resolution list", ULog::Error);
        return false;
    }
    return true;
}
