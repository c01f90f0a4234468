#include "printer/DeviceMode.h"

namespace {

const int kFields = 40;
const int kOrientation = 44;
const int kPaperSize = 46;
const int kCopies = 54;
const int kPrintQuality = 58;
const int kDuplex = 62;
const int kYResolution = 64;

} // namespace

DeviceMode::DeviceMode(void* data, int size)
    : mData(static_cast<unsigned char*>(data))
    , mSize(size)
{
}

bool DeviceMode::valid() const { return mData != nullptr && mSize >= MinimumSize; }

unsigned DeviceMode::readU16(int offset) const
{
    if (!valid())
        return 0;
    return static_cast<unsigned>(mData[offset]) | (static_cast<unsigned>(mData[offset + 1]) << 8);
}

void DeviceMode::writeU16(int offset, unsigned v)
{
    if (!valid())
        return;
    mData[offset] = static_cast<unsigned char>(v & 0xFF);
    mData[offset + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}

std::uint32_t DeviceMode::fields() const
{
    return static_cast<std::uint32_t>(readU16(kFields)) | (static_cast<std::uint32_t>(readU16(kFields + 2)) << 16);
}

short DeviceMode::orientation() const { return static_cast<short>(readU16(kOrientation)); }
short DeviceMode::paperSize() const { return static_cast<short>(readU16(kPaperSize)); }
short DeviceMode::copies() const { return static_cast<short>(readU16(kCopies)); }
short DeviceMode::duplex() const { return static_cast<short>(readU16(kDuplex)); }
short DeviceMode::printQuality() const { return static_cast<short>(readU16(kPrintQuality)); }
short DeviceMode::yResolution() const { return static_cast<short>(readU16(kYResolution)); }

void DeviceMode::setFields(std::uint32_t f)
{
    writeU16(kFields, f & 0xFFFFu);
    writeU16(kFields + 2, (f >> 16) & 0xFFFFu);
}

void DeviceMode::setOrientation(short v) { writeU16(kOrientation, static_cast<unsigned short>(v)); }
void DeviceMode::setPaperSize(short v) { writeU16(kPaperSize, static_cast<unsigned short>(v)); }
void DeviceMode::setCopies(short v) { writeU16(kCopies, static_cast<unsigned short>(v)); }
void DeviceMode::setDuplex(short v) { writeU16(kDuplex, static_cast<unsigned short>(v)); }
void DeviceMode::setPrintQuality(short v) { writeU16(kPrintQuality, static_cast<unsigned short>(v)); }
void DeviceMode::setYResolution(short v) { writeU16(kYResolution, static_cast<unsigned short>(v)); }

void DeviceMode::applyJob(const Job& job)
{
    std::uint32_t f = 0;
    if (job.orientation != -1) {
        f |= Orientation;
        setOrientation(job.orientation);
    }
    if (job.paperSize != -1) {
        f |= PaperSize;
        setPaperSize(job.paperSize);
    }
    if (job.copies != -1) {
        f |= Copies;
        setCopies(job.copies);
    }
    if (job.duplex != -1) {
        f |= Duplex;
        setDuplex(job.duplex);
    }
    if (job.xres != 0 && job.yres != 0) {
        f |= PrintQuality | YResolution;
        setPrintQuality(static_cast<short>(job.xres));
        setYResolution(static_cast<short>(job.yres));
    }
    setFields(f);
}
