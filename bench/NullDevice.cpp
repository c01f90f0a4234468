#include "bench/NullDevice.h"

#include <cstdint>

namespace {

const int kStockFontHeight = 48;

} // namespace

NullDevice::NullDevice()
{
    mFont = make(true, kStockFontHeight, 0);
    mBrush = make(false, 0, 0);
}

PrintObject NullDevice::make(bool isFont, int height, int width)
{
    mObjects.push_back(Object { isFont, false, height, width });
    return reinterpret_cast<PrintObject>(static_cast<std::uintptr_t>(mObjects.size()));
}

NullDevice::Object* NullDevice::find(PrintObject o)
{
    const std::uintptr_t id = reinterpret_cast<std::uintptr_t>(o);
    if (id == 0 || id > mObjects.size())
        return nullptr;
    return &mObjects[id - 1];
}

PrintObject NullDevice::createFont(const FontSpec& spec)
{
    return make(true, spec.height < 0 ? -spec.height : spec.height, spec.width < 0 ? -spec.width : spec.width);
}

PrintObject NullDevice::createBrush(int, std::uint32_t, int) { return make(false, 0, 0); }

PrintObject NullDevice::selectObject(PrintObject object)
{
    Object* o = find(object);
    if (o == nullptr || o->deleted)
        return nullptr;
    PrintObject& slot = o->isFont ? mFont : mBrush;
    PrintObject previous = slot;
    slot = object;
    return previous;
}

bool NullDevice::deleteObject(PrintObject object)
{
    Object* o = find(object);
    if (o == nullptr || o->deleted || object == mFont || object == mBrush)
        return false;
    o->deleted = true;
    return true;
}

bool NullDevice::textExtent(const char*, int length, int& cx, int& cy)
{
    const Object* font = find(mFont);
    const int height = font->height == 0 ? kStockFontHeight : font->height;
    const int width = font->width != 0 ? font->width : height * 25 / 48;
    cx = width * length;
    cy = height;
    return true;
}

bool NullDevice::textOut(int, int, const char*, int length, const int*)
{
    ++mTexts;
    mCharacters += length;
    return true;
}

int NullDevice::setBkMode(int mode)
{
    const int previous = mBkMode;
    mBkMode = mode;
    return previous;
}

std::uint32_t NullDevice::setBkColor(std::uint32_t color)
{
    const std::uint32_t previous = mBkColor;
    mBkColor = color;
    return previous;
}
