#include "printer/fake/RecordingDevice.h"

#include "printer/DeviceMode.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

const char* const kOpNames[RecordingDevice::OpCount] = {
    "widthPixels", "heightPixels", "widthMM", "heightMM", "dpiX", "dpiY",
    "reset", "createFont", "createBrush", "selectObject", "deleteObject",
    "textExtent", "textOut", "moveTo", "lineTo", "setBkMode", "setBkColor",
    "startDoc", "startPage", "endPage", "endDoc", "deleteDC",
};

const int kNever = -1;
const int kStockFontHeight = 48;

std::string format(const char* fmt, long long a = 0, long long b = 0, long long c = 0, long long d = 0)
{
    char buf[200];
    std::snprintf(buf, sizeof buf, fmt, a, b, c, d);
    return buf;
}

std::string objectName(int id) { return id == 0 ? std::string("null") : format("#%lld", id); }

} // namespace

std::string RecordingDevice::Call::str() const
{
    std::string s = kOpNames[op];
    switch (op) {
    case WidthPixels: case HeightPixels: case WidthMM: case HeightMM: case DpiX: case DpiY:
        s += format(" -> %lld", value);
        break;
    case Reset:
        s += format(" fields=0x%llx orientation=%lld paper=%lld", fields, orientation, paperSize);
        s += format(" quality=%lld yres=%lld", printQuality, yResolution);
        break;
    case CreateFont:
        s += " " + objectName(object);
        s += format(" h=%lld w=%lld weight=%lld quality=%lld", font.height, font.width, font.weight, font.quality);
        s += format(" pitch=%lld charset=%lld out=%lld clip=%lld", font.pitchAndFamily, font.charSet,
                    font.outPrecision, font.clipPrecision);
        if (font.escapement || font.orientation || font.italic || font.underline || font.strikeOut)
            s += format(" esc=%lld orient=%lld", font.escapement, font.orientation)
                + format(" italic=%lld underline=%lld strikeout=%lld", font.italic, font.underline, font.strikeOut);
        s += " face=" + text;
        break;
    case CreateBrush:
        s += " " + objectName(object) + format(" style=%lld color=0x%06llx hatch=%lld", value, color, x);
        break;
    case SelectObject:
        s += " " + objectName(object) + " -> " + objectName(previous);
        break;
    case DeleteObject:
        s += " " + objectName(object);
        break;
    case TextExtent:
        s += " \"" + text + "\"" + format(" -> %lldx%lld", x, y);
        break;
    case TextOut:
        s += format(" %lld %lld", x, y) + " \"" + text + "\"";
        if (hasAdvances) {
            s += " [";
            for (size_t i = 0; i < advances.size(); ++i)
                s += (i ? "," : "") + format("%lld", advances[i]);
            s += "]";
        }
        break;
    case MoveTo: case LineTo:
        s += format(" %lld %lld", x, y);
        break;
    case SetBkMode:
        s += format(" %lld", value);
        break;
    case SetBkColor:
        s += format(" 0x%06llx", color);
        break;
    case StartDoc:
        s += " \"" + text + "\"";
        break;
    default:
        break;
    }
    if (!ok)
        s += " FAILED";
    return s;
}

RecordingDevice::RecordingDevice()
    : RecordingDevice(Caps())
{
}

RecordingDevice::RecordingDevice(const Caps& caps)
    : mCaps(caps)
{
    for (int i = 0; i < OpCount; ++i) {
        mFailAfter[i] = kNever;
        mCallsOf[i] = 0;
    }
    // A fresh device context already has a font and a brush selected; they belong to the
    // system and deleting them does nothing.
    Object font;
    font.id = 1;
    font.isFont = true;
    font.stock = true;
    font.face = "System";
    font.font.face = nullptr;
    mObjects.push_back(font);
    Object brush;
    brush.id = 2;
    brush.stock = true;
    brush.style = SolidBrush;
    brush.color = 0x00FFFFFFu;
    mObjects.push_back(brush);
    mFont = handle(1);
    mBrush = handle(2);
}

void RecordingDevice::setCharWidth(const CharWidth& f) { mCharWidth = f; }

void RecordingDevice::setNaturalWidth(int numerator, int denominator)
{
    mNaturalNum = numerator;
    mNaturalDen = denominator > 0 ? denominator : 1;
}

int RecordingDevice::fontHeight(const FontSpec& font) const
{
    return font.height == 0 ? kStockFontHeight : std::abs(font.height);
}

int RecordingDevice::charWidth(const FontSpec& font, unsigned char c) const
{
    if (mCharWidth)
        return mCharWidth(font, c);
    if (font.width != 0)
        return std::abs(font.width);
    return fontHeight(font) * mNaturalNum / mNaturalDen;
}

void RecordingDevice::addPaper(short code, int widthMM, int heightMM)
{
    mPapers.push_back(Paper { code, widthMM, heightMM });
}

void RecordingDevice::fail(Op op, int after) { mFailAfter[op] = mCallsOf[op] + (after < 0 ? 0 : after); }

void RecordingDevice::succeed(Op op) { mFailAfter[op] = kNever; }

std::vector<std::string> RecordingDevice::log() const
{
    std::vector<std::string> out;
    for (const Call& c : mCalls)
        out.push_back(c.str());
    return out;
}

std::vector<std::string> RecordingDevice::log(std::initializer_list<Op> ops) const
{
    std::vector<std::string> out;
    for (const Call& c : mCalls)
        for (Op op : ops)
            if (c.op == op)
                out.push_back(c.str());
    return out;
}

int RecordingDevice::count(Op op) const
{
    int n = 0;
    for (const Call& c : mCalls)
        if (c.op == op)
            ++n;
    return n;
}

PrintObject RecordingDevice::handle(int id)
{
    return reinterpret_cast<PrintObject>(static_cast<std::uintptr_t>(id));
}

int RecordingDevice::idOf(PrintObject o) { return static_cast<int>(reinterpret_cast<std::uintptr_t>(o)); }

RecordingDevice::Object* RecordingDevice::find(PrintObject o)
{
    const int id = idOf(o);
    if (id <= 0 || id > static_cast<int>(mObjects.size()))
        return nullptr;
    return &mObjects[static_cast<size_t>(id - 1)];
}

const RecordingDevice::Object* RecordingDevice::object(PrintObject o) const
{
    return const_cast<RecordingDevice*>(this)->find(o);
}

int RecordingDevice::liveObjects() const
{
    int n = 0;
    for (const Object& o : mObjects)
        if (!o.stock && !o.deleted)
            ++n;
    return n;
}

RecordingDevice::Call& RecordingDevice::record(Op op)
{
    Call c;
    c.op = op;
    c.page = mPage;
    c.ok = allowed(op);
    mCalls.push_back(c);
    return mCalls.back();
}

bool RecordingDevice::allowed(Op op)
{
    const int n = mCallsOf[op]++;
    if (mDeleted)
        return false;
    return mFailAfter[op] == kNever || n < mFailAfter[op];
}

int RecordingDevice::query(Op op, int value)
{
    Call& c = record(op);
    c.value = c.ok ? value : 0;
    return c.value;
}

int RecordingDevice::widthPixels() { return query(WidthPixels, mCaps.widthPixels); }
int RecordingDevice::heightPixels() { return query(HeightPixels, mCaps.heightPixels); }
int RecordingDevice::widthMM() { return query(WidthMM, mCaps.widthMM); }
int RecordingDevice::heightMM() { return query(HeightMM, mCaps.heightMM); }
int RecordingDevice::dpiX() { return query(DpiX, mCaps.dpiX); }
int RecordingDevice::dpiY() { return query(DpiY, mCaps.dpiY); }

bool RecordingDevice::reset(const DeviceMode& mode)
{
    Call& c = record(Reset);
    if (mode.valid()) {
        c.fields = mode.fields();
        c.orientation = mode.orientation();
        c.paperSize = mode.paperSize();
        c.printQuality = mode.printQuality();
        c.yResolution = mode.yResolution();
    } else {
        c.ok = false;
    }
    // A reset in the middle of a page is refused, as a printer driver refuses it.
    if (mPage > 0)
        c.ok = false;
    if (!c.ok)
        return false;

    const bool landscape = mOrientation == DeviceMode::Landscape;
    // Work in portrait, then turn the page if the orientation asks for it.
    if (landscape) {
        std::swap(mCaps.widthPixels, mCaps.heightPixels);
        std::swap(mCaps.widthMM, mCaps.heightMM);
        std::swap(mCaps.dpiX, mCaps.dpiY);
    }
    if (c.fields & DeviceMode::PaperSize) {
        for (const Paper& p : mPapers) {
            if (p.code == c.paperSize) {
                mCaps.widthMM = p.widthMM;
                mCaps.heightMM = p.heightMM;
                mCaps.widthPixels = static_cast<int>(static_cast<long long>(p.widthMM) * mCaps.dpiX * 10 / 254);
                mCaps.heightPixels = static_cast<int>(static_cast<long long>(p.heightMM) * mCaps.dpiY * 10 / 254);
            }
        }
    }
    const std::uint32_t resolution = DeviceMode::PrintQuality | DeviceMode::YResolution;
    if ((c.fields & resolution) == resolution && c.printQuality > 0 && c.yResolution > 0 && mCaps.dpiX > 0
        && mCaps.dpiY > 0) {
        mCaps.widthPixels = static_cast<int>(static_cast<long long>(mCaps.widthPixels) * c.printQuality / mCaps.dpiX);
        mCaps.heightPixels = static_cast<int>(static_cast<long long>(mCaps.heightPixels) * c.yResolution / mCaps.dpiY);
        mCaps.dpiX = c.printQuality;
        mCaps.dpiY = c.yResolution;
    }
    short turned = landscape ? DeviceMode::Landscape : DeviceMode::Portrait;
    if ((c.fields & DeviceMode::Orientation)
        && (c.orientation == DeviceMode::Portrait || c.orientation == DeviceMode::Landscape))
        turned = c.orientation;
    if (turned == DeviceMode::Landscape) {
        std::swap(mCaps.widthPixels, mCaps.heightPixels);
        std::swap(mCaps.widthMM, mCaps.heightMM);
        std::swap(mCaps.dpiX, mCaps.dpiY);
    }
    mOrientation = turned;
    return true;
}

PrintObject RecordingDevice::createFont(const FontSpec& spec)
{
    Call& c = record(CreateFont);
    c.font = spec;
    c.font.face = nullptr;
    c.text = spec.face != nullptr ? spec.face : "";
    if (!c.ok)
        return nullptr;
    Object o;
    o.id = static_cast<int>(mObjects.size()) + 1;
    o.isFont = true;
    o.font = c.font;
    o.face = c.text;
    mObjects.push_back(o);
    c.object = o.id;
    return handle(o.id);
}

PrintObject RecordingDevice::createBrush(int style, std::uint32_t color, int hatch)
{
    Call& c = record(CreateBrush);
    c.value = style;
    c.color = color;
    c.x = hatch;
    if (!c.ok)
        return nullptr;
    Object o;
    o.id = static_cast<int>(mObjects.size()) + 1;
    o.style = style;
    o.color = color;
    o.hatch = hatch;
    o.font.face = nullptr;
    mObjects.push_back(o);
    c.object = o.id;
    return handle(o.id);
}

PrintObject RecordingDevice::selectObject(PrintObject object)
{
    Call& c = record(SelectObject);
    c.object = idOf(object);
    Object* o = find(object);
    if (o == nullptr || o->deleted)
        c.ok = false;
    if (!c.ok)
        return nullptr;
    PrintObject& slot = o->isFont ? mFont : mBrush;
    PrintObject previous = slot;
    slot = object;
    c.previous = idOf(previous);
    return previous;
}

bool RecordingDevice::deleteObject(PrintObject object)
{
    Call& c = record(DeleteObject);
    c.object = idOf(object);
    Object* o = find(object);
    // Stock objects belong to the system: deleting one does nothing and reports success.
    // An object of ours that is still selected into the device cannot go.
    if (o == nullptr || o->deleted || (!o->stock && (object == mFont || object == mBrush)))
        c.ok = false;
    if (!c.ok)
        return false;
    if (!o->stock)
        o->deleted = true;
    return true;
}

bool RecordingDevice::textExtent(const char* text, int length, int& cx, int& cy)
{
    Call& c = record(TextExtent);
    c.object = idOf(mFont);
    if (text == nullptr || length < 0)
        c.ok = false;
    if (!c.ok)
        return false;
    c.text.assign(text, static_cast<size_t>(length));
    const Object* font = find(mFont);
    FontSpec spec = font->font;
    spec.face = font->face.c_str();
    int width = 0;
    for (int i = 0; i < length; ++i)
        width += charWidth(spec, static_cast<unsigned char>(text[i]));
    c.x = cx = width;
    c.y = cy = fontHeight(spec);
    return true;
}

bool RecordingDevice::textOut(int x, int y, const char* text, int length, const int* advances)
{
    Call& c = record(TextOut);
    c.object = idOf(mFont);
    c.x = x;
    c.y = y;
    if (text == nullptr || length < 0)
        c.ok = false;
    if (!c.ok)
        return false;
    c.text.assign(text, static_cast<size_t>(length));
    if (advances != nullptr) {
        c.hasAdvances = true;
        c.advances.assign(advances, advances + length);
    }
    return true;
}

bool RecordingDevice::textOutW(int x, int y, const char16_t* text, int length, const int* advances)
{
    std::string utf8;
    for (int i = 0; text != nullptr && i < length; ++i) {
        const unsigned u = text[i];
        if (u < 0x80) {
            utf8 += static_cast<char>(u);
        } else if (u < 0x800) {
            utf8 += static_cast<char>(0xC0 | (u >> 6));
            utf8 += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (u >> 12));
            utf8 += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    // The advances stay one per unit, as the caller gave them.
    const bool ok = textOut(x, y, text != nullptr ? utf8.c_str() : nullptr, text != nullptr ? 0 : length, nullptr);
    Call& c = mCalls.back();
    c.wide = true;
    if (!ok)
        return false;
    c.text = utf8;
    if (advances != nullptr) {
        c.hasAdvances = true;
        c.advances.assign(advances, advances + length);
    }
    return true;
}

bool RecordingDevice::moveTo(int x, int y)
{
    Call& c = record(MoveTo);
    c.x = x;
    c.y = y;
    return c.ok;
}

bool RecordingDevice::lineTo(int x, int y)
{
    Call& c = record(LineTo);
    c.x = x;
    c.y = y;
    return c.ok;
}

int RecordingDevice::setBkMode(int mode)
{
    Call& c = record(SetBkMode);
    c.value = mode;
    if (mode != Transparent && mode != Opaque)
        c.ok = false;
    if (!c.ok)
        return 0;
    const int previous = mBkMode;
    mBkMode = mode;
    return previous;
}

std::uint32_t RecordingDevice::setBkColor(std::uint32_t color)
{
    Call& c = record(SetBkColor);
    c.color = color;
    if (!c.ok)
        return InvalidColor;
    const std::uint32_t previous = mBkColor;
    mBkColor = color;
    return previous;
}

int RecordingDevice::startDoc(const char* docName)
{
    Call& c = record(StartDoc);
    c.text = docName != nullptr ? docName : "";
    if (mInDoc)
        c.ok = false;
    if (!c.ok)
        return 0;
    mInDoc = true;
    return 1;
}

int RecordingDevice::startPage()
{
    Call& c = record(StartPage);
    if (!mInDoc || mPage > 0)
        c.ok = false;
    if (!c.ok)
        return 0;
    mPage = ++mPagesStarted;
    c.page = mPage;
    return 1;
}

int RecordingDevice::endPage()
{
    Call& c = record(EndPage);
    if (mPage == 0)
        c.ok = false;
    if (!c.ok)
        return 0;
    mPage = 0;
    ++mPagesEnded;
    return 1;
}

int RecordingDevice::endDoc()
{
    Call& c = record(EndDoc);
    if (!mInDoc)
        c.ok = false;
    if (!c.ok)
        return 0;
    // Like GDI, ending the document ends a page left open.
    if (mPage > 0) {
        mPage = 0;
        ++mPagesEnded;
    }
    mInDoc = false;
    return 1;
}

bool RecordingDevice::deleteDC()
{
    Call& c = record(DeleteDC);
    if (!c.ok)
        return false;
    mDeleted = true;
    return true;
}
