#include "common/ULog.h"

#include "common/UDateTime.h"
#include "common/UFile.h"
#include "common/ULock.h"
#include "common/UOs.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* const ULog::kTooLong =
    "Error in ULog::write(const char *const msg, const int type, const int stream): msg too long";
const char* const ULog::kAlertTooLong = "Error in ULog::alert(const char *const msg): msg too long";
const char* const ULog::kCaption = "Allert";
const char* const ULog::kCutMarker = "...";

namespace {

struct LogState {
    ULock lock;
    UString streamName;
    int streamCounter = 0;
    ULog::Style style = ULog::ServerStyle;
    long long limit = 0;
};

LogState& state()
{
    static LogState s;
    return s;
}

// The lock must exist before the entry function runs, not on first use.
[[maybe_unused]] LogState& gCreatedBeforeMain = state();

// "Warning: " (9) plus CR, LF and the NUL.
const size_t kServerOverhead = 12;
// "Warning[31/Dec/2026 23:59:59]: " (31) plus CR, LF and the NUL.
const size_t kPrintOverhead = 34;

const char* serverPrefix(int type)
{
    switch (type) {
    case ULog::Error: return "Error: ";
    case ULog::Warning: return "Warning: ";
    case ULog::Info: return "Info: ";
    case ULog::Notice: return "Notice: ";
    case ULog::Debug: return "Debug: ";
    default: return "";
    }
}

const char* printPrefixFormat(int type)
{
    switch (type) {
    case ULog::Error: return "Error[%s %s]: ";
    case ULog::Warning: return "Warning[%s %s]: ";
    case ULog::Info: return "Info[%s %s]: ";
    case ULog::Notice: return "Notice[%s %s]: ";
    case ULog::Debug: return "Debug[%s %s]: ";
    default: return nullptr;
    }
}

void appendLine(const char* line)
{
    const UString& name = state().streamName;
    if (name.isEmpty())
        return;
    const size_t length = std::strlen(line);
    UFile existing(name.str(), "r+b");
    if (existing.isOpen()) {
        std::fseek(existing.get(), 0, SEEK_END);
        const long long size = std::ftell(existing.get());
        const long long limit = state().limit;
        if (limit <= 0 || size <= 0 || size + static_cast<long long>(length) <= limit) {
            std::fwrite(line, 1, length, existing.get());
            return;
        }
        // Full: this file becomes the one generation kept, and the line starts a new one.
        existing.close();
        ULog::rotate(name.str());
    }
    UFile created(name.str(), "wb");
    if (created.isOpen())
        std::fwrite(line, 1, std::strlen(line), created.get());
}

} // namespace

void ULog::setStyle(Style s) { state().style = s; }
ULog::Style ULog::style() { return state().style; }

void ULog::formatPlain(char* out, const char* msg, int type)
{
    if (msg == nullptr)
        msg = "";
    if (std::strlen(msg) + kServerOverhead > static_cast<size_t>(kLineSize)) {
        std::snprintf(out, kLineSize, "%s", kTooLong);
        return;
    }
    std::snprintf(out, kLineSize, "%s%s%s", serverPrefix(type), msg, "\r\n");
}

void ULog::formatAt(char* out, const char* msg, int type, const UDateTime& when)
{
    if (msg == nullptr)
        msg = "";
    if (std::strlen(msg) + kPrintOverhead > static_cast<size_t>(kLineSize)) {
        std::snprintf(out, kLineSize, "%s", kTooLong);
        return;
    }
    char prefix[kPrefixSize];
    prefix[0] = '\0';
    if (const char* fmt = printPrefixFormat(type)) {
        const UString date = when.date();
        const UString time = when.time();
        std::snprintf(prefix, sizeof prefix, fmt, date.str(), time.str());
    }
    std::snprintf(out, kLineSize, "%s%s%s", prefix, msg, "\r\n");
}

void ULog::format(char* out, const char* msg, int type)
{
    formatAt(out, msg, type, UDateTime::now());
}

void ULog::write(const char* msg, int type, int /*stream*/)
{
    LogState& s = state();
    ULockGuard guard(s.lock);
    char line[kLineSize];
    if (s.style == PrintStyle)
        format(line, msg, type);
    else
        formatPlain(line, msg, type);
    appendLine(line);
}

void ULog::write(const UString& msg, int type, int stream) { write(msg.str(), type, stream); }

void ULog::alert(const char* msg)
{
    if (msg == nullptr)
        msg = "";
    char text[kLineSize];
    if (std::strlen(msg) + 10 > static_cast<size_t>(kLineSize))
        std::snprintf(text, sizeof text, "%s", kAlertTooLong);
    else
        std::snprintf(text, sizeof text, "%s%s", "Error in ", msg);
    UOs::alertBox(text, kCaption);
}

void ULog::alert(const char* msg, int type)
{
    LogState& s = state();
    ULockGuard guard(s.lock);
    char text[kLineSize];
    format(text, msg, type);
    UOs::alertBox(text, kCaption);
}

void ULog::fatal(const char* msg)
{
    if (style() == PrintStyle)
        alert(msg, Info);
    else
        alert(msg);
    std::exit(0);
}

bool ULog::setStream(const UString& name, int stream)
{
    LogState& s = state();
    if (stream != 0)
        ++s.streamCounter;
    if (s.streamCounter >= 2) {
        const char* msg = "ULog::setStream(): for the moment, more than one stream is not supported";
        if (s.style == PrintStyle)
            alert(msg, Info);
        else
            alert(msg);
        return false;
    }
    ULockGuard guard(s.lock);
    s.streamName = name;
    return true;
}

void ULog::setLimit(long long bytes)
{
    LogState& s = state();
    ULockGuard guard(s.lock);
    s.limit = bytes;
}

bool ULog::rotate(const char* name)
{
    UString kept(name);
    kept += ".1";
    // Windows renames onto no existing file.
    std::remove(kept.str());
    return std::rename(name, kept.str()) == 0;
}

UString ULog::untrusted(const char* text, int most)
{
    UString out;
    int i = 0;
    for (; text[i] != '\0' && i < most; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out += c < 32 || c >= 127 ? '?' : static_cast<char>(c);
    }
    if (text[i] != '\0')
        out += kCutMarker;
    return out;
}

void ULog::reset()
{
    LogState& s = state();
    ULockGuard guard(s.lock);
    s.streamName.clear();
    s.streamCounter = 0;
    s.limit = 0;
}
