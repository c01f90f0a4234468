#pragma once

#include <cstdint>

class DeviceMode;

// A font or brush made by a print device, as an opaque handle. A null handle means "none"
// or "failed", as a null GDI object does.
struct PrintObjectHandle;
typedef PrintObjectHandle* PrintObject;

// The print device: everything the page layout, the print loop and the drawing helpers do
// with a printer's device context. GdiDevice wraps a real one; RecordingDevice answers with
// chosen capabilities and font metrics and records every call, so layout and drawing are
// checked without a printer. The operations are deliberately as thin as the GDI calls they
// stand for, with the same results, so that the code above them keeps the exact failure
// behaviour a real device context has.
class PrintDevice {
public:
    // Background modes and brush styles as GDI numbers them.
    enum { Transparent = 1, Opaque = 2 };
    enum { SolidBrush = 0, HollowBrush = 1 };
    // The colour reference that SetBkColor answers on failure.
    static constexpr std::uint32_t InvalidColor = 0xFFFFFFFFu;

    // All arguments of a logical font, so a device can be asked for exactly the font the
    // program wants and a test can see every one of them.
    struct FontSpec {
        int height = 0;
        int width = 0;
        int escapement = 0;
        int orientation = 0;
        int weight = 0;
        bool italic = false;
        bool underline = false;
        bool strikeOut = false;
        int charSet = 0;
        int outPrecision = 0;
        int clipPrecision = 0;
        int quality = 0;
        int pitchAndFamily = 0;
        const char* face = "";
    };

    virtual ~PrintDevice() {}

    // Device size: the printable area in pixels and in millimetres, and the resolution in
    // dots per inch (HORZRES, VERTRES, HORZSIZE, VERTSIZE, LOGPIXELSX, LOGPIXELSY).
    virtual int widthPixels() = 0;
    virtual int heightPixels() = 0;
    virtual int widthMM() = 0;
    virtual int heightMM() = 0;
    virtual int dpiX() = 0;
    virtual int dpiY() = 0;

    // Applies a device mode (orientation, paper size, resolution as its field flags say)
    // to this device; the sizes above follow. False when the device refuses it.
    virtual bool reset(const DeviceMode& mode) = 0;

    // Objects: create a font or a brush (null on failure), select one (the previously
    // selected object of the same kind, or null on failure), delete one that is no longer
    // selected (false on failure).
    virtual PrintObject createFont(const FontSpec& spec) = 0;
    virtual PrintObject createBrush(int style, std::uint32_t color, int hatch) = 0;
    virtual PrintObject selectObject(PrintObject object) = 0;
    virtual bool deleteObject(PrintObject object) = 0;

    // Extent of the first length bytes of text in the selected font; false on failure.
    virtual bool textExtent(const char* text, int length, int& cx, int& cy) = 0;
    // Draws length bytes of text with its top left corner at (x, y). With advances, the
    // i-th character is followed by advances[i] pixels; without (null), by the font's own
    // widths.
    virtual bool textOut(int x, int y, const char* text, int length, const int* advances) = 0;
    // The same for length UTF-16 units of a decoded document (the wide GDI call).
    virtual bool textOutW(int x, int y, const char16_t* text, int length, const int* advances) = 0;

    // One-pixel lines with the current pen.
    virtual bool moveTo(int x, int y) = 0;
    virtual bool lineTo(int x, int y) = 0;

    // Background mode: the previous mode, 0 on failure. Background colour: the previous
    // colour, InvalidColor on failure.
    virtual int setBkMode(int mode) = 0;
    virtual std::uint32_t setBkColor(std::uint32_t color) = 0;

    // The spooler document and its pages. Each answers as GDI does: greater than 0 on
    // success, 0 or less on failure.
    virtual int startDoc(const char* docName) = 0;
    virtual int startPage() = 0;
    virtual int endPage() = 0;
    virtual int endDoc() = 0;

    // Ends the device context. Every later call fails. The object itself stays for its
    // owner to delete (a test may still read what it recorded).
    virtual bool deleteDC() = 0;
};
