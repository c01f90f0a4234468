#include "common/UCmdLine.h"

#include "common/ULog.h"

#include <cstdlib>
#include <cstring>

namespace {

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// A command file written with an editor or by `echo` ends its lines in CR LF or LF: those
// separate arguments like a blank, else a value would carry the line end.
bool isBlank(char c) { return c == ' ' || isLineEnd(c); }

// Where the argument that begins at pos ends: the next blank outside a quoted stretch,
// or the end of the text. Counting and copying both walk with this, so they agree.
int argumentEnd(const char* text, int length, int pos)
{
    bool quoted = false;
    for (; pos < length; ++pos) {
        if (text[pos] == '"')
            quoted = !quoted;
        else if (isBlank(text[pos]) && !quoted)
            break;
    }
    return pos;
}

// Where the argument after the blank at end begins. A run of line ends is one blank, so
// CR LF and empty lines between options make no empty argument.
int nextStart(const char* text, int length, int end)
{
    int next = end + 1;
    if (isLineEnd(text[end])) {
        while (next < length && isLineEnd(text[next]))
            ++next;
    }
    return next;
}

} // namespace

UCmdLine::~UCmdLine() = default;

long long UCmdLine::count(const char* text, int length)
{
    long long n = 1;
    for (int end = argumentEnd(text, length, 0); end < length;
         end = argumentEnd(text, length, nextStart(text, length, end)))
        ++n;
    return n;
}

UCmdLine::Span UCmdLine::argumentAt(const char* text, int length, int start)
{
    Span span{start, argumentEnd(text, length, start), start, 0};
    span.length = span.end - start;
    if (span.length > 0 && text[start] == '"') {
        // Without its first and its last character. A lone quote has nothing between
        // them, and gives an empty argument rather than a negative length.
        ++span.valueStart;
        span.length = span.length >= 2 ? span.length - 2 : 0;
    }
    return span;
}

std::vector<UCmdLine::Span> UCmdLine::spans(const char* text, int length)
{
    std::vector<Span> all(static_cast<size_t>(count(text, length)));
    Span* span = all.data();
    for (int start = 0, n = static_cast<int>(all.size()); n > 0; --n, start = nextStart(text, length, span->end), ++span)
        *span = argumentAt(text, length, start);
    return all;
}

std::vector<char*> UCmdLine::splitInto(const UString& text, std::string& buffer)
{
    buffer.assign(text.str(), static_cast<size_t>(text.length()));
    const std::vector<Span> all = spans(buffer.c_str(), text.length());
    std::vector<char*> argv;
    argv.reserve(all.size() + 1);
    // A value ends at or before the blank after its argument, so no NUL falls into the
    // value of another.
    for (const Span& span : all) {
        buffer[static_cast<size_t>(span.valueStart + span.length)] = '\0';
        argv.push_back(&buffer[static_cast<size_t>(span.valueStart)]);
    }
    argv.push_back(nullptr);
    return argv;
}

bool UCmdLine::getArgcArgv(UString text, int& argc, char**& argv)
{
    argc = 0;
    argv = nullptr;
    const char* s = text.str();
    const int length = text.length();
    const int n = static_cast<int>(count(s, length));

    char** vector = static_cast<char**>(std::calloc(static_cast<size_t>(n) + 1, sizeof(char*)));
    if (vector == nullptr) {
        ULog::write("Error in UCmdLine::getArgcArgv(): memory allocation error", ULog::Error);
        return false;
    }
    int start = 0;
    for (int i = 0; i < n; ++i) {
        const Span span = argumentAt(s, length, start);
        vector[i] = static_cast<char*>(std::malloc(static_cast<size_t>(span.length) + 1));
        if (vector[i] == nullptr) {
            ULog::write("Error in UCmdLine::getArgcArgv(): memory allocation error for argv[n]", ULog::Error);
            releaseArgcArgv(i, vector);
            return false;
        }
        std::memcpy(vector[i], s + span.valueStart, static_cast<size_t>(span.length));
        vector[i][span.length] = '\0';
        start = nextStart(s, length, span.end);
    }
    argc = n;
    argv = vector;
    return true;
}

void UCmdLine::releaseArgcArgv(int argc, char** argv)
{
    if (argv == nullptr)
        return;
    for (int i = 0; i < argc; ++i)
        std::free(argv[i]);
    std::free(argv);
}

bool UCmdLine::quote(const std::string& arg, std::string& out)
{
    if (arg.empty()) {
        // An opening quote with its partner: both are dropped, nothing is left.
        out = "\"\"";
        return true;
    }
    // The argument's quotes cut it into segments 0, 1, 2, ...; where blanks may stand
    // depends on which segments end up inside quoted stretches.
    int quotes = 0;
    bool blankInEven = false;
    bool blankInOdd = false;
    for (char c : arg) {
        if (c == '"')
            ++quotes;
        else if (isBlank(c))
            (quotes % 2 == 0 ? blankInEven : blankInOdd) = true;
    }
    // As it stands, the odd segments are the quoted ones; the argument's quotes must pair
    // up, or the last stretch would swallow the rest of the line, and a leading quote
    // would be stripped.
    if (!blankInEven && quotes % 2 == 0 && arg[0] != '"') {
        out = arg;
        return true;
    }
    // Behind an opening quote, which the splitter strips together with the argument's
    // last character, the even segments are the quoted ones: the opening quote pairs with
    // the argument's first quote. The character after the argument closes the last
    // stretch when the argument's quotes are even in number; when they are odd, every
    // stretch is closed already and any other non-blank character does.
    if (!blankInOdd) {
        out = "\"" + arg + (quotes % 2 == 0 ? "\"" : "x");
        return true;
    }
    return false;
}

bool UCmdLine::join(const std::vector<std::string>& args, std::string& text, size_t& bad)
{
    text.clear();
    std::string one;
    for (size_t i = 0; i < args.size(); ++i) {
        if (!quote(args[i], one)) {
            bad = i;
            return false;
        }
        if (i > 0)
            text += ' ';
        text += one;
    }
    return true;
}
