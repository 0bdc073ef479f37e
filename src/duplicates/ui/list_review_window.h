#pragma once
// The taxpayer duplicate review: the rows of Spis_D32 (tag FIOX, by name)
// that the import set aside as probable duplicates of stored taxpayers. The
// user marks each one "з" (replace the stored twin), "д" (add as new) or
// nothing, compares it with the stored taxpayer in the person views, and
// "Выполнить" runs the inclusion (proc_ind_window.h). Every mark is written
// to Spis_D32 at once, so marks outlive the window.
//
// Keys, anywhere in the window: Insert "Заменить", Alt+Insert "Добавить",
// Delete "Отменить вкл.", F7 the surname search, Ctrl+Enter "Выполнить",
// Esc "Закрыть"; typed characters search the surnames (the text shows in
// the title of the name column). A close other than after "Выполнить"
// asks first.

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QGroupBox;
class QMenu;
class QPushButton;
class QTableView;

namespace kvzt::engine {
class Table;
}
namespace kvzt::data {
class TdmKVZT;
class TableModel;
}  // namespace kvzt::data

namespace kvzt::duplicates::ui {

class FindTextDialog;
class TfmProcInd;

class TfmSpisDbl : public QDialog {
    Q_OBJECT
public:
    // Opens Spis_D32 (alias VX_S, tag FIOX). Throws EngineError when it cannot.
    explicit TfmSpisDbl(data::TdmKVZT& dm, QWidget* parent = nullptr);
    ~TfmSpisDbl() override;

    data::TableModel* model() const { return model_; }
    engine::Table* table() const { return tbDubl_.get(); }

    // What the window asks of the world; tests replace single members.
    std::function<void(const QString& first, const QString& second)> warn;
    // 1 "Да", 2 "Нет", 4 "Отмена".
    std::function<int(const QString& first, const QString& second, const QString& question, bool withCancel)> ask;
    std::function<void(const QString& message)> showError;
    // Given the process window before it is shown (tests drive it).
    std::function<void(TfmProcInd& window)> prepareProcInd;

    QTableView* dbgDubl = nullptr;
    QGroupBox* gbOper = nullptr;
    QPushButton* bbnReplAll = nullptr;
    QPushButton* bbnAddAll = nullptr;
    QPushButton* bbnRepl = nullptr;
    QPushButton* bbnAdd = nullptr;
    QPushButton* bbnCancAll = nullptr;
    QPushButton* bbnCanc = nullptr;
    QPushButton* bbnFind = nullptr;
    QPushButton* bnImp = nullptr;
    QPushButton* bnNp = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* bbnCancel = nullptr;
    QMenu* pmFL = nullptr;
    FindTextDialog* FindDlg = nullptr;

    // The commands (buttons, pop-up items and keys run these).
    void SetAllIncl(const QString& value);
    void SetIncl(const QString& value);
    bool UpdateExecEnabled();
    void replaceAll();
    void addAll();
    void cancelAll();
    void replaceOne();
    void addOne();
    void cancelOne();
    void openFind();
    // One search of the find dialog: FAM from the row after (or before) the current one.
    void findSurname(const QString& text, bool forward);
    void execute();
    // Shows the person view of the button's tag (1 imported, else stored).
    void showPersonView(int tag);

    // How many times the count query ran (tests check it is not run needlessly).
    int countQueries() const { return countQueries_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Every close but one with the result "OK" asks first; then the table
    // is closed, the views hidden, the search ended and the layouts saved.
    void done(int result) override;

private:
    void buildWidgets();
    void buildMenu();
    bool FormKeyDown(const QKeyEvent* event);
    void currentRowChanged(int row);
    void dblClick();
    void focusGrid();
    void selectRecord(std::uint32_t recno, int fallbackRow);
    void keepColumnOrder(int oldVisual, int newVisual);
    bool guarded(const std::function<void()>& operation);
    void closeTable();

    data::TdmKVZT& dm_;
    std::unique_ptr<engine::Table> tbDubl_;
    data::TableModel* model_ = nullptr;
    bool shown_ = false;
    bool closed_ = false;
    bool movingBack_ = false;
    int countQueries_ = 0;
};

// The review command's entry: the window, modally, over the data module.
void ReviewSpisDblWindow(data::TdmKVZT& dm, QWidget* owner = nullptr);

}  // namespace kvzt::duplicates::ui
