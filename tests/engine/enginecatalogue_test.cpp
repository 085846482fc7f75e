#include "engine/enginecatalogue.h"

#include <gtest/gtest.h>

namespace {

// The catalogue's own templates are checked where requests are served: the test server answers each engine's
// query written out in full.
TEST(ExpandTemplate, ReplacesTheFirstTwoPlaceholdersVerbatim)
{
    const struct {
        QByteArray queryTemplate;
        QByteArray domain;
        QByteArray path;
    } cases[] = {
        {"/search?as_lq=%DOMAIN%", "example.com", "/search?as_lq=example.com"},
        {"/q=link%3A%DOMAIN%+-url%3A%DOMAIN%", "a.org", "/q=link%3Aa.org+-url%3Aa.org"},
        {"/q=%domain%&r=%Domain%", "a.org", "/q=a.org&r=a.org"},
        {"/%DOMAIN%/%DOMAIN%/%DOMAIN%", "d.net", "/d.net/d.net/%DOMAIN%"},
        {"/search", "d.net", "/search"},
        {"/search?as_lq=%DOMAIN%", "", "/search?as_lq="},
        {"/search?as_lq=%DOMAIN%", "a b&c?D.com", "/search?as_lq=a b&c?D.com"},
        // Every pass searches from the start, so a placeholder inside the domain is expanded by the second pass.
        {"/q=%DOMAIN%", "x%DOMAIN%y", "/q=xx%DOMAIN%yy"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExpandTemplate(c.queryTemplate, c.domain), c.path) << c.queryTemplate.toStdString();
}

} // namespace
