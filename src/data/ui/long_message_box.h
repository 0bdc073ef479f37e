#pragma once
// An error box for texts of any length: the text wraps and, when it is
// taller than two thirds of the screen, scrolls, so the box and its button
// always stay on the screen (a 1024×768 one too).

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QScrollArea;

namespace kvzt::data {

class LongMessageBox : public QDialog {
    Q_OBJECT
public:
    LongMessageBox(QWidget* parent, const QString& title, const QString& text);

    QLabel* textLabel = nullptr;
    QScrollArea* textArea = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

// Shows `text` modally in a LongMessageBox with the error picture.
void ShowLongError(QWidget* parent, const QString& title, const QString& text);

}  // namespace kvzt::data
