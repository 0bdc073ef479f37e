#pragma once
// The two person views beside the taxpayer duplicate review: the imported
// taxpayer (the review's current Spis_D32 row) and the stored taxpayer of
// SPISOK32 it matches (by NOM). Read-only windows, shown without being modal;
// while shown they follow the review grid through RefreshView. The caption
// of every field whose check fails is drawn red.
//
// Both are created once, on the review's first use (person_views.h), and
// only hidden by "Закрыть" or by the review; the review tells them where to
// read with setSource.

#include <QDialog>

#include "duplicates/ui/person_view_content.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kvzt::duplicates::ui {

class TfmIFLData : public QDialog {
    Q_OBJECT
public:
    explicit TfmIFLData(QWidget* parent = nullptr);
    ~TfmIFLData() override;

    // The data module and the review's cursor on Spis_D32 (null: none, the
    // view then keeps what it shows).
    void setSource(data::TdmKVZT* dm, engine::Table* duplicates);

    // Nothing while hidden; otherwise reads the current record and fills the window.
    void RefreshView();

    QGroupBox* gbFam = nullptr;
    QGroupBox* gbName = nullptr;
    QGroupBox* gbOtc = nullptr;
    QGroupBox* gbUdLich = nullptr;
    QGroupBox* gbAdres = nullptr;
    QLabel* lbINN = nullptr;
    QLabel* lbGNI = nullptr;
    QLabel* lbBornDate = nullptr;
    QLabel* lbTabNom = nullptr;
    QLabel* lbJobStatus = nullptr;
    QLabel* lbStatus = nullptr;
    QLabel* lbCountry1 = nullptr;
    QLabel* lbCountry2 = nullptr;
    QLineEdit* edFam = nullptr;
    QLineEdit* edName = nullptr;
    QLineEdit* edOtc = nullptr;
    QLineEdit* edINN = nullptr;
    QLineEdit* edGNI = nullptr;
    QLineEdit* edBornDate = nullptr;
    QLineEdit* edTabNom = nullptr;
    QLineEdit* edUdLich = nullptr;
    QLineEdit* edJobStatus = nullptr;
    QLineEdit* edStatus = nullptr;
    QLineEdit* edCountry = nullptr;
    QPlainTextEdit* memAdres = nullptr;
    QPushButton* OKBtn = nullptr;

protected:
    // The record to show; false when there is none (the window is left as it is).
    virtual bool readSource(PersonSource& source);
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    data::TdmKVZT* dm_ = nullptr;
    engine::Table* duplicates_ = nullptr;

private:
    void fill(const PersonViewContent& content);
};

class TfmSFLData : public TfmIFLData {
    Q_OBJECT
public:
    explicit TfmSFLData(QWidget* parent = nullptr);

protected:
    // The SPISOK32 record whose NOM is the current duplicate's.
    bool readSource(PersonSource& source) override;
    // Opens the data module's list table on tag NOMX before refreshing.
    void showEvent(QShowEvent* event) override;
    // Closes the list table, giving it back its tag FIOBORN.
    void hideEvent(QHideEvent* event) override;
};

}  // namespace kvzt::duplicates::ui
