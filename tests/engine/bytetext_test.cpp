#include "engine/bytetext.h"

#include <gtest/gtest.h>

namespace {

TEST(ByteText, FindsMarkersIgnoringAsciiCase)
{
    const struct {
        QByteArrayView haystack;
        QByteArrayView needle;
        qsizetype from;
        qsizetype at;
    } cases[] = {
        {"of about <b>", "OF ABOUT <B>", 0, 0},
        {"xxRESULTS <B>", "results <b>", 0, 2},
        {"rrrrResults", "results", 0, 4},
        {"Results results", "results", 1, 8},
        {"Results", "results", 1, -1},
        {"abc", "abcd", 0, -1},
        {"abc", "c", 0, 2},
        {"abc", "C", 3, -1},
        {"</b> of \r\n1", "</B> OF \r\n", 0, 0},
        {"</b> of \n1", "</b> of \r\n", 0, -1},
        {"%domain%", "%DOMAIN%", 0, 0},
        {"\xc4\xe4", "\xe4", 0, 1}, // bytes above 127 compare exactly
        {"", "a", 0, -1},
        {"abc", "", 2, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(indexOfIgnoringCase(c.haystack, c.needle, c.from), c.at)
            << c.haystack.data() << " / " << c.needle.data();
}

TEST(ByteText, TrimsPlainSpacesOnly)
{
    EXPECT_EQ(trimSpaces("  a b  "), "a b");
    EXPECT_EQ(trimSpaces("\t a \r\n"), "\t a \r\n");
    EXPECT_EQ(trimSpaces("    "), "");
    EXPECT_TRUE(startsWithIgnoringCase("HTTP://x", "http://"));
    EXPECT_FALSE(startsWithIgnoringCase("http:/", "http://"));
}

} // namespace
