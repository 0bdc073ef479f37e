#pragma once
// The program's warning window: up to two lines of text and one button.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kvzt::data {

class TfmAhtung : public QDialog {
    Q_OBJECT
public:
    explicit TfmAhtung(QWidget* parent = nullptr);

    // Each text is kept to its first 70 characters.
    void setMessages(const QString& first, const QString& second);

    QFrame* bevel = nullptr;
    QLabel* imVosclick = nullptr;
    QLabel* lbMes1 = nullptr;
    QLabel* lbMes2 = nullptr;
    QPushButton* OKBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    QString first_;
    QString second_;
};

// Shows the warning modally; true when it was closed with its button.
bool ShowWarning(const QString& first, const QString& second, QWidget* parent = nullptr);

}  // namespace kvzt::data
