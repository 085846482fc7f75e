#pragma once

#include "domains/userdialogs.h"

#include <QPointer>
#include <QWidget>

// The dialogs as Qt's standard input dialog, message box and file dialog, owned by one window.
class QtDialogs final : public UserDialogs {
public:
    explicit QtDialogs(QString appTitle);

    void setOwner(QWidget* owner) { m_owner = owner; }

    QString prompt(const QString& text, const QString& title) override;
    void message(const QString& text, const QString& title) override;
    void warning(const QString& text, const QString& title) override;
    Answer askYesNo(const QString& text, const QString& title) override;
    Answer askYesNoCancel(const QString& text, const QString& title) override;
    int choose(const QString& text, const QStringList& choices, const QString& title) override;
    QString openFile(const QString& title, const QString& directory, const QString& filter) override;
    QString saveFile(const QString& title, const QString& path, const QString& filter) override;

private:
    const QString& titleOr(const QString& title) const { return title.isEmpty() ? m_appTitle : title; }
    // A dialog stands over its window while that is shown; before (or after) it is centred on the screen.
    QWidget* owner() const { return m_owner && m_owner->isVisible() ? m_owner.data() : nullptr; }

    QString m_appTitle;
    QPointer<QWidget> m_owner;
};
