#include "engine/enginecatalogue.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

EngineTables builtTables()
{
    EngineTables tables;
    tables.InitGridHeaders();
    tables.InitEngineCatalogue();
    return tables;
}

TEST(EngineTables, HeaderSlotsRepeatTheEngineNamesInCatalogueOrder)
{
    const EngineTables tables = builtTables();
    EXPECT_EQ(tables.gridHeader(0), u"Domain"_s);
    EXPECT_EQ(tables.gridHeader(1), u"Total"_s);
    EXPECT_TRUE(tables.gridHeader(7).isEmpty());
    const QString names[EngineCount] = {u"AllTheWeb"_s, u"AltaVista"_s, u"Google"_s, u"HotBot"_s, u"MSN"_s};
    for (int i = 0; i < EngineCount; ++i) {
        EXPECT_EQ(tables.engine(i).name, names[i]);
        EXPECT_EQ(tables.gridHeader(i + 2), names[i]);
        EXPECT_TRUE(tables.engine(i).queryTemplate.startsWith('/'));
        EXPECT_TRUE(tables.engine(i).queryTemplate.contains("%DOMAIN%"));
        EXPECT_FALSE(tables.engine(i).host.isEmpty());
    }
}

TEST(ExpandTemplate, ReplacesTheFirstTwoPlaceholders)
{
    const EngineTables tables = builtTables();
    const struct {
        QByteArray queryTemplate;
        QByteArray domain;
        QByteArray path;
    } cases[] = {
        {tables.engine(2).queryTemplate, "example.com", "/search?as_lq=example.com"},
        {tables.engine(1).queryTemplate, "example.com", "/sites/search/web?q=link%3Aexample.com+-url%3Aexample.com"},
        {tables.engine(3).queryTemplate, "a.org", "/?query=linkdomain%3Aa.org+-domain%3Aa.org"},
        {"/q=%domain%&r=%Domain%", "a.org", "/q=a.org&r=a.org"},
        {"/%DOMAIN%/%DOMAIN%/%DOMAIN%", "d.net", "/d.net/d.net/%DOMAIN%"},
        {"/search", "d.net", "/search"},
        {tables.engine(2).queryTemplate, "", "/search?as_lq="},
        {tables.engine(2).queryTemplate, "a b&c?d.com", "/search?as_lq=a b&c?d.com"},
        {tables.engine(2).queryTemplate, "Mixed.Case.COM", "/search?as_lq=Mixed.Case.COM"},
        // Every pass searches from the start, so a placeholder inside the domain is expanded by the second pass.
        {"/q=%DOMAIN%", "x%DOMAIN%y", "/q=xx%DOMAIN%yy"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandTemplate(c.queryTemplate, c.domain), c.path) << c.queryTemplate.toStdString();
}

} // namespace
