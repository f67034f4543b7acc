// The fast GB18030 decoder against iconv (through the text layer).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/mfc/gbk.h"
#include "platform/xml/gb18030_decode.h"

namespace {

// The fast decoder's answer: false with the place of the bad byte, or true
// with the text.
bool Fast(const std::string& in, std::string& out, kiln::xml::ScanWidth width = kiln::xml::ScanWidth::kWidest,
          size_t* bad = nullptr) {
    std::unique_ptr<char[]> buf(new char[2 * in.size() + 16]);
    size_t n = 2 * in.size() + 16;
    bool ok = kiln::xml::Gb18030ToUtf8(in.data(), in.size(), buf.get(), n, bad, width);
    out.assign(buf.get(), n);
    return ok;
}

}  // namespace

TEST(Gb18030Decode, EveryTwoByteCodeAndEverySingleByteAsIconv) {
    int differences = 0;
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        for (unsigned trail = 0x00; trail <= 0xFF; ++trail) {
            // Each code between ASCII letters, so that a wrong length shows.
            std::string in = std::string("a") + static_cast<char>(lead) + static_cast<char>(trail) + "z";
            std::string fast, slow;
            bool fastOk = Fast(in, fast);
            bool slowOk = kiln::text::GbkToUtf8(in, slow);
            if (fastOk != slowOk || (fastOk && fast != slow)) {
                if (++differences <= 5) ADD_FAILURE() << std::hex << "code " << lead << " " << trail;
            }
        }
    }
    EXPECT_EQ(differences, 0);
}

TEST(Gb18030Decode, FourByteCodesLongTextsAndBrokenInput) {
    // Four-byte codes: U+0080 and an emoji outside the BMP.
    const std::string text = "<r a=\"\xC2\x80 \xF0\x9F\x98\x80 装置\"/>" + std::string(100, 'x') + "保护";
    std::string out;
    ASSERT_TRUE(Fast(kiln::text::Utf8ToGbk(text), out));
    EXPECT_EQ(out, text);
    // Truncated at the end (a lead byte alone, half a four-byte code) and
    // bytes that are no GB18030, at every width, after runs of markup that
    // end before, at and after a vector's step: each is found where it is.
    const std::string markup(40, 'm'), pair = "\xB1\xA3";
    const std::string brokens[] = {"\xD7", "\x81\x30", "\x81\x30\x81", "\x80" + markup, "\xFF" + markup,
                                   "\xB1\x7F" + markup, "\xB1\x0A" + markup, "\x81\x30\x81\x0A" + markup};
    for (const size_t run : {0, 6, 7, 8, 9, 15, 16, 17, 30, 31, 32, 33, 40}) {
        for (const std::string& before : {markup.substr(0, run), markup.substr(0, run) + pair}) {
            for (const std::string& broken : brokens) {
                for (const auto width : {kiln::xml::ScanWidth::kWidest, kiln::xml::ScanWidth::kSixteen, kiln::xml::ScanWidth::kOne}) {
                    size_t bad = 0;
                    EXPECT_FALSE(Fast(before + broken, out, width, &bad)) << run << " " << static_cast<int>(width);
                    EXPECT_EQ(bad, before.size()) << run << " " << static_cast<int>(width);
                }
            }
        }
    }
    EXPECT_TRUE(Fast("", out));
    EXPECT_EQ(out, "");
    // Runs of markup that end just before, at and after a sixteen-byte step,
    // and codes at the very end, converted into exactly the room their text
    // takes (one byte less is refused), so that no wider store goes past it.
    const std::string cjk = "保护", lastRow = kiln::text::GbkToUtf8("\xFE\x50");
    std::string chinese;  // a text that grows by half in UTF-8
    for (int k = 0; k < 50; ++k) chinese += cjk;
    for (const std::string& utf8 : {std::string(15, 'a') + cjk, std::string(16, 'a') + cjk, std::string(17, 'a') + cjk,
                                    cjk + std::string(31, 'b') + cjk + "c", std::string(32, 'd'), "e" + lastRow,
                                    lastRow + cjk + lastRow, std::string(30, 'f') + "\xC2\x80" + cjk + lastRow + std::string(40, 'g'),
                                    chinese}) {
        const std::string gb = kiln::text::Utf8ToGbk(utf8);
        for (const auto width : {kiln::xml::ScanWidth::kWidest, kiln::xml::ScanWidth::kSixteen, kiln::xml::ScanWidth::kOne}) {
            std::string wide;
            EXPECT_TRUE(Fast(gb, wide, width) && wide == utf8) << utf8 << " at " << static_cast<int>(width);
        }
        for (const size_t room : {utf8.size(), utf8.size() - 1, gb.size()}) {
            std::unique_ptr<char[]> buf(new char[room]);
            size_t n = room;
            const bool ok = kiln::xml::Gb18030ToUtf8(gb.data(), gb.size(), buf.get(), n);
            EXPECT_EQ(ok, room >= utf8.size()) << utf8 << " in " << room;
            if (ok) {
                EXPECT_EQ(std::string(buf.get(), n), utf8);
            }
        }
    }
}
