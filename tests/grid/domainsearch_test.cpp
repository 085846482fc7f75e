#include "domains/domainlist.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/domaingrid.h"
#include "grid/domainsearch.h"
#include "grid/gridwidget.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FindDomainRow, FindsTheNextDomainContainingTheTextEitherWayRoundTheList)
{
    // Four domains in rows 1 to 4 of 30, a blank row between the second and the third, counts beside them.
    DomainList list(QString{});
    for (const char* domain : {"alpha.com", "Beta.org", "", "gamma.net", "ALPHABET.io"})
        list.append(QByteArray(domain) + "|AllTheWeb=alpha|");
    EngineTables engines;
    engines.InitGridHeaders();
    const CountText countText(QLocale(QLocale::English, QLocale::UnitedStates));
    GridWidget grid;
    DomainGrid domainGrid(&grid, list, engines, countText);
    domainGrid.SetupUrlsGrid();
    ASSERT_EQ(grid.Rows(), 30);
    const auto forward = SearchDirection::Forward;
    const auto backward = SearchDirection::Backward;
    const struct {
        QString text;
        int from;
        SearchDirection direction;
        int row;
    } cases[] = {
        {u"alpha"_s, 0, forward, 1},                                // from before the list: its first domain
        {u"alpha"_s, 1, forward, 5},                                // the next one, letter case ignored
        {u"alpha"_s, 5, forward, 1},                                // round the end
        {u"alpha"_s, 1, backward, 5},                               // round the start
        {u"alpha"_s, 5, backward, 1}, {u"alpha"_s, 0, backward, 5}, // from before the list backwards: its last domain
        {u"beta"_s, 2, forward, 2},                                 // the only one: the row searched from, last
        {u"ETA.O"_s, 4, forward, 2},                                // anywhere in the domain
        {u"bet"_s, 2, forward, 5},                                  // "alphabet" after "beta"
        {u".net"_s, 30, forward, 4},                                // from past the list
        {u"delta"_s, 1, forward, 0},                                // in no domain
        {u"alpha"_s, 3, forward, 5},                                // from the blank row
        {QString(), 1, forward, 0},                                 // nothing to find
        {u"com "_s, 1, forward, 0},                                 // the whole text, spaces too
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findDomainRow(grid, c.text, c.from, c.direction), c.row)
            << c.text.toStdString() << " from " << c.from << (c.direction == forward ? " forward" : " backward");
    }
}
