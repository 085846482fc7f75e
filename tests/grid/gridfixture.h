#pragma once

#include "domains/domainlist.h"
#include "engine/counttext.h"
#include "engine/enginecatalogue.h"
#include "grid/domaingrid.h"
#include "grid/gridwidget.h"

#include <QByteArray>
#include <QList>
#include <QLocale>

#include <gtest/gtest.h>

// A grid widget showing a list of its own, counts in English (United States), 900 pixels wide: 13,500 twips at
// 96 dpi, a ninth of which is whole pixels, so that widths are drawn exactly.
class GridFixture : public ::testing::Test {
protected:
    GridFixture()
    {
        m_engines.InitGridHeaders();
        m_engines.InitEngineCatalogue();
        m_widget.resize(900, 358);
    }

    // Makes the list of records and shows it in the grid.
    void display(const QList<QByteArray>& records)
    {
        m_list.clear();
        for (const QByteArray& record : records)
            m_list.append(record);
        m_grid.SetupUrlsGrid();
        m_grid.DisplayUrlsData();
    }

    EngineTables m_engines;
    CountText m_countText{QLocale(QLocale::English, QLocale::UnitedStates)};
    DomainList m_list{QString()};
    GridWidget m_widget;
    DomainGrid m_grid{&m_widget, m_list, m_engines, m_countText};
};
