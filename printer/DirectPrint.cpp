#include "printer/DirectPrint.h"

#include "common/ULog.h"
#include "printer/PrinterList.h"
#include "common/UOs.h"
#include "printer/PrinterOs.h"

#include <cstdint>
#include <cstring>

bool draxomeDirect(const char* printername, const char* docname, const char* data)
{
    const char* bytes = data != nullptr ? data : "";
    const std::size_t n = std::strlen(bytes);

    PrinterOs::Handle printer = nullptr;
    if (!PrinterOs::openPrinter(printername != nullptr ? printername : "", printer)) {
        const std::string why = UOs::systemErrorText();
        ULog::write("draxomeDirect() : cannot open printer", ULog::Error);
        logCannotOpenPrinter("draxomeDirect()", printername, why);
        return false;
    }
    if (!PrinterOs::startRawDocument(printer, docname != nullptr ? docname : "")) {
        ULog::write("draxomeDirect() : cannot start document", ULog::Error);
        PrinterOs::closePrinter(printer);
        return false;
    }

    // One write normally takes it all. A spooler that takes only a part is handed the
    // rest, so nothing is lost quietly; only a write that takes nothing at all stops it.
    std::size_t sent = 0;
    bool first = true;
    while (first || sent < n) {
        std::uint32_t written = 0;
        const std::uint32_t want = static_cast<std::uint32_t>(n - sent);
        if (!PrinterOs::writeRaw(printer, bytes + sent, want, written)) {
            if (first) {
                ULog::write("draxomeDirect() : cannot write document to printer", ULog::Error);
                PrinterOs::endRawDocument(printer);
                PrinterOs::closePrinter(printer);
                return false;
            }
            break;
        }
        first = false;
        if (written > want)
            written = want;
        sent += written;
        if (written == 0)
            break;
    }
    if (sent < n)
        ULog::write("draxomeDirect() : cannot print entire document", ULog::Warning);

    if (!PrinterOs::endRawDocument(printer))
        ULog::write("draxomeDirect() : cannot end document", ULog::Warning);
    PrinterOs::closePrinter(printer);
    return true;
}
