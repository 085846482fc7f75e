#pragma once

#include "domains/userdialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

// Dialogs that a test answers in advance. Every dialog shown is recorded as "kind|title|text"; an unanswered
// prompt or question gets the empty text or Cancel (No for a yes/no question, the last choice for a choice), as
// when the user closes it.
class FakeDialogs final : public UserDialogs {
public:
    QString prompt(const QString& text, const QString& title) override
    {
        shown.append(QStringList{QStringLiteral("prompt"), title, text}.join(u'|'));
        return prompts.isEmpty() ? QString() : prompts.takeFirst();
    }
    void message(const QString& text, const QString& title) override
    {
        shown.append(QStringList{QStringLiteral("message"), title, text}.join(u'|'));
    }
    void warning(const QString& text, const QString& title) override
    {
        shown.append(QStringList{QStringLiteral("warning"), title, text}.join(u'|'));
    }
    Answer askYesNo(const QString& text, const QString& title) override
    {
        shown.append(QStringList{QStringLiteral("yesno"), title, text}.join(u'|'));
        return answers.isEmpty() ? Answer::No : answers.takeFirst();
    }
    Answer askYesNoCancel(const QString& text, const QString& title) override
    {
        shown.append(QStringList{QStringLiteral("yesnocancel"), title, text}.join(u'|'));
        return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }
    int choose(const QString& text, const QStringList& choices, const QString& title) override
    {
        shown.append(QStringList{QStringLiteral("choose"), title, text, choices.join(u'/')}.join(u'|'));
        return picks.isEmpty() ? int(choices.size()) - 1 : picks.takeFirst();
    }
    QString openFile(const QString& title, const QString& directory, const QString& filter) override
    {
        shown.append(QStringList{QStringLiteral("open"), title, directory, filter}.join(u'|'));
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    QString saveFile(const QString& title, const QString& path, const QString& filter) override
    {
        shown.append(QStringList{QStringLiteral("save"), title, path, filter}.join(u'|'));
        return files.isEmpty() ? QString() : files.takeFirst();
    }

    QStringList prompts;
    QList<Answer> answers;
    QList<int> picks; // the choices made, by their index
    QStringList files;
    QStringList shown;
};
