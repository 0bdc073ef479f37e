#pragma once
// The find-text dialog of the review windows: a text, the direction (up or
// down, down preset) and "Найти далее". It stays open beside the window for
// further searches; each press of "Найти далее" (or Enter) asks the owner to
// search once.

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kvzt::duplicates::ui {

class FindTextDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindTextDialog(QWidget* parent = nullptr);

    // Called with the text and true for the direction "down".
    std::function<void(const QString& text, bool forward)> findNext;

    QString findText() const;
    bool forward() const;

    QLineEdit* edText = nullptr;
    QRadioButton* rbUp = nullptr;
    QRadioButton* rbDown = nullptr;
    QPushButton* bnFindNext = nullptr;
    QPushButton* bnCancel = nullptr;
};

}  // namespace kvzt::duplicates::ui
