// Proves the Wine test bed before anything of ours relies on it: the virtual printers are
// there, "Virtual A4" is the default, and a GDI job on each lands as one new PostScript
// file. tests/system/printer_bed_readback.sh reads the two jobs back and checks text,
// paper and the ruled line, so the texts and the line below are known to it too.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kA4Printer[] = "Virtual A4";
const char kLetterPrinter[] = "Virtual Letter";
const char kA4Text[] = "DRAXOME BED 12345";
const char kLetterText[] = "DRAXOME BED LETTER 67890";
// Device units at 300 dpi; the read-back expects a dark run of about two thirds of this
// many pixels at 100 dpi.
const int kLineX0 = 150;
const int kLineX1 = 2250;
const int kLineY = 900;

struct PrinterRow {
  std::string name;
  std::string port;
  std::string driver;
  std::string processor;
};

std::string orEmpty(const char* s) { return s ? s : ""; }

std::vector<PrinterRow> enumPrinters() {
  std::vector<PrinterRow> rows;
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  DWORD needed = 0;
  DWORD count = 0;
  EnumPrintersA(flags, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return rows;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersA(flags, nullptr, 2, buffer.data(), needed, &needed, &count)) return rows;
  const PRINTER_INFO_2A* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    rows.push_back({orEmpty(info[i].pPrinterName), orEmpty(info[i].pPortName),
                    orEmpty(info[i].pDriverName), orEmpty(info[i].pPrintProcessor)});
  }
  return rows;
}

const PrinterRow* findPrinter(const std::vector<PrinterRow>& rows, const std::string& name) {
  for (const PrinterRow& row : rows) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

// The printers' port writes into DRAXOME_SPOOL_DIR (a Linux path), which Wine shows
// under drive Z:.
std::string spoolPattern() {
  const char* dir = std::getenv("DRAXOME_SPOOL_DIR");
  std::string path = std::string("Z:") + (dir && *dir ? dir : "/tmp/draxome-spool");
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path + "\\job-*.ps";
}

int countJobFiles() {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(spoolPattern().c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    ++n;
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return n;
}

struct PageResult {
  int horzres = 0;
  int vertres = 0;
};

// One page: a line of Courier New and a long horizontal rule. Every GDI call's result is
// checked where it happens, so a failure names the call.
void printOnePage(const char* printer, const char* text, PageResult& result) {
  HDC dc = CreateDCA("WINSPOOL", printer, nullptr, nullptr);
  ASSERT_NE(dc, nullptr) << "CreateDCA(" << printer << ") error " << GetLastError();
  result.horzres = GetDeviceCaps(dc, HORZRES);
  result.vertres = GetDeviceCaps(dc, VERTRES);

  DOCINFOA doc = {};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = "draxome printer bed";
  int job = StartDocA(dc, &doc);
  EXPECT_GT(job, 0) << "StartDocA error " << GetLastError();
  bool drawn = false;
  if (job > 0) {
    EXPECT_GT(StartPage(dc), 0);
    // 12 pt at 300 dpi, so text extraction has clear glyphs to work with.
    HFONT font = CreateFontA(-50, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FIXED_PITCH | FF_MODERN, "Courier New");
    EXPECT_NE(font, nullptr);
    HGDIOBJ oldFont = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    EXPECT_STREQ(face, "Courier New") << "the font replacement is not in effect";
    EXPECT_TRUE(TextOutA(dc, 300, 600, text, lstrlenA(text)));
    // A pen a few device units wide: a hairline would depend on the renderer's rounding.
    HPEN pen = CreatePen(PS_SOLID, 6, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    EXPECT_TRUE(MoveToEx(dc, kLineX0, kLineY, nullptr));
    EXPECT_TRUE(LineTo(dc, kLineX1, kLineY));
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    EXPECT_GT(EndPage(dc), 0) << "EndPage error " << GetLastError();
    int ended = EndDoc(dc);
    EXPECT_GT(ended, 0) << "EndDoc error " << GetLastError();
    drawn = ended > 0;
  }
  DeleteDC(dc);
  ASSERT_TRUE(drawn);
}

TEST(PrinterBed, FindsBothVirtualPrinters) {
  std::vector<PrinterRow> rows = enumPrinters();
  for (const char* name : {kA4Printer, kLetterPrinter}) {
    const PrinterRow* row = findPrinter(rows, name);
    ASSERT_NE(row, nullptr) << name << " is missing; " << rows.size() << " printers listed";
    EXPECT_EQ(row->port.substr(0, 1), "|") << name << " port " << row->port;
    EXPECT_NE(row->port.find("DRAXOME_SPOOL_DIR"), std::string::npos) << row->port;
    EXPECT_EQ(row->processor, "winprint") << name;
  }
  EXPECT_NE(findPrinter(rows, kA4Printer)->driver, findPrinter(rows, kLetterPrinter)->driver)
      << "both printers share one driver, so they cannot differ in paper";
}

TEST(PrinterBed, DefaultPrinterIsVirtualA4) {
  char device[512] = {};
  DWORD n = GetProfileStringA("windows", "device", "", device, sizeof device);
  ASSERT_GT(n, 0u) << "no default printer in the profile";
  std::string value(device);
  std::string::size_type comma = value.find(',');
  ASSERT_NE(comma, std::string::npos) << value;
  EXPECT_EQ(value.substr(0, comma), kA4Printer) << value;
}

TEST(PrinterBed, PrintsOnePageOnA4) {
  int before = countJobFiles();
  PageResult page;
  ASSERT_NO_FATAL_FAILURE(printOnePage(kA4Printer, kA4Text, page));
  // A4 at 300 dpi less the generic PPD's margins.
  EXPECT_EQ(page.horzres, 2329);
  EXPECT_EQ(page.vertres, 3358);
  EXPECT_EQ(countJobFiles(), before + 1) << "no new job file matching " << spoolPattern();
}

TEST(PrinterBed, PrintsOnePageOnLetter) {
  int before = countJobFiles();
  PageResult page;
  ASSERT_NO_FATAL_FAILURE(printOnePage(kLetterPrinter, kLetterText, page));
  EXPECT_EQ(page.horzres, 2400);
  EXPECT_EQ(page.vertres, 3150);
  EXPECT_EQ(countJobFiles(), before + 1) << "no new job file matching " << spoolPattern();
}

}  // namespace
