#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

// Runs check on the modal dialog of type Dialog that the next action shows, as soon as it is shown, and closes
// whatever modal dialog is open afterwards: a failed assertion inside check, or a dialog of another kind, fails
// the test instead of leaving the dialog open and the test waiting for ever. seen says whether check ran.
template <typename Dialog> void onModalDialog(std::function<void(Dialog& dialog)> check, bool& seen)
{
    QTimer::singleShot(0, [check = std::move(check), &seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            seen = true;
            check(*dialog);
        } else {
            ADD_FAILURE() << "the expected modal dialog was not shown";
        }
        if (QWidget* stillOpen = QApplication::activeModalWidget())
            stillOpen->close();
    });
}
