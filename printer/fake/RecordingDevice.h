#pragma once

#include "printer/PrintDevice.h"

#include <functional>
#include <string>
#include <vector>

// A print device without a printer: it answers with chosen capabilities and font metrics
// and records every call with its arguments and its answer, so the layout, the print loop
// and the drawing helpers can be checked exactly. It keeps the state a device context
// keeps (selected font and brush, background mode and colour, document and page) and
// answers the way GDI does when it is misused: a page outside a document, deleting an
// object that is still selected, any call after deleteDC. Any operation can be made to
// fail on purpose.
class RecordingDevice : public PrintDevice {
public:
    enum Op {
        WidthPixels, HeightPixels, WidthMM, HeightMM, DpiX, DpiY,
        Reset, CreateFont, CreateBrush, SelectObject, DeleteObject,
        TextExtent, TextOut, MoveTo, LineTo, SetBkMode, SetBkColor,
        StartDoc, StartPage, EndPage, EndDoc, DeleteDC,
        OpCount
    };

    // The device size; by default that of the project's virtual A4 printer in portrait.
    struct Caps {
        int widthPixels = 2329;
        int heightPixels = 3358;
        int widthMM = 197;
        int heightMM = 284;
        int dpiX = 300;
        int dpiY = 300;
    };

    // One recorded call. Which fields mean something depends on op; str() shows them.
    struct Call {
        Op op = WidthPixels;
        bool ok = true;
        int x = 0, y = 0;            // textOut, moveTo, lineTo; textExtent's answer
        int value = 0;               // mode, style, hatch, page number, a query's answer
        std::uint32_t color = 0;     // setBkColor, createBrush
        int object = 0;              // the object made, selected or deleted (0 = null);
                                     // for textOut and textExtent the font in use
        int previous = 0;            // selectObject: the object it replaced
        std::string text;            // text drawn or measured, document name, font face
        bool hasAdvances = false;
        bool wide = false;           // textOutW
        std::vector<int> advances;
        FontSpec font;               // createFont; face is null, the face is in text
        std::uint32_t fields = 0;    // reset: the device mode as applied
        short orientation = 0, paperSize = 0, printQuality = 0, yResolution = 0;
        int page = 0;                // the page open during the call, 0 outside pages
        std::string str() const;
    };

    // What the device knows of an object it made.
    struct Object {
        int id = 0;
        bool isFont = false;
        bool stock = false;
        bool deleted = false;
        FontSpec font;               // face is null, the face is in face
        std::string face;
        int style = 0;
        std::uint32_t color = 0;
        int hatch = 0;
    };

    // Width of one character in a font; metrics answer with the sum over the text.
    typedef std::function<int(const FontSpec& font, unsigned char c)> CharWidth;

    RecordingDevice();
    explicit RecordingDevice(const Caps& caps);
    RecordingDevice(const RecordingDevice&) = delete;
    RecordingDevice& operator=(const RecordingDevice&) = delete;

    // Metrics. By default every character of a font is as wide as the font's width, or,
    // for width 0, its natural width: height × 25 ÷ 48, as "Courier New" measures on a
    // real printer. A character is as high as the font (48 pixels for the stock font).
    void setCharWidth(const CharWidth& f);
    void setNaturalWidth(int numerator, int denominator);
    int charWidth(const FontSpec& font, unsigned char c) const;

    // Paper that reset() knows, by paper-size code, as its printable size in millimetres
    // in portrait; the pixels follow from the resolution.
    void addPaper(short code, int widthMM, int heightMM);

    // Makes op fail from its (after + 1)-th call on, counted from now; succeed() undoes it.
    void fail(Op op, int after = 0);
    void succeed(Op op);

    const std::vector<Call>& calls() const { return mCalls; }
    // Every call as text, or only the calls of the given operations.
    std::vector<std::string> log() const;
    std::vector<std::string> log(std::initializer_list<Op> ops) const;
    int count(Op op) const;
    void clearCalls() { mCalls.clear(); }

    // The state a device context keeps.
    const Caps& caps() const { return mCaps; }
    short orientation() const { return mOrientation; }
    const Object* object(PrintObject o) const;
    const Object* selectedFont() const { return object(mFont); }
    const Object* selectedBrush() const { return object(mBrush); }
    PrintObject stockFont() const { return handle(1); }
    PrintObject stockBrush() const { return handle(2); }
    // Objects made by createFont or createBrush and not yet deleted.
    int liveObjects() const;
    int bkMode() const { return mBkMode; }
    std::uint32_t bkColor() const { return mBkColor; }
    bool inDocument() const { return mInDoc; }
    bool inPage() const { return mPage > 0; }
    int pagesEnded() const { return mPagesEnded; }
    bool deleted() const { return mDeleted; }

    int widthPixels() override;
    int heightPixels() override;
    int widthMM() override;
    int heightMM() override;
    int dpiX() override;
    int dpiY() override;
    bool reset(const DeviceMode& mode) override;
    PrintObject createFont(const FontSpec& spec) override;
    PrintObject createBrush(int style, std::uint32_t color, int hatch) override;
    PrintObject selectObject(PrintObject object) override;
    bool deleteObject(PrintObject object) override;
    bool textExtent(const char* text, int length, int& cx, int& cy) override;
    bool textOut(int x, int y, const char* text, int length, const int* advances) override;
    // Recorded as a textOut whose text is the UTF-8 of the units, marked wide.
    bool textOutW(int x, int y, const char16_t* text, int length, const int* advances) override;
    bool moveTo(int x, int y) override;
    bool lineTo(int x, int y) override;
    int setBkMode(int mode) override;
    std::uint32_t setBkColor(std::uint32_t color) override;
    int startDoc(const char* docName) override;
    int startPage() override;
    int endPage() override;
    int endDoc() override;
    bool deleteDC() override;

private:
    struct Paper {
        short code;
        int widthMM;
        int heightMM;
    };

    static PrintObject handle(int id);
    static int idOf(PrintObject o);
    Object* find(PrintObject o);
    // Records the call and says whether it may succeed (not deleted, not made to fail).
    Call& record(Op op);
    bool allowed(Op op);
    int query(Op op, int value);
    int fontHeight(const FontSpec& font) const;

    Caps mCaps;
    short mOrientation = 1;
    std::vector<Call> mCalls;
    std::vector<Object> mObjects;
    std::vector<Paper> mPapers;
    CharWidth mCharWidth;
    int mNaturalNum = 25;
    int mNaturalDen = 48;
    int mFailAfter[OpCount];
    int mCallsOf[OpCount];
    PrintObject mFont = nullptr;
    PrintObject mBrush = nullptr;
    int mBkMode = Opaque;
    std::uint32_t mBkColor = 0x00FFFFFFu;
    bool mInDoc = false;
    int mPage = 0;
    int mPagesStarted = 0;
    int mPagesEnded = 0;
    bool mDeleted = false;
};
