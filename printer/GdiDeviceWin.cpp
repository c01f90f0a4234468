#include "printer/GdiDevice.h"

#include "printer/DeviceMode.h"

#include <windows.h>

namespace {

HDC hdc(GdiContext* dc) { return reinterpret_cast<HDC>(dc); }

HGDIOBJ gdiObject(PrintObject o) { return reinterpret_cast<HGDIOBJ>(o); }
PrintObject printObject(HGDIOBJ o) { return reinterpret_cast<PrintObject>(o); }

} // namespace

GdiDevice::GdiDevice(GdiContext* dc)
    : mDc(dc)
{
}

GdiDevice::~GdiDevice() { deleteDC(); }

int GdiDevice::widthPixels() { return GetDeviceCaps(hdc(mDc), HORZRES); }
int GdiDevice::heightPixels() { return GetDeviceCaps(hdc(mDc), VERTRES); }
int GdiDevice::widthMM() { return GetDeviceCaps(hdc(mDc), HORZSIZE); }
int GdiDevice::heightMM() { return GetDeviceCaps(hdc(mDc), VERTSIZE); }
int GdiDevice::dpiX() { return GetDeviceCaps(hdc(mDc), LOGPIXELSX); }
int GdiDevice::dpiY() { return GetDeviceCaps(hdc(mDc), LOGPIXELSY); }

bool GdiDevice::reset(const DeviceMode& mode)
{
    if (mDc == nullptr || !mode.valid())
        return false;
    return ResetDCA(hdc(mDc), static_cast<const DEVMODEA*>(mode.data())) != nullptr;
}

PrintObject GdiDevice::createFont(const FontSpec& spec)
{
    return printObject(CreateFontA(spec.height, spec.width, spec.escapement, spec.orientation, spec.weight,
        spec.italic ? TRUE : FALSE, spec.underline ? TRUE : FALSE, spec.strikeOut ? TRUE : FALSE,
        static_cast<DWORD>(spec.charSet), static_cast<DWORD>(spec.outPrecision),
        static_cast<DWORD>(spec.clipPrecision), static_cast<DWORD>(spec.quality),
        static_cast<DWORD>(spec.pitchAndFamily), spec.face));
}

PrintObject GdiDevice::createBrush(int style, std::uint32_t color, int hatch)
{
    LOGBRUSH brush;
    brush.lbStyle = static_cast<UINT>(style);
    brush.lbColor = color;
    brush.lbHatch = static_cast<ULONG_PTR>(hatch);
    return printObject(CreateBrushIndirect(&brush));
}

PrintObject GdiDevice::selectObject(PrintObject object)
{
    // SelectObject answers HGDI_ERROR, not null, for some failures; both mean "failed".
    HGDIOBJ previous = SelectObject(hdc(mDc), gdiObject(object));
    if (previous == HGDI_ERROR)
        return nullptr;
    return printObject(previous);
}

bool GdiDevice::deleteObject(PrintObject object) { return DeleteObject(gdiObject(object)) != FALSE; }

bool GdiDevice::textExtent(const char* text, int length, int& cx, int& cy)
{
    SIZE size;
    if (text == nullptr || length < 0 || !GetTextExtentPoint32A(hdc(mDc), text, length, &size))
        return false;
    cx = size.cx;
    cy = size.cy;
    return true;
}

bool GdiDevice::textOut(int x, int y, const char* text, int length, const int* advances)
{
    if (text == nullptr || length < 0)
        return false;
    if (advances == nullptr)
        return TextOutA(hdc(mDc), x, y, text, length) != FALSE;
    return ExtTextOutA(hdc(mDc), x, y, 0, nullptr, text, static_cast<UINT>(length), advances) != FALSE;
}

bool GdiDevice::textOutW(int x, int y, const char16_t* text, int length, const int* advances)
{
    if (text == nullptr || length < 0)
        return false;
    // A Windows wchar_t is a UTF-16 unit.
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
    if (advances == nullptr)
        return TextOutW(hdc(mDc), x, y, wide, length) != FALSE;
    return ExtTextOutW(hdc(mDc), x, y, 0, nullptr, wide, static_cast<UINT>(length), advances) != FALSE;
}

bool GdiDevice::moveTo(int x, int y) { return MoveToEx(hdc(mDc), x, y, nullptr) != FALSE; }
bool GdiDevice::lineTo(int x, int y) { return LineTo(hdc(mDc), x, y) != FALSE; }
int GdiDevice::setBkMode(int mode) { return SetBkMode(hdc(mDc), mode); }
std::uint32_t GdiDevice::setBkColor(std::uint32_t color) { return SetBkColor(hdc(mDc), color); }

int GdiDevice::startDoc(const char* docName)
{
    DOCINFOA info;
    info.cbSize = sizeof(DOCINFOA);
    info.lpszDocName = docName;
    info.lpszOutput = nullptr;
    info.lpszDatatype = nullptr;
    info.fwType = 0;
    return StartDocA(hdc(mDc), &info);
}

int GdiDevice::startPage() { return StartPage(hdc(mDc)); }
int GdiDevice::endPage() { return EndPage(hdc(mDc)); }
int GdiDevice::endDoc() { return EndDoc(hdc(mDc)); }

bool GdiDevice::deleteDC()
{
    if (mDc == nullptr)
        return false;
    const BOOL ok = DeleteDC(hdc(mDc));
    mDc = nullptr;
    return ok != FALSE;
}
