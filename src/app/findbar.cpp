#include "app/findbar.h"

#include "grid/domainsearch.h"
#include "grid/gridwidget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QToolButton>

using namespace Qt::StringLiterals;

FindBar::FindBar(GridWidget& grid, QWidget* parent)
    : QWidget(parent)
    , m_grid(grid)
    , m_field(new QLineEdit(this))
    , m_result(new QLabel(this))
{
    setObjectName(u"findBar"_s);
    m_field->setObjectName(u"txtFind"_s);
    m_field->setAccessibleName(u"Find domain"_s);
    m_field->setClearButtonEnabled(true);
    m_result->setObjectName(u"lblFindResult"_s);
    auto* caption = new QLabel(u"Fi&nd:"_s, this);
    caption->setBuddy(m_field);
    auto* close = new QToolButton(this);
    close->setObjectName(u"cmdFindClose"_s);
    close->setText(u"Close"_s);
    close->setToolTip(u"Close the find bar (Escape)"_s);
    close->setFocusPolicy(Qt::NoFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_result, 1);
    layout->addWidget(close);

    connect(m_field, &QLineEdit::textChanged, this,
            [this](const QString& text) { showFound(findDomainRow(m_grid, text, 0, SearchDirection::Forward)); });
    connect(close, &QToolButton::clicked, this, &FindBar::dismiss);
    // While the bar is open, F3 and Shift+F3 search wherever the focus is in the window.
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this, &FindBar::findNext);
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this), &QShortcut::activated, this,
            &FindBar::findPrevious);
    m_field->installEventFilter(this);
    hide();
}

void FindBar::open()
{
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void FindBar::dismiss()
{
    hide();
    m_result->clear();
    m_grid.setFocus(Qt::OtherFocusReason);
}

void FindBar::findNext()
{
    showFound(findDomainRow(m_grid, m_field->text(), m_grid.Row(), SearchDirection::Forward));
}

void FindBar::findPrevious()
{
    showFound(findDomainRow(m_grid, m_field->text(), m_grid.Row(), SearchDirection::Backward));
}

void FindBar::showFound(int row)
{
    if (row > 0)
        m_grid.makeCurrent(row, 0);
    m_result->setText(row > 0 || m_field->text().isEmpty() ? QString() : u"Not found"_s);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    // Escape and Enter belong to the field while it has the focus: the window's Escape cancels a run.
    if (watched == m_field && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool escape = key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier;
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (escape || enter) {
            event->accept();
            if (event->type() == QEvent::KeyPress) {
                if (escape)
                    dismiss();
                else if (key->modifiers().testFlag(Qt::ShiftModifier))
                    findPrevious();
                else
                    findNext();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
