#pragma once

#include "printer/PrintDevice.h"

#include <cstdint>

// The drawing helpers of the page layout and the print loop: the text font, text extent,
// background paint, thick rules made of one-pixel strokes, and the tests that decide which
// characters of a text page belong to a drawn box. They work on any print device; a null
// device fails the way a null device context does.
class Graphics {
public:
    // The weight every caller of this program asks for.
    static constexpr int Bold = 700;

    // Selects a fixed-pitch font of that height, width, face and weight. Answers the font
    // selected before, for restoreObject, or null (logged) on failure.
    static PrintObject select_font(PrintDevice* dc, int height, int width, const char* face, int weight);
    // Selects the saved object back and deletes the one it replaces; true when the
    // deletion succeeded.
    static bool restoreObject(PrintDevice* dc, PrintObject saved);
    // Width and height of text (up to its NUL): 0, or -1 with the outputs untouched.
    static int get_text_metrics(PrintDevice* dc, const char* text, int& width, int& height);
    // Selects a new brush of that style and colour: the brush before, or null (logged).
    static PrintObject setBackground(PrintDevice* dc, int style, std::uint32_t color);
    // Background mode, colour and the matching brush (hollow when transparent): the brush
    // before, or null (logged).
    static PrintObject setPaint(PrintDevice* dc, std::uint32_t color, int mode);
    // A rule of thickness one-pixel strokes, stacked downwards (H) or side by side to the
    // right (V) of the given line, coordinates truncated toward zero. Answers the result
    // of the last stroke, 0 when thickness <= 0.
    static int drawHLine(PrintDevice* dc, double x1, double y1, double x2, double y2, int thickness);
    static int drawVLine(PrintDevice* dc, double x1, double y1, double x2, double y2, int thickness);

    // The ASCII rule character for a box-drawing byte of code page 437; other bytes as
    // they are.
    static unsigned char lineChar(unsigned char c);
    // The characters that draw as rules: "-", "=" and "|".
    static bool isRuleChar(char c) { return c == '-' || c == '=' || c == '|'; }

    // Font quality for a Windows-version class: ClearType (5) on class 7, antialiased (4)
    // otherwise.
    static int fontQuality(int winClass);
    // The font select_font asks for.
    static PrintDevice::FontSpec fontSpec(int height, int width, const char* face, int weight, int winClass);
};
