#include "domains/domaintext.h"

#include <gtest/gtest.h>

namespace {

using enum AddDomainResult;

TEST(NormaliseDomain, ReducesTextToADomainOrRejectsIt)
{
    const struct {
        QByteArray text;
        AddDomainResult result;
        QByteArray domain;
    } cases[] = {
        {"", AddEmpty, ""},
        {"localhost", AddNotADomain, ""},
        {"example.com", AddOk, "example.com"},
        {"Example.COM", AddOk, "Example.COM"}, // no lower-casing here
        {"example.com\\path\\page", AddOk, "example.com\\path\\page"},
        {"http://example.com", AddOk, "example.com"},
        {"http://example.com/", AddOk, "example.com"},
        {"example.com/dir/page.html", AddOk, "example.com"},
        {"example.com/dir/page", AddOk, "example.com"},
        {"http://example.com/dir/page", AddOk, "example.com"},
        {"http://example.com/path?q=a.b/c", AddOk, "example.com"},
        {"example.com/dir.v2/page.html", AddOk, "example.com/dir.v2"}, // without a scheme, the host ends after a dot
        // With a scheme in any letter case, an address gives its host, without user, password or port.
        {"http://example.com/dir.v2/page.html", AddOk, "example.com"},
        {"HTTP://example.com/", AddOk, "example.com"},
        {"https://secure.example.com/", AddOk, "secure.example.com"},
        {"hTTpS://user:pw@www.Example.com:8080/x?y#z", AddOk, "www.Example.com"},
        {"http://example.com:80/", AddOk, "example.com"},
        {"https://user@example.org", AddOk, "example.org"},
        {"https://localhost:8080/", AddNotADomain, ""},
        {"word/path", AddNotADomain, ""},
        {"http://example.com\r\n", AddOk, "example.com"},
        {"http://example.com/ ", AddOk, "example.com"},
        {"www.example.co.uk:8080/index.html", AddOk, "www.example.co.uk:8080"},
        // Characters the list file or a request line cannot carry.
        {"exa|mple.com", AddNotADomain, ""},
        {"example.com|AllTheWeb=5|", AddNotADomain, ""},
        {"example.com\r", AddNotADomain, ""},
        {"exam\tple.com", AddNotADomain, ""},
        {"example.com\x7f", AddNotADomain, ""},
        {"example.com\n", AddNotADomain, ""},
        {"b\xfcro.de", AddOk, "b\xfcro.de"},
    };
    for (const auto& c : cases) {
        const NormalisedDomain normalised = NormaliseDomain(c.text);
        EXPECT_EQ(normalised.result, c.result) << c.text.toStdString();
        EXPECT_EQ(normalised.domain, c.domain) << c.text.toStdString();
    }
}

TEST(NormaliseUrl, DropsOneLineBreakAndAddsTheRootSlash)
{
    EXPECT_EQ(NormaliseUrl("http://example.com\r\n"), "http://example.com/");
    EXPECT_EQ(NormaliseUrl("HTTP://example.com"), "HTTP://example.com/");
    EXPECT_EQ(NormaliseUrl("http://example.com\r\n\r\n"), "http://example.com\r/");
    EXPECT_EQ(NormaliseUrl("http://example.com\n\r"), "http://example.com/");
    EXPECT_EQ(NormaliseUrl("  http://example.com/x  "), "http://example.com/x");
}

TEST(SplitAtLastSlash, SplitsAtTheLastSlashOrBackslash)
{
    const auto split = [](QByteArrayView text) {
        const SplitText parts = SplitAtLastSlash(text);
        return parts.head + " # " + parts.tail;
    };
    EXPECT_EQ(split("a/b\\c"), "a/b # c");
    EXPECT_EQ(split("a\\b/c"), "a\\b # c");
    EXPECT_EQ(split("  a / b  "), "a # b");
    EXPECT_EQ(split("abc"), " # abc");
    EXPECT_EQ(split("   "), " # ");
}

} // namespace
