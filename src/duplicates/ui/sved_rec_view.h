#pragma once
// The two read-only statement views beside the income duplicate review:
// TfmSvedRecI shows the current duplicate of SvB_32 (the imported statement),
// TfmSvedRecS the stored statement of SvBase32 that duplicate is tied to.
// Each shows the name, document number and date of the statement, the twelve
// period buttons (down for a "1" in MES), the monthly incomes and the table
// of sums and taxes. The caption "Фамилия И.О.:" turns red for a name that
// fails the name check; the period and monthly-income captions turn maroon
// when no month is marked or no monthly income is given (and there is no
// material benefit either).
//
// A view reads its record through `source` and only while it is visible;
// showing it brings it up to date. "&Закрыть" and Esc hide it.

#include <QWidget>

#include <array>
#include <functional>
#include <map>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kvzt::engine {
class Table;
}

namespace kvzt::duplicates::ui {

class TfmSvedRecI : public QWidget {
    Q_OBJECT
public:
    explicit TfmSvedRecI(QWidget* parent = nullptr);
    ~TfmSvedRecI() override;

    // The cursor standing on the record to show; null when there is none (the
    // values are then shown empty).
    std::function<const engine::Table*()> source;

    // Nothing while hidden; otherwise fills the window from `source`.
    void RefreshView();

    QFrame* plContent = nullptr;
    QLabel* lbFIO = nullptr;
    QLineEdit* edFIO = nullptr;
    QLineEdit* edIDDOK = nullptr;
    QLineEdit* edDSVED = nullptr;
    QLabel* lbPeriod = nullptr;
    std::array<QToolButton*, 12> sbnMonth{};
    QLabel* lbSovDoh = nullptr;
    std::array<QLineEdit*, 12> edSovDoh{};
    // The edits of the sums table, by field name.
    std::map<QString, QLineEdit*> sumEdits;
    QPushButton* OKBtn = nullptr;

protected:
    TfmSvedRecI(QWidget* parent, const QString& name, const QString& caption, QPoint position);
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWidgets();
    void fill(const engine::Table* record);
};

class TfmSvedRecS : public TfmSvedRecI {
    Q_OBJECT
public:
    explicit TfmSvedRecS(QWidget* parent = nullptr);
};

}  // namespace kvzt::duplicates::ui
