#pragma once

// The characters that can draw as rules under -graph: the ASCII "-", "=" and "|", and the
// box-drawing block U+2500..U+257F, where the frame characters of code page 437 and 850
// land once decoded. A box-drawing character is known by its arms: which of the four
// sides of its cell it runs to, and with a single or a double line.
class BoxChar {
public:
    enum Side { Right = 0, Left = 2, Down = 4, Up = 6 };
    enum Weight { None = 0, Single = 1, Double = 2 };

    // The box-drawing character a code page 437 frame byte (179..218) stands for; any
    // other byte as it is.
    static char16_t fromCodePage437(unsigned char byte);
    // The weight of c's arm on that side: None for anything outside the box-drawing block
    // and for its diagonals; heavy, dashed and rounded lines draw as Single.
    static Weight arm(char16_t c, Side side);
    // The rule character c joins as: "-" or "|" for a box-drawing character (a vertical
    // line with at most one side arm is "|", everything else with an arm "-"), "-", "="
    // or "|" for those; 0 for a character that is no rule.
    static char ruleClass(char16_t c);
    // Whether c's horizontal arms (left or right), or vertical arms, are double lines;
    // "=" counts as a double horizontal.
    static bool doubleAcross(char16_t c);
    static bool doubleDown(char16_t c);
};
