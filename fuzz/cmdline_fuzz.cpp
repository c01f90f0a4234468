// The one command-line splitter: counting, spans and splitting agree, and every argument
// vector that has a spelling splits back from it unchanged.
#include "common/UCmdLine.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The splitter reads C strings: a NUL ends the text.
    const std::string line = text.substr(0, text.find('\0'));
    const std::vector<UCmdLine::Span> spans = UCmdLine::spans(line.data(), static_cast<int>(line.size()));
    if (static_cast<long long>(spans.size()) != UCmdLine::count(line.data(), static_cast<int>(line.size())))
        std::abort();
    std::string buffer;
    const std::vector<char*> argv = UCmdLine::splitInto(UString(line.c_str()), buffer);
    if (argv.size() != spans.size() + 1 || argv.back() != nullptr)
        std::abort();
    const std::vector<std::string> args(argv.begin(), argv.end() - 1);
    std::string joined;
    size_t bad = 0;
    if (UCmdLine::join(args, joined, bad)) {
        std::string again;
        const std::vector<char*> back = UCmdLine::splitInto(UString(joined.c_str()), again);
        if (std::vector<std::string>(back.begin(), back.end() - 1) != args)
            std::abort();
    }
    return 0;
}
