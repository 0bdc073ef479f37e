#pragma once
// What the program's own warning and question windows share: the silver
// background, the fixed dialog border, centring on the screen, the framed
// bevel and the 70-character text buffer.

#include <QString>

#include <initializer_list>

class QColor;
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
// How many pixels wider than `baseWidth` the widest of the lines' texts
// needs its label to be (0 when all fit), so a dialog can grow to its
// lines instead of cutting them.
int extraWidthFor(std::initializer_list<const QLabel*> lines, int baseWidth);
// Sets the text colour of a label or button for its enabled states only:
// while disabled it is drawn grey, so a disabled button looks disabled.
void setTextColour(QWidget* widget, const QColor& colour);
// A plain-text label with centred text at the given bounds.
QLabel* makeLine(QWidget* parent, const char* name, int left, int top, int width, int height);

}  // namespace kvzt::data::dialog_look
