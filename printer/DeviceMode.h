#pragma once

#include <cstdint>

// A view of a printer's device mode: the spooler's DEVMODEA record followed by the
// driver's private bytes, in a buffer owned by someone else. Only the fields this program
// applies are reachable, at their published offsets, so the record can be read and filled
// on any platform and handed unchanged to the real device on Windows.
class DeviceMode {
public:
    // Field-selection flags.
    static constexpr std::uint32_t Orientation = 0x1;
    static constexpr std::uint32_t PaperSize = 0x2;
    static constexpr std::uint32_t Copies = 0x100;
    static constexpr std::uint32_t Duplex = 0x1000;
    static constexpr std::uint32_t PrintQuality = 0x400;
    static constexpr std::uint32_t YResolution = 0x2000;

    static constexpr short Portrait = 1;
    static constexpr short Landscape = 2;

    // Bytes a record needs to hold every field used here (up to the y resolution).
    static constexpr int MinimumSize = 66;

    DeviceMode(void* data, int size);

    void* data() const { return mData; }
    int size() const { return mSize; }
    // False when the buffer is missing or too small to hold the fields; then every field
    // reads 0 and writes are ignored.
    bool valid() const;

    std::uint32_t fields() const;
    short orientation() const;
    short paperSize() const;
    short copies() const;
    short duplex() const;
    short printQuality() const;
    short yResolution() const;

    void setFields(std::uint32_t fields);
    void setOrientation(short v);
    void setPaperSize(short v);
    void setCopies(short v);
    void setDuplex(short v);
    void setPrintQuality(short v);
    void setYResolution(short v);

    // What a job asks of the device; -1 (0 for the resolution) keeps the printer's own.
    struct Job {
        short orientation;
        short paperSize;
        int xres;
        int yres;
        short copies;
        short duplex;
    };
    // Selects exactly the job's settings: orientation, paper size, copies and duplex unless
    // -1, the resolution only when both values are non-zero; everything else keeps the
    // printer's own setting.
    void applyJob(const Job& job);

private:
    unsigned readU16(int offset) const;
    void writeU16(int offset, unsigned v);

    unsigned char* mData;
    int mSize;
};
