#include "print/PrintArgs.h"

#include "common/UCmdLine.h"
#include "common/ULog.h"
#include "common/UString.h"
#include "common/UFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

const char* const PrintArgs::kVersion = "v5.3.9";
const char* const PrintArgs::kVersionFile = JobProtocol::kVersionFile;

PrintArgs args;

namespace {

const char* const kArrayError = "retrive_argcargv(): memory error (command line)";
const char* const kNestedTooDeep = "command line: cmdfile: command files nested more than 10 deep";
const char* const kTooManyPages = "command line: p: more than 10000 page numbers, the rest is ignored";

static_assert(PrintArgs::kMaxCmdfileDepth == 10, "the nesting message names the depth");
static_assert(PrintArgs::kMaxPages == 10000, "the page-list message names the limit");

const std::int64_t kInt32Max = 2147483647LL;
const std::int64_t kInt32Min = -2147483647LL - 1;

int fail(const char* msg)
{
    ULog::write(msg, ULog::Error);
    return -1;
}

void copyText(char* field, const char* text, int size)
{
    std::snprintf(field, static_cast<size_t>(size), "%s", text);
}

// A value that does not fit its field is refused whole: a cut-off path or printer name
// would quietly point somewhere else.
bool takeText(char* field, int size, const char* value)
{
    if (value == nullptr || std::strlen(value) >= static_cast<size_t>(size))
        return false;
    copyText(field, value, size);
    return true;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::int32_t clampInt32(std::int64_t v)
{
    if (v > kInt32Max)
        return static_cast<std::int32_t>(kInt32Max);
    if (v < kInt32Min)
        return static_cast<std::int32_t>(kInt32Min);
    return static_cast<std::int32_t>(v);
}

// Leading blanks, an optional sign and the decimal digits after it; anything else ends the
// number, and no digits read as 0. Values beyond 32 bits stay at the nearest end.
std::int32_t readInteger(const char* s)
{
    while (isBlank(*s))
        ++s;
    bool negative = false;
    if (*s == '+' || *s == '-')
        negative = *s++ == '-';
    std::int64_t v = 0;
    for (; isDigit(*s); ++s) {
        if (v <= kInt32Max + 1)
            v = v * 10 + (*s - '0');
    }
    return clampInt32(negative ? -v : v);
}

// A real value (blanks, sign, digits, decimal point, fraction, exponent) times 10^shift,
// truncated toward zero. The decimal point is moved in the digits themselves instead of
// multiplying a double: 2.3 mm must give 23 tenths on every build, and the 32-bit build
// keeps x87 intermediates that would turn 2.3 x 10 into 22.99...
std::int32_t readScaled(const char* s, int shift)
{
    while (isBlank(*s))
        ++s;
    bool negative = false;
    if (*s == '+' || *s == '-')
        negative = *s++ == '-';
    const char* whole = s;
    int nWhole = 0;
    while (isDigit(whole[nWhole]))
        ++nWhole;
    const char* frac = whole + nWhole;
    int nFrac = 0;
    if (*frac == '.') {
        ++frac;
        while (isDigit(frac[nFrac]))
            ++nFrac;
    }
    if (nWhole + nFrac == 0)
        return 0;
    const char* p = frac + nFrac;
    std::int64_t exponent = 0;
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        bool negExp = false;
        if (*e == '+' || *e == '-')
            negExp = *e++ == '-';
        if (isDigit(*e)) {
            for (; isDigit(*e); ++e) {
                if (exponent < 100000)
                    exponent = exponent * 10 + (*e - '0');
            }
            if (negExp)
                exponent = -exponent;
        }
    }
    // Digits before the decimal point of value x 10^shift.
    const std::int64_t point = nWhole + exponent + shift;
    std::int64_t v = 0;
    for (std::int64_t i = 0; i < point; ++i) {
        int d = 0;
        if (i < nWhole)
            d = whole[i] - '0';
        else if (i - nWhole < nFrac)
            d = frac[i - nWhole] - '0';
        v = v * 10 + d;
        if (v > kInt32Max + 1) {
            v = kInt32Max + 1;
            break;
        }
    }
    return clampInt32(negative ? -v : v);
}

std::int32_t readTenths(const char* s) { return readScaled(s, 1); }

// The whole value is a number: a sign, digits and, for a real, a decimal point with more
// digits and an exponent. A value such as "abc" or "5mm" read as a number would print
// something nobody asked for.
bool isNumber(const char* s, bool real)
{
    if (*s == '+' || *s == '-')
        ++s;
    int digits = 0;
    for (; isDigit(*s); ++s)
        ++digits;
    if (real && *s == '.')
        for (++s; isDigit(*s); ++s)
            ++digits;
    if (digits == 0)
        return false;
    if (real && (*s == 'e' || *s == 'E')) {
        ++s;
        if (*s == '+' || *s == '-')
            ++s;
        if (!isDigit(*s))
            return false;
        while (isDigit(*s))
            ++s;
    }
    return *s == '\0';
}

// "command line: WORD 'VALUE': why": a refused value, named as it was given.
const char* refusal(const char* word, const char* value, const char* why)
{
    static UString line;
    line = "command line: ";
    line += word;
    line += " '";
    line += ULog::untrusted(value != nullptr ? value : "", 80);
    line += "': ";
    line += why;
    return line.str();
}

} // namespace

// The print program splits its command line by the same rules as every other program of
// the system (UCmdLine), so what the server checks is what this program reads. When memory
// runs out, UCmdLine says which allocation failed and this program adds its own line.
int retrive_argcargv(const char* text, int& argc, char**& argv)
{
    if (!UCmdLine::getArgcArgv(UString(text != nullptr ? text : ""), argc, argv))
        return fail(kArrayError);
    return 0;
}

void release_argcargv(int argc, char** argv) { UCmdLine::releaseArgcArgv(argc, argv); }

PrintArgs::PrintArgs() { setDefaults(); }

void PrintArgs::setDefaults()
{
    htext = 35;
    hline = 0;
    filename[0] = '\0';
    cmdfile[0] = '\0';
    copyText(docname, "Raport", kTextSize);
    copyText(fontface, "Courier New", kFaceSize);
    orientation = -1;
    papersize = -1;
    copies = -1;
    duplex = -1;
    left = right = top = bottom = 0;
    copyText(logfile, "prnlog.txt", kTextSize);
    copyText(logpath, logfile, kTextSize);
    log = true;
    logsize = 10000;
    graph = 0;
    fontlist = printlist = reslist = false;
    printername[0] = '\0';
    resolution.xres = 0;
    resolution.yres = 0;
    minres = 3000;
    defaultres = false;
    direct = false;
    version = kVersion;
    banner[0] = '\0';
    hbanner = 20;
    hcenter = false;
    view = false;
    copy = false;
    copytarget[0] = '\0';
    run = false;
    runcommand[0] = '\0';
    response = false;
    responsepath[0] = '\0';
    zoom = 0;
    pages.noEl = 0;
    codepage[0] = '\0';
}

int PrintArgs::parse(const char* text)
{
    int argc = 0;
    char** argv = nullptr;
    if (retrive_argcargv(text, argc, argv) != 0)
        return -1;
    const int result = parseArgv(argc, argv);
    release_argcargv(argc, argv);
    return result;
}

int PrintArgs::parseArgv(int argc, const char* const* argv)
{
    if (parseTokens(argc, argv, 0) != 0)
        return -1;
    // Lines that do not move down the page would print on top of each other, or upwards.
    if (static_cast<std::int64_t>(htext) + hline <= 0) {
        char why[120];
        std::snprintf(why, sizeof why, "with a text height of %d.%d mm the lines would not move down the page",
            static_cast<int>(htext / 10), static_cast<int>(htext % 10));
        std::int64_t tenths = hline;
        const bool negative = tenths < 0;
        if (negative)
            tenths = -tenths;
        char value[32];
        std::snprintf(value, sizeof value, "%s%lld.%lld", negative ? "-" : "", static_cast<long long>(tenths / 10),
            static_cast<long long>(tenths % 10));
        return fail(refusal("hline", value, why));
    }
    return 0;
}

namespace {

// What the parser does after an option's value is stored.
enum class Then { Nothing, ReadCmdfile, ReadYres };

// One option: its word after the dash, the error logged when its value is missing (null
// for an option without a value), and what it does with the value: null when it was
// taken, else the error to log, and the parse fails.
struct Option {
    const char* word;
    const char* missing;
    const char* (*apply)(PrintArgs& o, const char* value);
    Then then = Then::Nothing;
};

const char* text(char* field, int size, const char* value, const char* error)
{
    return takeText(field, size, value) ? nullptr : error;
}

// A text option that also turns its mode on.
const char* textFor(bool& mode, char* field, const char* value, const char* error)
{
    if (!takeText(field, PrintArgs::kTextSize, value))
        return error;
    mode = true;
    return nullptr;
}

const char* store(std::int32_t& field, std::int32_t value)
{
    field = value;
    return nullptr;
}

const char* set(bool& flag, bool value)
{
    flag = value;
    return nullptr;
}

// A height in millimetres above 0 (at least one tenth): a height of 0 or less prints
// nothing readable, or every line upside down on a page of its own.
const char* height(std::int32_t& field, const char* value, const char* word)
{
    field = readTenths(value);
    if (!isNumber(value, true) || field <= 0)
        return refusal(word, value, "the height must be a number of millimetres, at least 0.1");
    return nullptr;
}

// A margin of whole millimetres, 0 or more: a negative one would push text off the paper.
const char* margin(std::int32_t& field, const char* value, const char* word)
{
    field = readInteger(value);
    if (!isNumber(value, false) || field < 0)
        return refusal(word, value, "a margin must be a whole number of millimetres, 0 or more");
    return nullptr;
}

// A number that must not be 0: no digits read as 0 too.
const char* nonZero(std::int32_t& field, std::int32_t value, const char* error)
{
    field = value;
    return value == 0 ? error : nullptr;
}

void writeVersionFile()
{
    UFile file(PrintArgs::kVersionFile, "wb");
    if (!file.isOpen()) {
        ULog::write("Could not open version.txt", ULog::Error);
        return;
    }
    const size_t len = std::strlen(PrintArgs::kVersion);
    const bool written = std::fwrite(PrintArgs::kVersion, 1, len, file.get()) == len;
    if (!file.close() || !written)
        ULog::write("Could not write version.txt", ULog::Error);
}

// A word of a fixed set, in any case ("Landscape" is meant as surely as "landscape"), for
// a 16-bit field. Any other word is logged and the field keeps its value; the parse goes on.
struct Word {
    const char* word;
    std::int16_t value;
};

bool sameWord(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

template <size_t N>
const char* choose(std::int16_t& field, const char* v, const Word (&words)[N], const char* error)
{
    for (const Word& w : words) {
        if (sameWord(v, w.word)) {
            field = w.value;
            return nullptr;
        }
    }
    ULog::write(error, ULog::Error);
    return nullptr;
}

// A copy count the device mode carries; anything else is logged and the parse goes on.
const char* chooseCopies(std::int16_t& field, const char* v)
{
    const std::int32_t n = readInteger(v);
    if (n >= 1 && n <= 999)
        field = static_cast<std::int16_t>(n);
    else
        ULog::write("command line: copies", ULog::Error);
    return nullptr;
}

const Word kOrientations[] = { { "portrait", 1 }, { "landscape", 2 } };
// Windows paper codes.
const Word kPapers[] = { { "a3", 8 }, { "a4", 9 }, { "a5", 11 }, { "letter", 1 }, { "legal", 5 }, { "b5", 13 },
    { "executive", 7 }, { "tabloid", 3 } };
// Windows duplex codes: simplex, flipped on the long edge, flipped on the short edge.
const Word kDuplex[] = { { "none", 1 }, { "long", 2 }, { "short", 3 } };

typedef PrintArgs A;
const int kText = PrintArgs::kTextSize;

const Option kOptions[] = {
    { "htext", "command line: htext", [](A& o, const char* v) { return height(o.htext, v, "htext"); } },
    { "hline", "command line: hline",
        [](A& o, const char* v) -> const char* {
            o.hline = readTenths(v);
            return isNumber(v, true) ? nullptr : refusal("hline", v, "the line spacing must be a number of millimetres");
        } },
    { "open", "command line: open",
        [](A& o, const char* v) { return text(o.filename, kText, v, "command line: open"); } },
    { "cmdfile", "command line: cmdfile",
        [](A& o, const char* v) { return text(o.cmdfile, kText, v, "command line: cmdfile"); }, Then::ReadCmdfile },
    { "docname", "command line: docname",
        [](A& o, const char* v) { return text(o.docname, kText, v, "command line: docname"); } },
    { "fontface", "command line: fontface",
        [](A& o, const char* v) { return text(o.fontface, PrintArgs::kFaceSize, v, "command line: fontface"); } },
    { "orientation", "command line: orientation",
        [](A& o, const char* v) { return choose(o.orientation, v, kOrientations, "command line: orientation"); } },
    { "papersize", "command line: papersize",
        [](A& o, const char* v) { return choose(o.papersize, v, kPapers, "command line: papersize"); } },
    { "copies", "command line: copies", [](A& o, const char* v) { return chooseCopies(o.copies, v); } },
    { "duplex", "command line: duplex",
        [](A& o, const char* v) { return choose(o.duplex, v, kDuplex, "command line: duplex"); } },
    { "left", "command line: left", [](A& o, const char* v) { return margin(o.left, v, "left"); } },
    { "right", "command line: right", [](A& o, const char* v) { return margin(o.right, v, "right"); } },
    { "top", "command line: top", [](A& o, const char* v) { return margin(o.top, v, "top"); } },
    { "bottom", "command line: bottom", [](A& o, const char* v) { return margin(o.bottom, v, "bottom"); } },
    { "disablelog", nullptr, [](A& o, const char*) { return set(o.log, false); } },
    { "logsize", "command line: logsize",
        [](A& o, const char* v) { return nonZero(o.logsize, readInteger(v), "command line: logsize"); } },
    { "graph", nullptr, [](A& o, const char*) { return store(o.graph, 1); } },
    { "fontlist", nullptr, [](A& o, const char*) { return set(o.fontlist, true); } },
    { "printlist", nullptr, [](A& o, const char*) { return set(o.printlist, true); } },
    { "reslist", nullptr, [](A& o, const char*) { return set(o.reslist, true); } },
    { "printername", "command line: printername",
        [](A& o, const char* v) { return text(o.printername, kText, v, "command line: printername"); } },
    { "resolution", "command line: resolution",
        [](A& o, const char* v) { return nonZero(o.resolution.xres, readInteger(v), "command line: resolution"); },
        Then::ReadYres },
    { "minres", "command line: minres",
        [](A& o, const char* v) { return nonZero(o.minres, readInteger(v), "command line: minres/r/n"); } },
    { "defaultres", nullptr, [](A& o, const char*) { return set(o.defaultres, true); } },
    { "direct", nullptr, [](A& o, const char*) { return set(o.direct, true); } },
    { "logfile", "command line: logfile",
        [](A& o, const char* v) { return text(o.logfile, kText, v, "command line: logfile"); } },
    { "ver", nullptr, [](A&, const char*) -> const char* { writeVersionFile(); return nullptr; } },
    { "banner", "command line: banner",
        [](A& o, const char* v) { return text(o.banner, kText, v, "command line: banner"); } },
    { "hbanner", "command line: hbanner",
        [](A& o, const char* v) { return nonZero(o.hbanner, readTenths(v), "command line: hbanner"); } },
    { "hcenter", nullptr, [](A& o, const char*) { return set(o.hcenter, true); } },
    { "pages", "command line: p",
        [](A& o, const char* v) -> const char* {
            if (v[0] == '\0')
                return "command line: p: could not add -pages";
            const char* fault = o.addPages(v);
            return fault != nullptr ? refusal("pages", v, fault) : nullptr;
        } },
    { "view", nullptr, [](A& o, const char*) { return set(o.view, true); } },
    { "copy", "command line: copy",
        [](A& o, const char* v) { return textFor(o.copy, o.copytarget, v, "command line: copy"); } },
    { "run", "command line: run",
        [](A& o, const char* v) { return textFor(o.run, o.runcommand, v, "command line: run"); } },
    { "response", "command line: response",
        [](A& o, const char* v) { return textFor(o.response, o.responsepath, v, "command line: response"); } },
    { "zoom", "command line: zoom",
        [](A& o, const char* v) { return nonZero(o.zoom, readScaled(v, 0), "command line: zoom"); } },
    // Which code pages there are is the job's question (it names an unknown one).
    { "codepage", "command line: codepage",
        [](A& o, const char* v) { return text(o.codepage, PrintArgs::kCodePageSize, v, "command line: codepage"); } },
};

const Option* findOption(const char* word)
{
    for (const Option& o : kOptions)
        if (std::strcmp(word, o.word) == 0)
            return &o;
    return nullptr;
}

} // namespace

// depth counts the command files being read around these tokens: 0 for the command line.
int PrintArgs::parseTokens(int argc, const char* const* argv, int depth)
{
    for (int i = 0; i < argc; ++i) {
        const char* token = argv[i] != nullptr ? argv[i] : "";
        const Option* option = token[0] == '-' ? findOption(token + 1) : nullptr;
        if (option == nullptr) {
            UString msg("Unknown option ");
            msg += token;
            ULog::write(msg, ULog::Error);
            continue;
        }
        // The token after an option is its value, whatever it looks like.
        const char* value = nullptr;
        if (option->missing != nullptr) {
            if (i + 1 >= argc || argv[i + 1] == nullptr)
                return fail(option->missing);
            value = argv[++i];
        }
        const char* error = option->apply(*this, value);
        if (error != nullptr)
            return fail(error);
        if (option->then == Then::ReadCmdfile) {
            if (depth >= kMaxCmdfileDepth)
                return fail(kNestedTooDeep);
            if (readCmdfile(depth + 1) != 0)
                return fail("command line: cmdfile");
        } else if (option->then == Then::ReadYres) {
            if (i + 1 >= argc || argv[i + 1] == nullptr)
                return fail("command line: resolution.xres");
            resolution.yres = readInteger(argv[++i]);
            if (resolution.yres == 0)
                return fail("command line: resolution.yres");
        }
    }
    return 0;
}

// Reads the file named by cmdfile and parses its options on the spot, so they override
// what stood before -cmdfile and are overridden by what follows it. The file is closed and
// its text gone before the options are parsed.
int PrintArgs::readCmdfile(int depth)
{
    char text[kCmdfileLimit + 1];
    {
        UFile file(cmdfile, "rb");
        if (!file.isOpen())
            return -1;
        const size_t n = std::fread(text, 1, kCmdfileLimit, file.get());
        // A directory opens on some systems and then cannot be read.
        if (std::ferror(file.get()) != 0)
            return -1;
        text[n] = '\0';
        // What an editor or `echo` leaves at the end (a blank, a line end) would make empty
        // arguments, each logged as an unknown option.
        size_t end = std::strlen(text);
        while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\r' || text[end - 1] == '\n'))
            --end;
        text[end] = '\0';
    }

    int argc = 0;
    char** argv = nullptr;
    if (retrive_argcargv(text, argc, argv) != 0)
        return -1;
    const int result = parseTokens(argc, argv, depth);
    release_argcargv(argc, argv);
    return result;
}

const char* PrintArgs::addPages(const char* value)
{
    static const char* const kMalformed =
        "a page list holds page numbers and ranges such as 3, 2-5 or 9- (page 9 to the end)";
    if (value == nullptr || value[0] == '\0')
        return kMalformed;
    auto isSeparator = [](char c) { return c == ',' || c == ' '; };
    auto number = [](const char*& s) {
        std::int64_t v = 0;
        for (; isDigit(*s); ++s)
            v = std::min<std::int64_t>(v * 10 + (*s - '0'), kInt32Max);
        return v;
    };

    // Checked whole before anything is added: a refused list leaves no pages behind.
    int items = 0;
    for (const char* s = value; *s != '\0';) {
        if (isSeparator(*s)) {
            ++s;
            continue;
        }
        if (!isDigit(*s))
            return kMalformed;
        const std::int64_t first = number(s);
        std::int64_t last = first;
        if (*s == '-') {
            ++s;
            last = isDigit(*s) ? number(s) : kInt32Max;
        }
        if (*s != '\0' && !isSeparator(*s))
            return kMalformed;
        if (first < 1)
            return "no page to print: pages are counted from 1";
        if (last < first)
            return "a range that ends before it starts";
        ++items;
    }
    if (items == 0)
        return kMalformed;

    bool full = false;
    auto add = [&](std::int64_t page) {
        if (pages.noEl >= kMaxPages) {
            if (!full)
                ULog::write(kTooManyPages, ULog::Error);
            full = true;
            return;
        }
        // Out of memory: this page is skipped.
        pages.add(static_cast<int>(page));
    };
    for (const char* s = value; *s != '\0';) {
        if (isSeparator(*s)) {
            ++s;
            continue;
        }
        const std::int64_t first = number(s);
        if (*s != '-') {
            add(first);
            continue;
        }
        ++s;
        if (!isDigit(*s)) {
            // To the end of the document, however long it is: one entry, the first page
            // negated.
            add(-first);
            continue;
        }
        const std::int64_t last = number(s);
        // Room for the whole range at once, so a long range does not grow the list one
        // element at a time.
        if (!full) {
            const std::int64_t want = std::min<std::int64_t>(last - first + 1, kMaxPages - pages.noEl);
            pages.alloc(static_cast<int>((pages.noEl + want) * static_cast<std::int64_t>(sizeof(int))));
        }
        for (std::int64_t page = first; page <= last && !full; ++page)
            add(page);
    }
    return nullptr;
}
