#include "common/UCodePage.h"

#include <gtest/gtest.h>

#include <string>

TEST(UCodePage, NamesAndTheLettersOfEachKindOfReport)
{
    for (const char* name : { "utf-8", "UTF8", "65001" })
        EXPECT_EQ(UCodePage::kUtf8, UCodePage::lookup(name)) << name;
    EXPECT_EQ(850, UCodePage::lookup("850"));
    for (const char* name : { "999", "abc", "", "-850", "1200", "850x" })
        EXPECT_EQ(0, UCodePage::lookup(name)) << name;
    const struct {
        const char* page;
        std::string bytes;
        std::u16string text;
        bool invalid;
    } cases[] = {
        { "1252", "\xc4RGER \xd1" "AND\xda \xc9T\xc9", u"ÄRGER ÑANDÚ ÉTÉ", false },
        { "850", "Gr\x94\xe1" "e caf\x82", u"Größe café", false },
        { "852", "\xa6lu\x9cou\x9fk\xec k\x85\xe5", u"Žluťoučký kůň", false },
        { "1250", "\x8elu\x9dou\xe8k\xfd k\xf9\xf2", u"Žluťoučký kůň", false },
        { "437", "\xc9\xcd\xbb\xb3\xc5", u"╔═╗│┼", false },
        { "utf-8", "caf\xc3\xa9 \xe2\x94\x80 \xf0\x9f\x98\x80", u"café ─ \U0001F600", false },
        // A broken sequence is one U+FFFD and the byte that broke it starts the next
        // character; a lone continuation byte, an overlong form, a surrogate and a sequence
        // cut by the line's end are broken too.
        { "utf-8", "caf\xe9!\x80\xc0\xaf\xed\xa0\x80\xe2\x94", u"caf\uFFFD!\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD",
            true },
    };
    for (const auto& c : cases) {
        UCodePage page(UCodePage::lookup(c.page));
        std::u16string out(c.bytes.size(), u'?');
        bool invalid = false;
        out.resize(static_cast<size_t>(page.decode(c.bytes.data(), static_cast<int>(c.bytes.size()), &out[0], invalid)));
        EXPECT_TRUE(c.text == out && c.invalid == invalid) << c.page << " " << c.bytes;
    }
    // A code page this machine lacks decodes nothing, and ends cleanly.
    char16_t none[1];
    bool invalid = false;
    EXPECT_EQ(0, UCodePage(12345).decode("a", 1, none, invalid));
}
