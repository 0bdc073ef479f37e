#pragma once
// The surname search of the income review: a small find-text window with
// the text, the direction ("down" preset) and "Найти далее". It stays open
// beside the review for further searches; each press hands the text and the
// direction to `findNext`.

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kvzt::duplicates::ui {

class SvedFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit SvedFindDialog(QWidget* parent = nullptr);

    std::function<void(const QString& text, bool forward)> findNext;

    QLineEdit* edText = nullptr;
    QRadioButton* rbUp = nullptr;
    QRadioButton* rbDown = nullptr;
    QPushButton* bnFindNext = nullptr;
    QPushButton* bnCancel = nullptr;
};

}  // namespace kvzt::duplicates::ui
