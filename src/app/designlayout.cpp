#include "app/designlayout.h"

#include "app/buttonflow.h"
#include "app/findbar.h"
#include "grid/drawntext.h"
#include "grid/gridwidget.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The window's design in twips (1/1440 inch): the client area and each control's left, top, width and height.
constexpr QSize designClient{9240, 6855};
constexpr QRect updateAllPlace{240, 120, 1695, 375};
constexpr QRect cancelPlace{1200, 120, 1695, 375};
constexpr QRect updateSelectedPlace{2160, 120, 1695, 375};
constexpr QRect addDomainPlace{4560, 120, 1575, 375};
constexpr QRect removeDomainPlace{6360, 120, 1695, 375};
constexpr QRect exitPlace{8640, 120, 495, 375};
constexpr QRect completedPlace{4080, 600, 1575, 255};
constexpr QRect gridPlace{120, 840, 9000, 5370};
constexpr QRect findPageRankingPlace{120, 6360, 3735, 375};
constexpr QRect downloadPlace{4080, 6360, 2055, 375};
constexpr QRect popularityMeanPlace{6360, 6360, 2775, 375};
// The design's right edge of the last button of each row.
constexpr int lastButtonRight = 9135;
// Space kept between a button that widens and the next one of its row.
constexpr int buttonSpacing = 120;
// The desktop font size the design suits; a larger one scales the design with it.
constexpr qreal designFontPoints = 9.0;

// A caption as drawn: a single "&" marks the mnemonic and is not drawn, "&&" is drawn as "&".
QString withoutMnemonic(const QString& caption)
{
    QString drawn;
    drawn.reserve(caption.size());
    for (qsizetype k = 0; k < caption.size(); ++k) {
        if (caption[k] == u'&' && k + 1 < caption.size())
            ++k;
        drawn.append(caption[k]);
    }
    return drawn;
}

// The widest text of the progress label in a run over a list of ordinary size.
const QString widestProgress = u"99999 of 100000  : 100%"_s;

} // namespace

DesignLayout::DesignLayout(const WindowControls& controls, std::function<void()> resized)
    : QLayout(controls.client)
    , m_controls(controls)
    , m_resized(std::move(resized))
    , m_fontScale(std::max(1.0, QFontInfo(controls.client->font()).pointSizeF() / designFontPoints))
{
    setContentsMargins(0, 0, 0, 0);
    for (QWidget* control : controls.client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        addWidget(control);
    // A long domain widens its column up to half of the grid as designed.
    m_controls.grdUrls->setDomainWidthLimit(pixels(gridPlace).width() / 2);
}

DesignLayout::~DesignLayout()
{
    qDeleteAll(m_items);
}

void DesignLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
}

QLayoutItem* DesignLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem* DesignLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

int DesignLayout::count() const
{
    return static_cast<int>(m_items.size());
}

Qt::Orientations DesignLayout::expandingDirections() const
{
    return Qt::Horizontal | Qt::Vertical;
}

QSize DesignLayout::sizeHint() const
{
    return designClientSize();
}

QSize DesignLayout::minimumSize() const
{
    return minimumClientSize();
}

bool DesignLayout::hasHeightForWidth() const
{
    return true;
}

int DesignLayout::heightForWidth(int width) const
{
    const int height = pixels(QRect(QPoint(), designClient)).height();
    const GridWidget& grid = *m_controls.grdUrls;
    // Room for the grid's header, two of its rows and its scroll bar; the find bar, when open, takes from it.
    const int gridRoom = 4 * grid.fontMetrics().lineSpacing() + grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return height - arrange(QSize(width, height)).grid.height() + gridRoom;
}

void DesignLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    place(rect.size());
    if (m_resized)
        m_resized();
}

void DesignLayout::stopCallbacks()
{
    m_resized = nullptr;
}

QRect DesignLayout::pixels(const QRect& twips) const
{
    const double scaleX = m_controls.client->logicalDpiX() / 1440.0 * m_fontScale;
    const double scaleY = m_controls.client->logicalDpiY() / 1440.0 * m_fontScale;
    return {qRound(twips.x() * scaleX), qRound(twips.y() * scaleY), qRound(twips.width() * scaleX),
            qRound(twips.height() * scaleY)};
}

QList<QList<DesignLayout::ButtonPlace>> DesignLayout::buttonRows() const
{
    const WindowControls& c = m_controls;
    return {
        {{c.cmdUpdate[0], updateAllPlace},
         {c.cmdUpdate[1], updateSelectedPlace},
         {c.cmdAddDomain, addDomainPlace},
         {c.cmdRemoveDomain, removeDomainPlace},
         {c.cmdExit, exitPlace}},
        {{c.cmdFindPageRanking, findPageRankingPlace},
         {c.cmdDownload, downloadPlace},
         {c.cmdPopularityMean, popularityMeanPlace}},
    };
}

int DesignLayout::captionWidth(const QPushButton& button) const
{
    // The caption with the margins and frame the style puts around it.
    const QStyle* style = button.style();
    const int margins = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
                        2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    const qreal text = drawnTextWidth(button.font(), withoutMnemonic(button.text()), button.devicePixelRatioF());
    return static_cast<int>(std::ceil(text)) + margins;
}

QList<QList<DesignLayout::ButtonPlace>> DesignLayout::buttonGeometries() const
{
    // Buttons keep the desktop's font: one whose caption needs more than the design gives it widens, and the rest
    // of its row moves right to keep their spacing.
    const int spacing = pixels(QRect(0, 0, buttonSpacing, 0)).width();
    QList<QList<ButtonPlace>> rows;
    for (const QList<ButtonPlace>& row : buttonRows()) {
        QList<ButtonPlace>& placed = rows.emplaceBack();
        int free = 0; // where the next button of the row may start
        for (const ButtonPlace& place : row) {
            QRect geometry = pixels(place.design);
            geometry.setWidth(std::max(geometry.width(), captionWidth(*place.button)));
            geometry.moveLeft(std::max(geometry.left(), free));
            free = geometry.left() + geometry.width() + spacing;
            placed.append({place.button, geometry});
        }
    }
    return rows;
}

int DesignLayout::rightMargin() const
{
    return pixels(QRect(QPoint(), designClient)).width() - pixels(QRect(0, 0, lastButtonRight, 0)).width();
}

QSize DesignLayout::designClientSize() const
{
    // The design's size, wider by what the buttons' rows have grown, keeping the design's right margin.
    const QSize design = pixels(QRect(QPoint(), designClient)).size();
    int width = design.width();
    for (const QList<ButtonPlace>& row : buttonGeometries()) {
        for (const ButtonPlace& place : row)
            width = std::max(width, place.design.x() + place.design.width() + rightMargin());
    }
    return {width, design.height()};
}

QSize DesignLayout::minimumClientSize() const
{
    // As narrow as the widest button of a row with the row's left margin and the design's right one; as low as the
    // controls need at the design's width. A narrower area needs more height for the rows its buttons wrap onto
    // (heightForWidth), which the window's scroll area gives it.
    int width = pixels(gridPlace).left() + progressWidth(widestProgress) + rightMargin();
    for (const QList<ButtonPlace>& row : buttonGeometries()) {
        for (const ButtonPlace& place : row)
            width = std::max(width, row.first().design.left() + place.design.width() + rightMargin());
    }
    return {width, heightForWidth(designClientSize().width())};
}

DesignLayout::Arrangement DesignLayout::arrange(QSize client) const
{
    const QSize design = pixels(QRect(QPoint(), designClient)).size();
    const int spacing = pixels(QRect(0, 0, buttonSpacing, 0)).width();
    const int gap = pixels(QRect(0, 0, 0, buttonSpacing)).height();
    const int right = client.width() - rightMargin() - 1;
    const int down = client.height() - design.height(); // what the window has gained in height, or lost

    const QList<QList<ButtonPlace>> rows = buttonGeometries();
    const auto designed = [](const QList<ButtonPlace>& row) {
        QList<QRect> places;
        for (const ButtonPlace& place : row)
            places.append(place.design);
        return places;
    };
    const QList<QRect> topDesign = designed(rows.first());
    const QList<QRect> bottomDesign = designed(rows.last());
    const QList<QRect> topPlaces = flowButtons(topDesign, right, spacing, gap);
    const QList<QRect> bottomPlaces = flowButtons(bottomDesign, right, spacing, gap);
    // Lines the top row wraps onto push what is below it down; those of the bottom row grow upwards.
    const int topGrown = flowHeight(topPlaces) - flowHeight(topDesign);
    const int bottomShift = down - (flowHeight(bottomPlaces) - flowHeight(bottomDesign));

    Arrangement arranged;
    for (qsizetype k = 0; k < topPlaces.size(); ++k)
        arranged.buttons.append({rows.first()[k].button, topPlaces[k]});
    for (qsizetype k = 0; k < bottomPlaces.size(); ++k)
        arranged.buttons.append({rows.last()[k].button, bottomPlaces[k].translated(0, bottomShift)});
    // Cancel stands in place of the update buttons: as designed, or on Update All when the row has wrapped.
    QRect cancel = pixels(cancelPlace);
    cancel.setWidth(std::max(cancel.width(), captionWidth(*m_controls.cmdCancelUpdate)));
    if (topPlaces != topDesign)
        cancel.moveTopLeft(topPlaces.first().topLeft());
    arranged.buttons.append({m_controls.cmdCancelUpdate, cancel});

    const QLabel& label = *m_controls.sklCompleted;
    QRect& completed = arranged.completed;
    completed = pixels(completedPlace).translated(0, topGrown);
    completed.setWidth(std::max(completed.width(), progressWidth(widestProgress)));
    completed.setHeight(
        std::max(completed.height(), static_cast<int>(std::ceil(QFontMetricsF(label.font()).height()))));
    // A narrow window keeps the label whole, moved left as far as the grid's edge.
    completed.moveLeft(std::max(pixels(gridPlace).left(), std::min(completed.left(), right + 1 - completed.width())));

    arranged.grid = pixels(gridPlace).adjusted(0, topGrown, client.width() - design.width(), bottomShift);
    return arranged;
}

int DesignLayout::progressWidth(const QString& text) const
{
    const QLabel& label = *m_controls.sklCompleted;
    return static_cast<int>(std::ceil(drawnTextWidth(label.font(), text, label.devicePixelRatioF())));
}

void DesignLayout::fitProgress(const QString& text)
{
    // Only a text longer than the widest of ordinary runs is measured: measuring every step would slow a run down.
    if (text.size() <= widestProgress.size())
        return;
    QLabel& label = *m_controls.sklCompleted;
    if (const int needed = progressWidth(text); needed > label.width())
        label.resize(needed, label.height());
}

void DesignLayout::place(QSize client)
{
    const Arrangement arranged = arrange(client);
    for (const ButtonPlace& place : arranged.buttons)
        place.button->setGeometry(place.design);
    m_controls.sklCompleted->setGeometry(arranged.completed);
    // The find bar, when open, takes the bottom of the grid's place.
    QRect grid = arranged.grid;
    if (FindBar& find = *m_controls.findBar; !find.isHidden()) {
        const int height = find.sizeHint().height();
        const int gap = pixels(QRect(0, 0, 0, buttonSpacing)).height() / 2;
        grid.setBottom(grid.bottom() - height - gap);
        find.setGeometry(grid.left(), grid.bottom() + 1 + gap, grid.width(), height);
    }
    m_controls.grdUrls->setGeometry(grid);
}
