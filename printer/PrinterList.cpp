#include "printer/PrinterList.h"

#include "common/JobProtocol.h"
#include "common/ULog.h"
#include "common/UOs.h"
#include "printer/PrinterOs.h"
#include "common/UFile.h"

#include <cstring>
#include <new>

namespace {

// The printer table lives from the first enumeration to program exit and owns the
// records it points to.
struct PrinterTable {
    UVector<printerinfo*>* printers = nullptr;
    ~PrinterTable() { clear(); delete printers; }
    void clear()
    {
        if (printers == nullptr)
            return;
        for (int i = 0; i < printers->noEl; ++i)
            delete printers->data[i];
        printers->noEl = 0;
    }
};

PrinterTable gTable;

const int kDefaultPrinterSize = 120;
char gDefaultPrinter[kDefaultPrinterSize];

// Like strtok: skips leading delimiters, ends the token at the next one (in place) and
// moves p past it. Null when only delimiters are left.
char* nextToken(char*& p, const char* delims)
{
    p += std::strspn(p, delims);
    if (*p == '\0')
        return nullptr;
    char* token = p;
    p += std::strcspn(p, delims);
    if (*p != '\0')
        *p++ = '\0';
    return token;
}

} // namespace

bool enumprinters(UVector<printerinfo*>*& printers, int& count)
{
    if (gTable.printers == nullptr) {
        gTable.printers = new (std::nothrow) UVector<printerinfo*>();
        if (gTable.printers == nullptr)
            ULog::fatal("enumprinters(): new UVector<printerinfo*>(): memory error");
    }
    gTable.clear();

    const PrinterOs::Record* records = nullptr;
    int returned = 0;
    switch (PrinterOs::enumPrinters(records, returned)) {
    case PrinterOs::NoMemory:
        ULog::write("enumprinters(): pPrinters=LocalAlloc(): memory allocation error", ULog::Error);
        returned = 0;
        break;
    case PrinterOs::EnumFailed:
        ULog::write("enumprinters(): EnumPrinters(): could not enumerate printers", ULog::Error);
        returned = 0;
        break;
    case PrinterOs::Enumerated:
        ULog::write("ENUMPRINTERS:", ULog::Info);
        if (returned <= 0) {
            ULog::write("enumprinters(): cReturned > 0: no printers in the system", ULog::Warning);
            returned = 0;
        }
        for (int i = 0; i < returned; ++i) {
            const PrinterOs::Record& r = records[i];
            UString line = "\t";
            line += r.name;
            line += ";";
            line += r.port;
            line += ";";
            line += r.driver;
            ULog::write(line, ULog::Info);
            printerinfo* p = new (std::nothrow) printerinfo();
            if (p != nullptr) {
                p->name = r.name;
                p->port = r.port;
                p->driver = r.driver;
            }
            if (p == nullptr || !gTable.printers->add(p)) {
                ULog::write("enumprinters(): printers.add(pTemp): could not add printer", ULog::Error);
                delete p;
                break;
            }
        }
        break;
    }
    PrinterOs::releasePrinters();
    printers = gTable.printers;
    // The table's own count: a record that could not be added is not there to be read.
    count = gTable.printers->noEl;
    return true;
}

void logCannotOpenPrinter(const char* who, const char* name, const std::string& why)
{
    UString line(who);
    line += ": cannot open the printer '";
    line += name != nullptr ? name : "";
    line += "': ";
    line += why.c_str();
    ULog::write(line, ULog::Error);
}

bool getprinter(const char* name, printerinfo& info)
{
    PrinterOs::Handle printer = nullptr;
    if (name == nullptr || !PrinterOs::openPrinter(name, printer)) {
        const std::string why = UOs::systemErrorText();
        ULog::write("getprinter: OpenPrinter(): cannot open printer", ULog::Error);
        logCannotOpenPrinter("getprinter()", name, why);
        return false;
    }
    PrinterOs::Record record;
    const bool described = PrinterOs::describePrinter(printer, record);
    if (!PrinterOs::closePrinter(printer))
        ULog::write("getprinter: ClosePrinter(): cannot close printer/r/n", ULog::Error);
    if (!described)
        return false;
    info.name = record.name;
    info.port = record.port;
    info.driver = record.driver;
    return true;
}

bool splitdevice(char* value, char*& name)
{
    if (value == nullptr)
        return false;
    char* p = value;
    char* printer = nextToken(p, ",");
    if (printer == nullptr)
        return false;
    if (nextToken(p, ", ") == nullptr)
        return false;
    if (nextToken(p, ", ") == nullptr)
        return false;
    name = printer;
    return true;
}

bool getdefaultprinter(char*& name)
{
    PrinterOs::profileString("windows", "device", ",,,", gDefaultPrinter, kDefaultPrinterSize);
    return splitdevice(gDefaultPrinter, name);
}

bool writeprinternames(std::FILE* f, const UVector<printerinfo*>& printers, int count)
{
    if (count > printers.noEl)
        count = printers.noEl;
    for (int i = 0; i < count; ++i)
        if (std::fprintf(f, "%s\n", printers.data[i]->name.str()) < 0)
            return false;
    return true;
}

bool printlist()
{
    UFile list(JobProtocol::kPrinterList, "wb");
    if (!list.isOpen()) {
        ULog::write("printlist(...): if( prnlst==NULL )", ULog::Error);
        return false;
    }
    UVector<printerinfo*>* printers = nullptr;
    int count = 0;
    const bool b = enumprinters(printers, count);
    if (!b) {
        ULog::write("printlist(...): if( b==false )", ULog::Error);
        return false;
    }
    const bool written = writeprinternames(list.get(), *printers, count);
    if (!list.close() || !written) {
        ULog::write("printlist(...): fprintf(prnlst): could not write printer list", ULog::Error);
        return false;
    }
    return true;
}
