#pragma once
// The program's question window: up to three lines and the buttons "Да",
// "Нет" and, when asked for, "Отмена".

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kvzt::data {

// Results of the question window.
inline constexpr int kAnswerYes = 1;
inline constexpr int kAnswerNo = 2;
inline constexpr int kAnswerCancel = 4;

class TfmQueston : public QDialog {
    Q_OBJECT
public:
    explicit TfmQueston(QWidget* parent = nullptr);

    // Each text is kept to its first 70 characters.
    void setMessages(const QString& first, const QString& second, const QString& question, bool withCancel);

    QFrame* bevel = nullptr;
    QLabel* imQestion = nullptr;
    QLabel* lbMes1 = nullptr;
    QLabel* lbMes2 = nullptr;
    QLabel* lbQuest = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* bbnCanc = nullptr;

public slots:
    // Escape and the close box: "Отмена" while it is shown, else "Нет".
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    QString first_;
    QString second_;
    QString question_;
    bool withCancel_ = false;
};

// Shows the question modally and returns the result of the button that
// closed it: 1 "Да", 2 "Нет", 4 "Отмена".
int Ask(const QString& first, const QString& second, const QString& question, bool withCancel,
        QWidget* parent = nullptr);

}  // namespace kvzt::data
