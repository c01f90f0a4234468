#include "common/UCodePage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The UTF-8 of decoded units, to compare with the expected text as written here.
std::string decode(const char* name, const std::string& bytes, bool& invalid)
{
    UCodePage page(UCodePage::lookup(name));
    std::vector<char16_t> units(bytes.size() + 1);
    invalid = false;
    const int n = page.decode(bytes.data(), static_cast<int>(bytes.size()), units.data(), invalid);
    std::string out;
    for (int i = 0; i < n; ++i) {
        const unsigned u = units[static_cast<size_t>(i)];
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

} // namespace

TEST(UCodePage, NamesAndTheLettersOfEachKindOfReport)
{
    EXPECT_EQ((std::vector<int> { 65001, 65001, 65001, 850, 1252, 0, 0, 0, 0, 0, 0 }),
        (std::vector<int> { UCodePage::lookup("utf-8"), UCodePage::lookup("UTF8"), UCodePage::lookup("65001"),
            UCodePage::lookup("850"), UCodePage::lookup("1252"), UCodePage::lookup("999"),
            UCodePage::lookup("abc"), UCodePage::lookup(""), UCodePage::lookup("-850"),
            UCodePage::lookup("1200"), UCodePage::lookup("850x") }));
    const struct {
        const char* page;
        std::string bytes;
        std::string text;
        bool invalid;
    } cases[] = {
        { "1252", "\xc4RGER \xd6L \xd1" "AND\xda \xc9T\xc9", "ÄRGER ÖL ÑANDÚ ÉTÉ", false },
        { "850", "Gr\x94\xe1" "e caf\x82 \xa5" "and\xa3", "Größe café Ñandú", false },
        { "852", "\xa6lu\x9cou\x9fk\xec k\x85\xe5", "Žluťoučký kůň", false },
        { "1250", "\x8elu\x9dou\xe8k\xfd k\xf9\xf2", "Žluťoučký kůň", false },
        { "866", "\x84\x80", "ДА", false },
        { "437", "\xc9\xcd\xbb\xb3\xc5", "╔═╗│┼", false },
        { "utf-8", "caf\xc3\xa9 \xe2\x94\x80", "café ─", false },
        // A broken sequence is one U+FFFD, the byte that broke it the next character; a
        // lone continuation byte, an overlong form, a surrogate and a cut sequence are
        // broken too. Four bytes are two units.
        { "utf-8", "caf\xe9!", "caf\xef\xbf\xbd!", true },
        { "utf-8", "\x80\xc0\xaf\xed\xa0\x80\xe2\x94", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"
            "\xef\xbf\xbd\xef\xbf\xbd", true },
        { "utf-8", "\xf0\x9f\x98\x80", "\xed\xa0\xbd\xed\xb8\x80", false },
    };
    for (const auto& c : cases) {
        bool invalid = true;
        EXPECT_EQ(c.text, decode(c.page, c.bytes, invalid)) << c.page << " " << c.text;
        EXPECT_EQ(c.invalid, invalid) << c.page << " " << c.text;
    }
}
