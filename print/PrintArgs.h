#pragma once

#include "common/JobProtocol.h"
#include "common/UVector.h"

#include <cstdint>

// Every setting of the print program, filled once at start-up from the command line and
// any command files, then only read. There is exactly one record for the whole run, the
// global `args`; Main adjusts a few fields after parsing (logpath, log, printername,
// hbanner, banner, resolution) and everything after that only reads it.
//
// Which option fills which field (text fields hold at most their size minus one
// characters; a longer value is refused, never cut):
//
//   -htext mm         htext         int32, tenths of a mm (mm x 10, truncated), above 0   default 35
//   -hline mm         hline         int32, tenths of a mm; htext + hline above 0     default 0
//   -open path        filename      char[500]                                    default ""
//   -cmdfile path     cmdfile       char[500], last command file read            default ""
//   -docname text     docname       char[500], the spooler's document name       default "Raport"
//   -fontface name    fontface      char[100]                                    default "Courier New"
//   -orientation w    orientation   int16: -1 printer default, 1 portrait, 2 landscape
//   -papersize w      papersize     int16: -1 printer default, else a Windows paper code:
//                                   1 letter, 3 tabloid, 5 legal, 7 executive, 8 a3, 9 a4,
//                                   11 a5, 13 b5 (words in any case)
//   -copies n         copies        int16: -1 printer default, else 1 to 999
//   -duplex w         duplex        int16: -1 printer default, 1 none, 2 long, 3 short
//   -left/-right/-top/-bottom n
//                     left, right, top, bottom   int32, whole mm, 0 or more    default 0
//   -logfile path     logfile       char[500]                                    default "prnlog.txt"
//   (start-up)        logpath       char[500], the log actually in use           default "prnlog.txt"
//   -disablelog       log = false   bool                                         default true
//   -logsize n        logsize       int32, bytes                                 default 10000
//   -graph            graph = 1     int32                                        default 0
//   -fontlist         fontlist      bool
//   -printlist        printlist     bool
//   -reslist          reslist       bool
//   -printername s    printername   char[500]; empty: the default printer
//   -resolution x y   resolution.xres, resolution.yres   int32 dpi; 0, 0: not given
//   -minres n         minres        int32                                        default 3000
//   -defaultres       defaultres    bool
//   -direct           direct        bool
//   -ver              (writes "version.txt" while parsing)
//   (none)            version       const char*, "v5.3.9"
//   -banner text      banner        char[500]
//   -hbanner mm       hbanner       int32, tenths of a mm                        default 20
//   -hcenter          hcenter       bool
//   -view             view          bool
//   -copy path        copy = true,     copytarget   char[500]
//   -run command      run = true,      runcommand   char[500]
//   -response path    response = true, responsepath char[500]
//   -zoom real        zoom          int32, stored only
//   -pages list       pages         UVector<int>, accumulates over every -pages; empty: all;
//                                   -N: page N and every page after it
//   -codepage cp      codepage      char[16], "utf-8" or a code page number; empty: the
//                                   document's bytes are drawn as they are
class PrintArgs {
public:
    static constexpr int kTextSize = 500;
    static constexpr int kFaceSize = 100;
    static constexpr int kCodePageSize = 16;
    // Bytes of a command file that are read; the rest is ignored.
    static constexpr int kCmdfileLimit = JobProtocol::kCommandLineLimit;
    // Command files may name further command files, but a file that names itself (or a
    // ring of them) must end instead of reading forever.
    static constexpr int kMaxCmdfileDepth = 10;
    // A page list longer than this is surely a typing accident ("1-2000000000"); it would
    // otherwise keep the program, and the server that waits for it, busy for hours.
    static constexpr int kMaxPages = 10000;
    static const char* const kVersion;
    static const char* const kVersionFile;

    struct Resolution {
        std::int32_t xres;
        std::int32_t yres;
    };

    PrintArgs();
    PrintArgs(const PrintArgs&) = delete;
    PrintArgs& operator=(const PrintArgs&) = delete;

    void setDefaults();

    // Splits one command-line text and parses its tokens into this record.
    // 0 on success, -1 when a token list cannot be made or an option fails.
    int parse(const char* text);
    // Parses a token list into this record; 0 or -1.
    int parseArgv(int argc, const char* const* argv);
    // Adds the page numbers of one -pages value: numbers and ranges (2-5, or 9- for page 9
    // to the end, kept as -9) separated by commas or blanks. Null when added, else why the
    // value was refused; nothing is added then.
    const char* addPages(const char* value);

    std::int32_t htext;
    std::int32_t hline;
    char filename[kTextSize];
    char cmdfile[kTextSize];
    char docname[kTextSize];
    char fontface[kFaceSize];
    std::int16_t orientation;
    std::int16_t papersize;
    std::int16_t copies;
    std::int16_t duplex;
    std::int32_t left;
    std::int32_t right;
    std::int32_t top;
    std::int32_t bottom;
    char logpath[kTextSize];
    char logfile[kTextSize];
    bool log;
    std::int32_t logsize;
    std::int32_t graph;
    bool fontlist;
    bool printlist;
    bool reslist;
    char printername[kTextSize];
    Resolution resolution;
    std::int32_t minres;
    bool defaultres;
    bool direct;
    const char* version;
    char banner[kTextSize];
    std::int32_t hbanner;
    bool hcenter;
    bool view;
    bool copy;
    char copytarget[kTextSize];
    bool run;
    char runcommand[kTextSize];
    bool response;
    char responsepath[kTextSize];
    std::int32_t zoom;
    UVector<int> pages;
    char codepage[kCodePageSize];

private:
    int parseTokens(int argc, const char* const* argv, int depth);
    int readCmdfile(int depth);
};

// The one options record of the print program, with its defaults before main runs.
extern PrintArgs args;

// Splits text into argc separately allocated tokens by the rules of UCmdLine::getArgcArgv:
// only the space separates, outside double-quoted stretches; a token that starts with a
// double quote loses its first and last character. 0 or -1; on -1 nothing is left
// allocated and argv is null.
int retrive_argcargv(const char* text, int& argc, char**& argv);
// Frees what retrive_argcargv handed out.
void release_argcargv(int argc, char** argv);
