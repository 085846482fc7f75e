#pragma once

#include <QWidget>

class GridWidget;
class QLabel;
class QLineEdit;

// The find field below the grid, hidden until opened. Typing makes current the first domain that contains the
// text, ignoring letter case; Enter and F3 go to the next such domain, Shift+F3 to the previous, round the
// list's end; Escape closes the bar and gives the grid the focus. It moves the current cell only.
class FindBar : public QWidget {
public:
    FindBar(GridWidget& grid, QWidget* parent);

    // Shows the bar and puts the focus in its field, the text there selected.
    void open();
    // Hides the bar and gives the grid the focus.
    void dismiss();
    // Makes current the next (or previous) domain that contains the field's text.
    void findNext();
    void findPrevious();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFound(int row);

    GridWidget& m_grid;
    QLineEdit* m_field;
    QLabel* m_result;
};
