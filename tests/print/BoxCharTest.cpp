#include "print/BoxChar.h"
#include "printer/Graphics.h"

#include <gtest/gtest.h>

#include <string>

TEST(BoxChar, FramesOfCodePage437KeepTheirRuleClassAndShowTheirDoubles)
{
    // Decoded, every byte joins as the rule character it was always printed as.
    for (int b = 0; b < 256; ++b) {
        const char16_t c = BoxChar::fromCodePage437(static_cast<unsigned char>(b));
        const unsigned char was = Graphics::lineChar(static_cast<unsigned char>(b));
        EXPECT_EQ(was == '-' || was == '=' || was == '|' ? static_cast<char>(was) : 0, BoxChar::ruleClass(c)) << b;
    }
    // Double horizontals ═ ╔ ╗ ╚ ╝ ╦ ╩ ╬ ╒ ╕ ╘ ╛ ╞ ╡ ╤ ╧ ╪ ╠ ╣; double verticals ║ ╔ ╗ ╚ ╝ ╠ ╣ ╦
    // ╩ ╬ ╓ ╖ ╙ ╜ ╟ ╢ ╥ ╨ ╫.
    const std::string across = "\xcd\xc9\xbb\xc8\xbc\xcb\xca\xce\xd5\xb8\xd4\xbe\xc6\xb5\xd1\xcf\xd8\xcc\xb9";
    const std::string down = "\xba\xc9\xbb\xc8\xbc\xcc\xb9\xcb\xca\xce\xd6\xb7\xd3\xbd\xc7\xb6\xd2\xd0\xd7";
    for (int b = 128; b < 256; ++b) {
        const char16_t c = BoxChar::fromCodePage437(static_cast<unsigned char>(b));
        EXPECT_EQ(across.find(static_cast<char>(b)) != std::string::npos, BoxChar::doubleAcross(c)) << b;
        EXPECT_EQ(down.find(static_cast<char>(b)) != std::string::npos, BoxChar::doubleDown(c)) << b;
    }
    // Beyond code page 437: heavy, dashed and rounded lines are single rules, the diagonals
    // and everything outside the block none.
    EXPECT_EQ('-', BoxChar::ruleClass(u'\u2501'));
    EXPECT_EQ('|', BoxChar::ruleClass(u'\u2506'));
    EXPECT_EQ('-', BoxChar::ruleClass(u'\u256D'));
    EXPECT_EQ('|', BoxChar::ruleClass(u'\u2577'));
    for (char16_t c : { u'\u2571', u'\u2573', u'\u2580', u'\u24FF', u'A' })
        EXPECT_EQ(0, BoxChar::ruleClass(c)) << c;
}
