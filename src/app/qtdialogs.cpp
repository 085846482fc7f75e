#include "app/qtdialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

QtDialogs::QtDialogs(QString appTitle)
    : m_appTitle(std::move(appTitle))
{
}

QString QtDialogs::prompt(const QString& text, const QString& title)
{
    bool accepted = false;
    const QString answer =
        QInputDialog::getText(owner(), titleOr(title), text, QLineEdit::Normal, QString(), &accepted);
    return accepted ? answer : QString();
}

void QtDialogs::message(const QString& text, const QString& title)
{
    QMessageBox::information(owner(), titleOr(title), text, QMessageBox::Ok);
}

void QtDialogs::warning(const QString& text, const QString& title)
{
    QMessageBox::warning(owner(), titleOr(title), text, QMessageBox::Ok);
}

UserDialogs::Answer QtDialogs::askYesNo(const QString& text, const QString& title)
{
    const auto button =
        QMessageBox::question(owner(), titleOr(title), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

UserDialogs::Answer QtDialogs::askYesNoCancel(const QString& text, const QString& title)
{
    const auto button =
        QMessageBox::question(owner(), titleOr(title), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    switch (button) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

int QtDialogs::choose(const QString& text, const QStringList& choices, const QString& title)
{
    QMessageBox box(QMessageBox::Question, titleOr(title), text, QMessageBox::NoButton, owner());
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
        buttons.append(box.addButton(choice, buttons.size() + 1 == choices.size() ? QMessageBox::RejectRole
                                                                                  : QMessageBox::AcceptRole));
    if (!buttons.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
        box.setEscapeButton(buttons.last());
    }
    box.exec();
    const int chosen = int(buttons.indexOf(box.clickedButton()));
    return chosen < 0 ? int(choices.size()) - 1 : chosen;
}

QString QtDialogs::openFile(const QString& title, const QString& directory, const QString& filter)
{
    return QFileDialog::getOpenFileName(owner(), title, directory, filter);
}

QString QtDialogs::saveFile(const QString& title, const QString& path, const QString& filter)
{
    return QFileDialog::getSaveFileName(owner(), title, path, filter);
}
