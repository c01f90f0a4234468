#pragma once

#include "printer/PrintDevice.h"

// A GDI device context, as the Windows side of the seam hands it over (an HDC).
struct GdiContext;

// The print device over a real GDI device context. It owns the context: deleteDC() or the
// destructor ends it. Every operation is the one GDI call it names, with GDI's answer.
class GdiDevice : public PrintDevice {
public:
    explicit GdiDevice(GdiContext* dc);
    ~GdiDevice() override;
    GdiDevice(const GdiDevice&) = delete;
    GdiDevice& operator=(const GdiDevice&) = delete;

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
    GdiContext* mDc;
};
