#include "print/PrintArgs.h"

#include "common/ULog.h"
#include "common/UString.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* const PrintArgs::kVersion = "v5.3.9";
const char* const PrintArgs::kVersionFile = "version.txt";

PrintArgs args;

namespace {

const char* const kArrayError = "retrive_argcargv(): memory error (command line)";
const char* const kTokenError = "retrive_argcargv(): memory error argv[n] (command line)";
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

// The end of the token that starts at p: the next space outside a quoted stretch, or the
// end of the text.
const char* tokenEnd(const char* p)
{
    bool quoted = false;
    for (; *p != '\0'; ++p) {
        if (*p == '"')
            quoted = !quoted;
        else if (*p == ' ' && !quoted)
            break;
    }
    return p;
}

} // namespace

int retrive_argcargv(const char* text, int& argc, char**& argv)
{
    argc = 0;
    argv = nullptr;
    if (text == nullptr)
        text = "";

    std::int64_t count = 1;
    for (const char* p = tokenEnd(text); *p != '\0'; p = tokenEnd(p + 1))
        ++count;
    if (count > 0x7fffffffLL / static_cast<std::int64_t>(sizeof(char*)))
        return fail(kArrayError);

    const int n = static_cast<int>(count);
    char** tokens = static_cast<char**>(std::malloc(static_cast<size_t>(n) * sizeof(char*)));
    if (tokens == nullptr)
        return fail(kArrayError);

    const char* p = text;
    for (int i = 0; i < n; ++i) {
        const char* end = tokenEnd(p);
        const char* from = p;
        size_t len = static_cast<size_t>(end - p);
        if (len > 0 && *p == '"') {
            // A lone double quote has no closing character to drop: it gives an empty token.
            from = p + 1;
            len = len >= 2 ? len - 2 : 0;
        }
        char* token = static_cast<char*>(std::malloc(len + 1));
        if (token == nullptr) {
            release_argcargv(i, tokens);
            return fail(kTokenError);
        }
        std::memcpy(token, from, len);
        token[len] = '\0';
        tokens[i] = token;
        p = *end != '\0' ? end + 1 : end;
    }
    argc = n;
    argv = tokens;
    return 0;
}

void release_argcargv(int argc, char** argv)
{
    if (argv == nullptr)
        return;
    for (int i = 0; i < argc; ++i)
        std::free(argv[i]);
    std::free(argv);
}

PrintArgs::PrintArgs() { setDefaults(); }

PrintArgs::PrintArgs(const PrintArgs& o)
    : htext(o.htext), hline(o.hline), orientation(o.orientation), papersize(o.papersize),
      left(o.left), right(o.right), top(o.top), bottom(o.bottom), log(o.log),
      logsize(o.logsize), graph(o.graph), fontlist(o.fontlist), printlist(o.printlist),
      reslist(o.reslist), resolution(o.resolution), minres(o.minres),
      defaultres(o.defaultres), direct(o.direct), version(o.version), hbanner(o.hbanner),
      hcenter(o.hcenter), view(o.view), copy(o.copy), run(o.run), response(o.response),
      zoom(o.zoom)
{
    std::memcpy(filename, o.filename, sizeof filename);
    std::memcpy(cmdfile, o.cmdfile, sizeof cmdfile);
    std::memcpy(docname, o.docname, sizeof docname);
    std::memcpy(fontface, o.fontface, sizeof fontface);
    std::memcpy(logpath, o.logpath, sizeof logpath);
    std::memcpy(logfile, o.logfile, sizeof logfile);
    std::memcpy(printername, o.printername, sizeof printername);
    std::memcpy(banner, o.banner, sizeof banner);
    std::memcpy(copytarget, o.copytarget, sizeof copytarget);
    std::memcpy(runcommand, o.runcommand, sizeof runcommand);
    std::memcpy(responsepath, o.responsepath, sizeof responsepath);
}

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

int PrintArgs::parseArgv(int argc, const char* const* argv) { return parseTokens(argc, argv, 0); }

// depth counts the command files being read around these tokens: 0 for the command line.
int PrintArgs::parseTokens(int argc, const char* const* argv, int depth)
{
    for (int i = 0; i < argc; ++i) {
        const char* token = argv[i] != nullptr ? argv[i] : "";
        // The token after an option is its value, whatever it looks like.
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        auto is = [&](const char* name) { return std::strcmp(token + 1, name) == 0; };

        if (token[0] != '-') {
            UString msg("Unknown option ");
            msg += token;
            ULog::write(msg, ULog::Error);
            continue;
        }

        if (is("htext")) {
            const char* v = value();
            if (v == nullptr)
                return fail("command line: htext");
            htext = readTenths(v);
            if (htext == 0)
                return fail("command line: htext");
        } else if (is("hline")) {
            const char* v = value();
            if (v == nullptr)
                return fail("command line: hline");
            hline = readTenths(v);
        } else if (is("open")) {
            if (!takeText(filename, kTextSize, value()))
                return fail("command line: open");
        } else if (is("cmdfile")) {
            if (!takeText(cmdfile, kTextSize, value()))
                return fail("command line: cmdfile");
            if (depth >= kMaxCmdfileDepth)
                return fail(kNestedTooDeep);
            if (readCmdfile(depth + 1) != 0)
                return fail("command line: cmdfile");
        } else if (is("docname")) {
            if (!takeText(docname, kTextSize, value()))
                return fail("command line: docname");
        } else if (is("fontface")) {
            if (!takeText(fontface, kFaceSize, value()))
                return fail("command line: fontface");
        } else if (is("orientation")) {
            const char* v = value();
            if (v == nullptr)
                return fail("command line: orientation");
            if (std::strcmp(v, "PORTRAIT") == 0 || std::strcmp(v, "portrait") == 0)
                orientation = 1;
            else if (std::strcmp(v, "LANDSCAPE") == 0 || std::strcmp(v, "landscape") == 0)
                orientation = 2;
            else
                ULog::write("command line: orientation", ULog::Error);
        } else if (is("papersize")) {
            const char* v = value();
            if (v == nullptr)
                return fail("command line: papersize");
            if (std::strcmp(v, "A3") == 0 || std::strcmp(v, "a3") == 0)
                papersize = 8;
            else if (std::strcmp(v, "A4") == 0 || std::strcmp(v, "a4") == 0)
                papersize = 9;
            else if (std::strcmp(v, "A5") == 0 || std::strcmp(v, "a5") == 0)
                papersize = 11;
            else
                ULog::write("command line: papersize", ULog::Error);
        } else if (is("left") || is("right") || is("top") || is("bottom")) {
            std::int32_t* field = is("left") ? &left : is("right") ? &right : is("top") ? &top : &bottom;
            const char* v = value();
            if (v == nullptr) {
                UString msg("command line: ");
                msg += token + 1;
                return fail(msg.str());
            }
            *field = readInteger(v);
        } else if (is("disablelog")) {
            log = false;
        } else if (is("logsize")) {
            const char* v = value();
            if (v == nullptr)
                return fail("command line: logsize");
            logsize = readInteger(v);
            if (logsize == 0)
                return fail("command line: logsize");
        } else if (is("graph")) {
            graph = 1;
        } else if (is("fontlist")) {
            fontlist = true;
        } else if (is("printlist")) {
            printlist = true;
        } else if (is("reslist")) {
            reslist = true;
        } else if (is("printername")) {
            if (!takeText(printername, kTextSize, value()))
                return fail("command line: printername");
        } else if (is("resolution")) {
            const char* x = value();
            if (x == nullptr)
                return fail("command line: resolution");
            resolution.xres = readInteger(x);
            if (resolution.xres == 0)
                return fail("command line: resolution");
            const char* y = value();
            if (y == nullptr)
                return fail("command line: resolution.xres");
            resolution.yres = readInteger(y);
            if (resolution.yres == 0)
                return fail("command line: resolution.yres");
        } else if (is("minres")) {
            const char* v = value();
            if (v == nullptr)
                return fail("command line: minres");
            minres = readInteger(v);
            if (minres == 0)
                return fail("command line: minres/r/n");
        } else if (is("defaultres")) {
            defaultres = true;
        } else if (is("direct")) {
            direct = true;
        } else if (is("logfile")) {
            if (!takeText(logfile, kTextSize, value()))
                return fail("command line: logfile");
        } else if (is("ver")) {
            writeVersionFile();
        } else if (is("banner")) {
            if (!takeText(banner, kTextSize, value()))
                return fail("command line: banner");
        } else if (is("hbanner")) {
            const char* v = value();
            if (v == nullptr)
                return fail("command line: hbanner");
            hbanner = readTenths(v);
            if (hbanner == 0)
                return fail("command line: hbanner");
        } else if (is("hcenter")) {
            hcenter = true;
        } else if (is("pages")) {
            const char* v = value();
            if (v == nullptr)
                return fail("command line: p");
            if (!addPages(v))
                return fail("command line: p: could not add -pages");
        } else if (is("view")) {
            view = true;
        } else if (is("copy")) {
            if (!takeText(copytarget, kTextSize, value()))
                return fail("command line: copy");
            copy = true;
        } else if (is("run")) {
            if (!takeText(runcommand, kTextSize, value()))
                return fail("command line: run");
            run = true;
        } else if (is("response")) {
            if (!takeText(responsepath, kTextSize, value()))
                return fail("command line: response");
            response = true;
        } else if (is("zoom")) {
            const char* v = value();
            if (v == nullptr)
                return fail("command line: zoom");
            zoom = readScaled(v, 0);
            if (zoom == 0)
                return fail("command line: zoom");
        } else {
            UString msg("Unknown option ");
            msg += token;
            ULog::write(msg, ULog::Error);
        }
    }
    return 0;
}

// Reads the file named by cmdfile and parses its options on the spot, so they override
// what stood before -cmdfile and are overridden by what follows it. The file is closed and
// its text gone before the options are parsed.
int PrintArgs::readCmdfile(int depth)
{
    std::FILE* f = std::fopen(cmdfile, "rb");
    if (f == nullptr)
        return -1;
    char text[kCmdfileLimit + 1];
    const size_t n = std::fread(text, 1, kCmdfileLimit, f);
    // A directory opens on some systems and then cannot be read.
    const bool readFailed = std::ferror(f) != 0;
    std::fclose(f);
    if (readFailed)
        return -1;
    text[n] = '\0';

    int argc = 0;
    char** argv = nullptr;
    if (retrive_argcargv(text, argc, argv) != 0)
        return -1;
    const int result = parseTokens(argc, argv, depth);
    release_argcargv(argc, argv);
    return result;
}

void PrintArgs::writeVersionFile()
{
    std::FILE* f = std::fopen(kVersionFile, "wb");
    if (f == nullptr) {
        ULog::write("Could not open version.txt", ULog::Error);
        return;
    }
    const size_t len = std::strlen(kVersion);
    const bool written = std::fwrite(kVersion, 1, len, f) == len;
    if (std::fclose(f) != 0 || !written)
        ULog::write("Could not write version.txt", ULog::Error);
}

bool PrintArgs::addPages(const char* value)
{
    if (value == nullptr || value[0] == '\0')
        return false;
    // The leading space lets a number at the very start count as a single page.
    UString list(" ");
    list += value;
    const char* s = list.str();
    const int length = list.length();
    auto isSeparator = [](char c) { return c == ',' || c == '-' || c == ' '; };

    bool haveLast = false;
    std::int64_t last = 0;
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

    int pos = 0;
    while (pos < length) {
        if (pos > 0 && isDigit(s[pos])) {
            const std::int64_t number = readInteger(s + pos);
            const char before = s[pos - 1];
            if (before == ',' || before == ' ') {
                add(number);
                last = number;
                haveLast = true;
            } else if (before == '-' && haveLast) {
                // Room for the whole range at once, so a long range does not grow the list
                // one element at a time.
                if (number > last && !full) {
                    const std::int64_t want = std::min<std::int64_t>(number - last, kMaxPages - pages.noEl);
                    pages.alloc(static_cast<int>((pages.noEl + want) * static_cast<std::int64_t>(sizeof(int))));
                }
                for (std::int64_t page = last + 1; page <= number && !full; ++page)
                    add(page);
            }
        }
        while (pos < length && !isSeparator(s[pos]))
            ++pos;
        if (pos < length)
            ++pos;
    }
    return true;
}
