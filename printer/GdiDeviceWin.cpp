#include "printer/GdiDevice.h"

#include "printer/DeviceMode.h"

namespace {

HGDIOBJ gdiObject(PrintObject o) { return reinterpret_cast<HGDIOBJ>(o); }
PrintObject printObject(HGDIOBJ o) { return reinterpret_cast<PrintObject>(o); }

} // namespace

GdiDevice::GdiDevice(HDC dc)
    : mDc(dc)
{
}

GdiDevice::~GdiDevice() { deleteDC(); }

int GdiDevice::widthPixels() { return GetDeviceCaps(mDc, HORZRES); }
int GdiDevice::heightPixels() { return GetDeviceCaps(mDc, VERTRES); }
int GdiDevice::widthMM() { return GetDeviceCaps(mDc, HORZSIZE); }
int GdiDevice::heightMM() { return GetDeviceCaps(mDc, VERTSIZE); }
int GdiDevice::dpiX() { return GetDeviceCaps(mDc, LOGPIXELSX); }
int GdiDevice::dpiY() { return GetDeviceCaps(mDc, LOGPIXELSY); }

bool GdiDevice::reset(const DeviceMode& mode)
{
    if (mDc == nullptr || !mode.valid())
        return false;
    return ResetDCA(mDc, static_cast<const DEVMODEA*>(mode.data())) != nullptr;
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
    HGDIOBJ previous = SelectObject(mDc, gdiObject(object));
    if (previous == HGDI_ERROR)
        return nullptr;
    return printObject(previous);
}

bool GdiDevice::deleteObject(PrintObject object) { return DeleteObject(gdiObject(object)) != FALSE; }

bool GdiDevice::textExtent(const char* text, int length, int& cx, int& cy)
{
    SIZE size;
    if (text == nullptr || length < 0 || !GetTextExtentPoint32A(mDc, text, length, &size))
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
        return TextOutA(mDc, x, y, text, length) != FALSE;
    return ExtTextOutA(mDc, x, y, 0, nullptr, text, static_cast<UINT>(length), advances) != FALSE;
}

bool GdiDevice::moveTo(int x, int y) { return MoveToEx(mDc, x, y, nullptr) != FALSE; }
bool GdiDevice::lineTo(int x, int y) { return LineTo(mDc, x, y) != FALSE; }
int GdiDevice::setBkMode(int mode) { return SetBkMode(mDc, mode); }
std::uint32_t GdiDevice::setBkColor(std::uint32_t color) { return SetBkColor(mDc, color); }

int GdiDevice::startDoc(const char* docName)
{
    DOCINFOA info;
    info.cbSize = sizeof(DOCINFOA);
    info.lpszDocName = docName;
    info.lpszOutput = nullptr;
    info.lpszDatatype = nullptr;
    info.fwType = 0;
    return StartDocA(mDc, &info);
}

int GdiDevice::startPage() { return StartPage(mDc); }
int GdiDevice::endPage() { return EndPage(mDc); }
int GdiDevice::endDoc() { return EndDoc(mDc); }

bool GdiDevice::deleteDC()
{
    if (mDc == nullptr)
        return false;
    const BOOL ok = DeleteDC(mDc);
    mDc = nullptr;
    return ok != FALSE;
}
