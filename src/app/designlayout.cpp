#include "app/designlayout.h"

#include "app/findbar.h"
#include "grid/drawntext.h"
#include "grid/gridwidget.h"

#include <QEvent>
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
// How far the window may grow so that every caption fits whole in the buttons' one font (1/6 inch).
constexpr int windowGrowthLimit = 240;
// Space kept between a button that widens and the next one of its row.
constexpr int buttonSpacing = 120;

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
    : QObject(controls.client)
    , m_controls(controls)
    , m_resized(std::move(resized))
{
    chooseButtonFont();
    m_controls.client->setMinimumSize(minimumClientSize());
    // A long domain widens its column up to half of the grid as designed.
    m_controls.grdUrls->setDomainWidthLimit(pixels(gridPlace).width() / 2);
    m_controls.client->installEventFilter(this);
    m_controls.findBar->installEventFilter(this);
    place();
}

QRect DesignLayout::pixels(const QRect& twips) const
{
    const double scaleX = m_controls.client->logicalDpiX() / 1440.0;
    const double scaleY = m_controls.client->logicalDpiY() / 1440.0;
    return {qRound(twips.x() * scaleX), qRound(twips.y() * scaleY), qRound(twips.width() * scaleX),
            qRound(twips.height() * scaleY)};
}

QList<DesignLayout::ButtonPlace> DesignLayout::buttonPlaces() const
{
    // Each button may widen to the right up to the next button shown beside it (Cancel stands in place of the
    // update buttons); the last of a row up to the window's edge moved by windowGrowthLimit.
    const WindowControls& c = m_controls;
    const int edge = lastButtonRight + windowGrowthLimit;
    return {
        {c.cmdUpdate[0], updateAllPlace, updateSelectedPlace.left() - buttonSpacing},
        {c.cmdCancelUpdate, cancelPlace, addDomainPlace.left() - buttonSpacing},
        {c.cmdUpdate[1], updateSelectedPlace, addDomainPlace.left() - buttonSpacing},
        {c.cmdAddDomain, addDomainPlace, removeDomainPlace.left() - buttonSpacing},
        {c.cmdRemoveDomain, removeDomainPlace, exitPlace.left() - buttonSpacing},
        {c.cmdExit, exitPlace, edge},
        {c.cmdFindPageRanking, findPageRankingPlace, downloadPlace.left() - buttonSpacing},
        {c.cmdDownload, downloadPlace, popularityMeanPlace.left() - buttonSpacing},
        {c.cmdPopularityMean, popularityMeanPlace, edge},
    };
}

int DesignLayout::captionWidth(const QPushButton& button, const QFont& font) const
{
    // The caption with the margins and frame the style puts around it.
    const QStyle* style = button.style();
    const int margins = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
                        2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    return static_cast<int>(
               std::ceil(drawnTextWidth(font, withoutMnemonic(button.text()), button.devicePixelRatioF()))) +
           margins;
}

void DesignLayout::chooseButtonFont()
{
    // The design's sizes suit a narrow font. Every button gets the largest size, from the desktop's down, in which
    // each caption fits whole within the room its button may widen into. Sizes go by whole pixels, so that text
    // is drawn alike at every device pixel ratio.
    const QList<ButtonPlace> places = buttonPlaces();
    QFont font = m_controls.client->font();
    font.setPixelSize(QFontInfo(font).pixelSize());
    const auto fits = [&] {
        return std::all_of(places.begin(), places.end(), [&](const ButtonPlace& place) {
            const int room = pixels(QRect(place.design.left(), 0, place.rightLimit - place.design.left(), 0)).width();
            return captionWidth(*place.button, font) <= room;
        });
    };
    while (!fits() && font.pixelSize() > 8)
        font.setPixelSize(font.pixelSize() - 1);
    for (const ButtonPlace& place : places)
        place.button->setFont(font);
}

QRect DesignLayout::buttonGeometry(const ButtonPlace& place) const
{
    QRect geometry = pixels(place.design);
    geometry.setWidth(std::max(geometry.width(), captionWidth(*place.button, place.button->font())));
    return geometry;
}

QSize DesignLayout::minimumClientSize() const
{
    // The design's size, wider by what the last buttons of the rows have widened.
    const QSize design = pixels(QRect(QPoint(), designClient)).size();
    const int designRight = pixels(QRect(0, 0, lastButtonRight, 0)).width();
    int right = designRight;
    for (const ButtonPlace& place : buttonPlaces()) {
        const QRect geometry = buttonGeometry(place);
        right = std::max(right, geometry.x() + geometry.width());
    }
    return {design.width() + right - designRight, design.height()};
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

void DesignLayout::place()
{
    const QSize grown = m_controls.client->size() - pixels(QRect(QPoint(), designClient)).size();
    const int down = std::max(grown.height(), 0);

    for (const ButtonPlace& place : buttonPlaces()) {
        const bool bottomRow = place.design.top() > gridPlace.top();
        place.button->setGeometry(buttonGeometry(place).translated(0, bottomRow ? down : 0));
    }
    QLabel& label = *m_controls.sklCompleted;
    QRect completed = pixels(completedPlace);
    completed.setWidth(std::max(completed.width(), progressWidth(widestProgress)));
    completed.setHeight(
        std::max(completed.height(), static_cast<int>(std::ceil(QFontMetricsF(label.font()).height()))));
    label.setGeometry(completed);
    // The find bar, when open, takes the bottom of the grid's place.
    QRect grid = pixels(gridPlace).adjusted(0, 0, std::max(grown.width(), 0), down);
    if (FindBar& find = *m_controls.findBar; !find.isHidden()) {
        const int height = find.sizeHint().height();
        const int gap = pixels(QRect(0, 0, 0, buttonSpacing)).height() / 2;
        grid.setBottom(grid.bottom() - height - gap);
        find.setGeometry(grid.left(), grid.bottom() + 1 + gap, grid.width(), height);
    }
    m_controls.grdUrls->setGeometry(grid);
}

bool DesignLayout::eventFilter(QObject* watched, QEvent* event)
{
    const bool findBarShownOrHidden =
        watched == m_controls.findBar && (event->type() == QEvent::Show || event->type() == QEvent::Hide);
    if ((watched == m_controls.client && event->type() == QEvent::Resize) || findBarShownOrHidden) {
        place();
        if (m_resized)
            m_resized();
    }
    return QObject::eventFilter(watched, event);
}
