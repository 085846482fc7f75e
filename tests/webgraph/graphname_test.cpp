#include "webgraph/graphname.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

TEST(GraphNames, ListedDomainsAreTheirRegisteredDomains)
{
    const GraphNames names;
    const std::pair<QByteArray, std::optional<QByteArray>> cases[] = {
        {"example.com", "example.com"},
        {"www.example.com", "example.com"},
        {"shop.example.com", "example.com"},
        {"shop.example.co.uk", "example.co.uk"},
        {"a.b.c.example.com.au", "example.com.au"},
        {"WWW.Example.COM.", "example.com"},
        {"b\xc3\xbc"
         "cher.de",
         "xn--bcher-kva.de"}, // bücher.de as the graph names it
        {"www.B\xc3\x9c"
         "CHER.de",
         "xn--bcher-kva.de"}, // upper case letters outside ASCII too
        {"xn--bcher-kva.de", "xn--bcher-kva.de"},
        {"someone.blogspot.com", "blogspot.com"},     // private suffixes are not the graph's
        {"example.unknowntld", "example.unknowntld"}, // a top-level domain the list does not know
        {"co.uk", std::nullopt},                      // a public suffix has no registered domain
        {"com", std::nullopt},
        {"localhost", std::nullopt},
        {"lat\xe9n.com", std::nullopt}, // not UTF-8
        {"", std::nullopt},
        {"a..example.com", std::nullopt},
    };
    for (const auto& [listed, registered] : cases)
        EXPECT_EQ(names.registeredDomain(listed), registered) << listed.toStdString();
}

TEST(GraphNames, ReversesLabels)
{
    EXPECT_EQ(GraphNames::reversed("example.co.uk"), QByteArray("uk.co.example"));
    EXPECT_EQ(GraphNames::reversed("example.com"), QByteArray("com.example"));
    EXPECT_EQ(GraphNames::reversed("com"), QByteArray("com"));
}

} // namespace
