#include "platform/text_encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace morvel {
namespace {

std::string utf8(char32_t codePoint) {
    std::string text;
    AppendUtf8(text, codePoint);
    return text;
}

TEST(Windows1252ToUtf8, AsciiAndLatin1BytesKeepTheirCodePoints) {
    for (int byte = 0; byte < 256; ++byte) {
        if (byte >= 0x80 && byte <= 0x9F) continue;
        EXPECT_EQ(Windows1252ToCodePoint(static_cast<unsigned char>(byte)),
                  static_cast<char32_t>(byte))
            << byte;
    }
    EXPECT_EQ(Windows1252ToUtf8("Gr\xF6\xDF"
                                "e \xC4\xD6\xDC"),
              "Gr\xC3\xB6\xC3\x9F"
              "e \xC3\x84\xC3\x96\xC3\x9C");
    EXPECT_EQ(Windows1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Windows1252ToUtf8, TheRangeFrom80To9FHoldsTypographicCharacters) {
    EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(Windows1252ToUtf8("\x84\x93\x94"), "\xE2\x80\x9E\xE2\x80\x9C\xE2\x80\x9D");
    EXPECT_EQ(Windows1252ToUtf8("\x8A\x9F"), "\xC5\xA0\xC5\xB8");
    EXPECT_EQ(Windows1252ToUtf8("\x99"), "\xE2\x84\xA2");
}

TEST(Windows1252ToUtf8, UndefinedBytesBecomeTheControlCharactersOfTheSameNumber) {
    EXPECT_EQ(Windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"),
              "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
}

TEST(Windows1252ToUtf8, EveryByteBecomesExactlyOneValidCharacter) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string text = Windows1252ToUtf8(std::string(1, static_cast<char>(byte)));
        EXPECT_TRUE(IsValidUtf8(text)) << byte;
        EXPECT_EQ(text, utf8(Windows1252ToCodePoint(static_cast<unsigned char>(byte)))) << byte;
    }
}

// The system's own converter is an independent check of the table for the defined bytes.
TEST(Windows1252ToUtf8, AgreesWithTheSystemConverter) {
    iconv_t converter = iconv_open("UTF-8", "WINDOWS-1252");
    if (converter == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "no WINDOWS-1252 in iconv";
    int compared = 0;
    for (int byte = 1; byte < 256; ++byte) {
        char in[1] = {static_cast<char>(byte)};
        char out[8] = {};
        char* inPointer = in;
        char* outPointer = out;
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1))
            continue;  // a byte the system leaves undefined
        EXPECT_EQ(Windows1252ToUtf8(std::string(in, 1)), std::string(out, outPointer))
            << "byte " << byte;
        ++compared;
    }
    iconv_close(converter);
    EXPECT_GE(compared, 250);
}

TEST(AppendUtf8, WritesTheShortestFormAtEveryLengthBoundary) {
    EXPECT_EQ(utf8(0x7F), "\x7F");
    EXPECT_EQ(utf8(0x80), "\xC2\x80");
    EXPECT_EQ(utf8(0x7FF), "\xDF\xBF");
    EXPECT_EQ(utf8(0x800), "\xE0\xA0\x80");
    EXPECT_EQ(utf8(0xFFFF), "\xEF\xBF\xBF");
    EXPECT_EQ(utf8(0x10000), "\xF0\x90\x80\x80");
    EXPECT_EQ(utf8(0x10FFFF), "\xF4\x8F\xBF\xBF");
}

TEST(IsValidUtf8, AcceptsWellFormedText) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ASCII\t\r\n"));
    EXPECT_TRUE(
        IsValidUtf8("\xC3\x96"
                    "ffnen \xE2\x82\xAC \xF0\x9F\x8E\xAC"));
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));
}

TEST(IsValidUtf8, RejectsMalformedSequences) {
    const char* const malformed[] = {
        "\x80",              // continuation byte without a lead
        "a\xBF",             //
        "\xC0\xAF",          // overlong "/"
        "\xC1\xBF",          // overlong two-byte form
        "\xE0\x80\xAF",      // overlong three-byte form
        "\xE0\x9F\xBF",      //
        "\xF0\x8F\xBF\xBF",  // overlong four-byte form
        "\xED\xA0\x80",      // surrogates
        "\xED\xBF\xBF",      //
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xF5\x80\x80\x80",  //
        "\xFE",              //
        "\xFF",              //
        "\xC3",              // truncated at the end
        "x\xE2\x82",         //
        "\xF0\x9F\x8E",      //
        "\xC3"
        "A",  // lead byte followed by a non-continuation
        "\xE2\x82"
        "A",
    };
    for (const char* text : malformed) EXPECT_FALSE(IsValidUtf8(text)) << text;
}

TEST(IsSingleByteUtf8, AcceptsOnlyCharactersUpToFF) {
    EXPECT_TRUE(IsSingleByteUtf8(""));
    EXPECT_TRUE(
        IsSingleByteUtf8("Pinselgr\xC3\xB6\xC3\x9F"
                         "e"));
    EXPECT_TRUE(IsSingleByteUtf8("\xC2\x80\xC3\xBF"));   // U+0080 and U+00FF
    EXPECT_FALSE(IsSingleByteUtf8("\xC4\x80"));          // U+0100
    EXPECT_FALSE(IsSingleByteUtf8("5 \xE2\x82\xAC"));    // euro sign, U+20AC
    EXPECT_FALSE(IsSingleByteUtf8("\xF0\x9F\x8E\xAC"));  // above the basic plane
    EXPECT_FALSE(IsSingleByteUtf8("\xC1\x81"));          // overlong "A"
    EXPECT_FALSE(IsSingleByteUtf8("ok\xC3"));            // truncated
}

TEST(SingleByteUtf8OrEmpty, KeepsAFittingTextAndEmptiesAnyOther) {
    EXPECT_EQ(SingleByteUtf8OrEmpty("\xC3\x9C"
                                    "ber ..."),
              "\xC3\x9C"
              "ber ...");
    EXPECT_EQ(SingleByteUtf8OrEmpty("\xC5\x81\xC3\xB3"
                                    "d\xC5\xBA"),
              "");
    EXPECT_EQ(SingleByteUtf8OrEmpty("good \xED\xA0\x80 bad"), "");
}

}  // namespace
}  // namespace morvel
