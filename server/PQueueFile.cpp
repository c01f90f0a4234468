#include "server/PQueueFile.h"

#include "common/UFile.h"

#include <cstdio>

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

// A queue file is a few lines; anything far beyond is no queue file.
const long kMostBytes = 1024 * 1024;

} // namespace

PQueueFile::PQueueFile() : mHasDefault(false) {}

bool PQueueFile::load(const char* path)
{
    mQueues.clear();
    mHasDefault = false;
    mDefault.clear();
    UFile file(path, "rb");
    if (!file.isOpen())
        return false;
    std::string text;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        text.append(buffer, n);
        if (static_cast<long>(text.size()) > kMostBytes)
            return false;
    }
    parse(text);
    return true;
}

void PQueueFile::parse(const std::string& text)
{
    bool first = true;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '\r' || blank(line.back())))
            line.pop_back();
        size_t start = 0;
        while (start < line.size() && blank(line[start]))
            ++start;
        if (start == line.size() || line[start] == '#')
            continue;
        size_t nameEnd = start;
        while (nameEnd < line.size() && !blank(line[nameEnd]))
            ++nameEnd;
        const std::string name = line.substr(start, nameEnd - start);
        size_t optionsStart = nameEnd;
        while (optionsStart < line.size() && blank(line[optionsStart]))
            ++optionsStart;
        const std::string options = line.substr(optionsStart);
        if (name == "*") {
            // Only the first line may name the default: one further down would change the
            // meaning of the lines above it for whoever reads the file top to bottom.
            if (first) {
                mHasDefault = true;
                mDefault = options;
            }
        } else if (mQueues.find(name) == mQueues.end()) {
            mQueues[name] = options;
        }
        first = false;
    }
}

bool PQueueFile::find(const std::string& name, std::string& options) const
{
    const auto it = mQueues.find(name);
    if (it != mQueues.end()) {
        options = it->second;
        return true;
    }
    if (!mHasDefault)
        return false;
    options = mDefault;
    return true;
}
