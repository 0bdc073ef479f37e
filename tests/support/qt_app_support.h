#pragma once
// One QApplication for all widget tests (offscreen unless QT_QPA_PLATFORM
// names another platform) and small input helpers: key and mouse events are
// sent one at a time, as a user's would arrive.

#include <Qt>

class QApplication;
class QTableView;
class QWidget;

namespace kvzt::test {

QApplication& qtApp();

// Shows the window, makes it active and lets it settle.
void showActive(QWidget& window);
// A key press and release sent to `target`.
void keyClick(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// A left-button press and release in the middle of `target`.
void mouseClick(QWidget* target);
// Press, release, double click and release in the middle of a cell of `view`.
void doubleClickCell(QTableView* view, int row, int column);

}  // namespace kvzt::test
