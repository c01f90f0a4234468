#include "printer/Graphics.h"

#include "common/ULog.h"
#include "printer/WinVersion.h"

#include <cstring>

namespace {

// A coordinate plus a band's offset, kept inside int: truncated toward zero as a
// conversion to int does, a wild value (out of range, not a number) clamped first, and the
// offset added in 64 bits, so neither the conversion nor the sum is undefined behaviour.
int offsetCoordinate(double v, int offset)
{
    long long base = 0;
    if (!(v == v))
        base = 0;
    else if (v >= 2147483647.0)
        base = 2147483647LL;
    else if (v <= -2147483648.0)
        base = -2147483648LL;
    else
        base = static_cast<long long>(v);
    const long long sum = base + offset;
    if (sum > 2147483647LL)
        return 2147483647;
    if (sum < -2147483648LL)
        return -2147483647 - 1;
    return static_cast<int>(sum);
}

int band(PrintDevice* dc, double x1, double y1, double x2, double y2, int thickness, bool downwards)
{
    if (thickness <= 0 || dc == nullptr)
        return 0;
    int result = 0;
    for (int i = 0; i < thickness; ++i) {
        const int dx = downwards ? 0 : i;
        const int dy = downwards ? i : 0;
        dc->moveTo(offsetCoordinate(x1, dx), offsetCoordinate(y1, dy));
        result = dc->lineTo(offsetCoordinate(x2, dx), offsetCoordinate(y2, dy)) ? 1 : 0;
    }
    return result;
}

} // namespace

int Graphics::fontQuality(int winClass) { return winClass == 7 ? 5 : 4; }

PrintDevice::FontSpec Graphics::fontSpec(int height, int width, const char* face, int weight, int winClass)
{
    PrintDevice::FontSpec spec;
    spec.height = height;
    spec.width = width;
    spec.escapement = 0;
    spec.orientation = 0;
    spec.weight = weight;
    spec.italic = false;
    spec.underline = false;
    spec.strikeOut = false;
    spec.charSet = 0;       // ANSI
    spec.outPrecision = 4;  // TrueType preferred
    spec.clipPrecision = 0; // default
    spec.quality = fontQuality(winClass);
    spec.pitchAndFamily = 1; // fixed pitch, any family
    spec.face = face != nullptr ? face : "";
    return spec;
}

PrintObject Graphics::select_font(PrintDevice* dc, int height, int width, const char* face, int weight)
{
    PrintObject previous = nullptr;
    if (dc != nullptr) {
        PrintObject font = dc->createFont(fontSpec(height, width, face, weight, getwinversion()));
        if (font != nullptr) {
            previous = dc->selectObject(font);
            // A font that never got selected would stay behind for good.
            if (previous == nullptr)
                dc->deleteObject(font);
        }
    }
    if (previous == nullptr)
        ULog::write("select_font(): SelectObject(dc, hfnt): couldn't select font", ULog::Error);
    return previous;
}

bool Graphics::restoreObject(PrintDevice* dc, PrintObject saved)
{
    if (dc == nullptr)
        return false;
    PrintObject replaced = dc->selectObject(saved);
    if (replaced == nullptr)
        return false;
    return dc->deleteObject(replaced);
}

int Graphics::get_text_metrics(PrintDevice* dc, const char* text, int& width, int& height)
{
    if (dc == nullptr || text == nullptr)
        return -1;
    const size_t len = std::strlen(text);
    if (len > 0x7fffffffu)
        return -1;
    int cx = 0, cy = 0;
    if (!dc->textExtent(text, static_cast<int>(len), cx, cy))
        return -1;
    width = cx;
    height = cy;
    return 0;
}

PrintObject Graphics::setBackground(PrintDevice* dc, int style, std::uint32_t color)
{
    PrintObject previous = nullptr;
    if (dc != nullptr) {
        PrintObject brush = dc->createBrush(style, color, 0);
        if (brush != nullptr) {
            previous = dc->selectObject(brush);
            if (previous == nullptr)
                dc->deleteObject(brush);
        }
    }
    if (previous == nullptr)
        ULog::write("Graphics::setBackground(): SelectObject(dc, brushRes): couldn't set paint", ULog::Error);
    return previous;
}

PrintObject Graphics::setPaint(PrintDevice* dc, std::uint32_t color, int mode)
{
    if (dc == nullptr || dc->setBkMode(mode) == 0) {
        ULog::write("setPaint: SetBkMode(dc, bgMode): couldn't set paint", ULog::Error);
        return nullptr;
    }
    if (dc->setBkColor(color) == PrintDevice::InvalidColor) {
        ULog::write("setPaint: SetBkColor(dc, color): couldn't set paint", ULog::Error);
        return nullptr;
    }
    const int style = mode == PrintDevice::Transparent ? PrintDevice::HollowBrush : PrintDevice::SolidBrush;
    return setBackground(dc, style, color);
}

int Graphics::drawHLine(PrintDevice* dc, double x1, double y1, double x2, double y2, int thickness)
{
    return band(dc, x1, y1, x2, y2, thickness, true);
}

int Graphics::drawVLine(PrintDevice* dc, double x1, double y1, double x2, double y2, int thickness)
{
    return band(dc, x1, y1, x2, y2, thickness, false);
}

unsigned char Graphics::lineChar(unsigned char c)
{
    switch (c) {
    case 0xB3: case 0xB4: case 0xB5: case 0xB6: case 0xB9: case 0xBA:
    case 0xC3: case 0xC6: case 0xC7: case 0xCC:
        return '|';
    case 0xB7: case 0xB8: case 0xC4: case 0xC5:
        return '-';
    default:
        break;
    }
    if ((c >= 0xBB && c <= 0xC2) || (c >= 0xC8 && c <= 0xCB) || (c >= 0xCD && c <= 0xDA))
        return '-';
    return c;
}
