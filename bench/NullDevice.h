#pragma once

#include "printer/PrintDevice.h"

#include <vector>

// A print device that draws nothing: it answers with the size of the virtual A4 printer and
// with Courier-like metrics (a character as wide as the font's width, or 25/48 of its
// height for the natural width), keeps the selected objects as a device context does, and
// counts what it was asked to draw. The layout benchmark times the job's own work on it.
class NullDevice : public PrintDevice {
public:
    NullDevice();

    long long texts() const { return mTexts; }
    long long characters() const { return mCharacters; }
    long long strokes() const { return mStrokes; }
    int pages() const { return mPages; }

    int widthPixels() override { return 2329; }
    int heightPixels() override { return 3358; }
    int widthMM() override { return 197; }
    int heightMM() override { return 284; }
    int dpiX() override { return 300; }
    int dpiY() override { return 300; }
    bool reset(const DeviceMode&) override { return true; }
    PrintObject createFont(const FontSpec& spec) override;
    PrintObject createBrush(int style, std::uint32_t color, int hatch) override;
    PrintObject selectObject(PrintObject object) override;
    bool deleteObject(PrintObject object) override;
    bool textExtent(const char* text, int length, int& cx, int& cy) override;
    bool textOut(int x, int y, const char* text, int length, const int* advances) override;
    bool textOutW(int x, int y, const char16_t*, int length, const int* advances) override
    {
        return textOut(x, y, "", length, advances);
    }
    bool moveTo(int, int) override { return true; }
    bool lineTo(int, int) override
    {
        ++mStrokes;
        return true;
    }
    int setBkMode(int mode) override;
    std::uint32_t setBkColor(std::uint32_t color) override;
    int startDoc(const char*) override { return 1; }
    int startPage() override
    {
        ++mPages;
        return 1;
    }
    int endPage() override { return 1; }
    int endDoc() override { return 1; }
    bool deleteDC() override { return true; }

private:
    struct Object {
        bool isFont;
        bool deleted;
        int height;
        int width;
    };

    PrintObject make(bool isFont, int height, int width);
    Object* find(PrintObject o);

    std::vector<Object> mObjects;
    PrintObject mFont;
    PrintObject mBrush;
    int mBkMode = Opaque;
    std::uint32_t mBkColor = 0x00FFFFFFu;
    long long mTexts = 0;
    long long mCharacters = 0;
    long long mStrokes = 0;
    int mPages = 0;
};
