#pragma once
// What the program's own warning and question windows share: the silver
// background, the fixed dialog border, centring on the screen, the framed
// bevel and the 70-character text buffer.

#include <QString>

class QDialog;
class QFrame;
class QLabel;
class QWidget;

namespace kvzt::data::dialog_look {

inline constexpr qsizetype kTextLength = 70;

// Fixed client size, silver background, a border without resizing.
void setUpWindow(QDialog* dialog, const QString& caption, int width, int height);
// Moves the window to the middle of the screen it will appear on.
void centreOnScreen(QWidget* window);
// A raised frame drawn as a bevel.
QFrame* makeBevel(QWidget* parent, int left, int top, int width, int height);
// A plain-text label with centred text at the given bounds.
QLabel* makeLine(QWidget* parent, const char* name, int left, int top, int width, int height);

}  // namespace kvzt::data::dialog_look
