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
    : QObject(controls.client)
    , m_controls(controls)
    , m_resized(std::move(resized))
    , m_fontScale(std::max(1.0, QFontInfo(controls.client->font()).pointSizeF() / designFontPoints))
{
    m_controls.client->setMinimumSize(minimumClientSize());
    // A long domain widens its column up to half of the grid as designed.
    m_controls.grdUrls->setDomainWidthLimit(pixels(gridPlace).width() / 2);
    m_controls.client->installEventFilter(this);
    m_controls.findBar->installEventFilter(this);
    place();
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

QList<DesignLayout::ButtonPlace> DesignLayout::buttonGeometries() const
{
    // Buttons keep the desktop's font: one whose caption needs more than the design gives it widens, and the rest
    // of its row moves right to keep their spacing. Cancel stands in place of the update buttons.
    const int spacing = pixels(QRect(0, 0, buttonSpacing, 0)).width();
    QList<ButtonPlace> placed;
    for (const QList<ButtonPlace>& row : buttonRows()) {
        int free = 0; // where the next button of the row may start
        for (const ButtonPlace& place : row) {
            QRect geometry = pixels(place.design);
            geometry.setWidth(std::max(geometry.width(), captionWidth(*place.button)));
            geometry.moveLeft(std::max(geometry.left(), free));
            free = geometry.left() + geometry.width() + spacing;
            placed.append({place.button, geometry});
        }
    }
    QRect cancel = pixels(cancelPlace);
    cancel.setWidth(std::max(cancel.width(), captionWidth(*m_controls.cmdCancelUpdate)));
    placed.append({m_controls.cmdCancelUpdate, cancel});
    return placed;
}

QSize DesignLayout::minimumClientSize() const
{
    // The design's size, wider by what the buttons' rows have grown, keeping the design's right margin.
    const QSize design = pixels(QRect(QPoint(), designClient)).size();
    const int margin = design.width() - pixels(QRect(0, 0, lastButtonRight, 0)).width();
    int width = design.width();
    for (const ButtonPlace& place : buttonGeometries())
        width = std::max(width, place.design.x() + place.design.width() + margin);
    return {width, design.height()};
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

    for (const ButtonPlace& place : buttonGeometries()) {
        const bool bottomRow = place.design.top() > pixels(gridPlace).top();
        place.button->setGeometry(place.design.translated(0, bottomRow ? down : 0));
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
