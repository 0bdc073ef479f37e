#pragma once
// The income duplicate review: the rows of SvB_32 (imported statements set
// aside by the import, each tied to one stored statement of SvBase32 by its
// IDDOK), where the user marks each row "з" (replace the stored statement),
// "д" (add as a further statement) or nothing, compares it with the stored
// statement in the two statement views, and runs the inclusion.
//
// Marks are written to SvB_32 at once. "Выполнить" is enabled exactly when
// some row is marked (counted by the engine's SQL); after the inclusion the
// window closes when no marked row is left, otherwise it stays with them.
// Any other close asks "Вы действительно хотите закрыть форму?".
//
// Keys, anywhere in the window: Insert "з", Alt+Insert "д", Delete clears the
// mark, F7 the surname search, Ctrl+Enter "Выполнить", Esc close; typed
// characters search the names (the text shows in the title of the name
// column). The user may reorder the columns; the order is kept with the
// grid's layout.

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

#include "import/import_run.h"

class QAction;
class QFrame;
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
class TfmSvedProc;
class TfmSvedRecI;
class TfmSvedRecS;

class TfmSvedDbl : public QDialog {
    Q_OBJECT
public:
    // Opens the stored-twin view (SvBase32 by IDDOKX) and SvB_32 (by FIOX).
    // Throws EngineError when a table cannot be opened.
    TfmSvedDbl(data::TdmKVZT& dm, quint8 kind, QWidget* parent = nullptr);
    ~TfmSvedDbl() override;

    quint8 kind() const { return kind_; }
    data::TableModel* model() const { return model_; }
    engine::Table* table() const { return tbSvDubl_.get(); }

    // What the window asks of the world; tests replace single members.
    std::function<void(const QString& first, const QString& second)> warn;
    // 1 "Да", 2 "Нет", 4 "Отмена".
    std::function<int(const QString& first, const QString& second, const QString& question, bool withCancel)> ask;
    // Where an engine error met while marking or counting is shown.
    std::function<void(const QString& message)> showError;
    // Runs the inclusion window, shown modally unless replaced.
    std::function<void(TfmSvedProc& window)> runProcWindow;

    QTableView* dbgSvDubl = nullptr;
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
    QAction* miReplAll = nullptr;
    QAction* miAddAll = nullptr;
    QAction* miRepl = nullptr;
    QAction* miAdd = nullptr;
    QAction* miCancAll = nullptr;
    QAction* miCanc = nullptr;
    QAction* miFind = nullptr;
    QAction* miExec = nullptr;
    QAction* miExit = nullptr;
    FindTextDialog* FindDlg = nullptr;
    TfmSvedRecI* fmSvedRecI = nullptr;
    TfmSvedRecS* fmSvedRecS = nullptr;

    void bbnReplAllClick();
    void bbnAddAllClick();
    void bbnReplClick();
    void bbnAddClick();
    void bbnCancAllClick();
    void bbnCancClick();
    void bbnFindClick();
    void OKBtnClick();
    // The grid's double click: clears the current row's mark when it has one.
    void dbgSvDublDblClick();
    // The surname search from the current row; the warning when nothing is found.
    bool findSurname(const QString& text, bool forward);
    // The row shown as current, -1 for none.
    int currentRow() const;
    void setCurrentRow(int row);

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closes without "OK" ask first; the tables go and the layouts are saved.
    void done(int result) override;

private:
    void buildWidgets();
    void buildMenu();
    QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint);
    bool FormKeyDown(const QKeyEvent* event);
    void setAllIncl(const QString& value);
    void setIncl(const QString& value);
    bool updateExecEnabled();
    void focusGrid();
    void refreshKeepingRow();
    void currentChanged();
    const engine::Table* importedRecord();
    const engine::Table* storedRecord();
    bool guarded(const std::function<void()>& operation);
    void closeTables();

    data::TdmKVZT& dm_;
    quint8 kind_;
    std::unique_ptr<engine::Table> tbSved_;    // the stored-twin view
    std::unique_ptr<engine::Table> tbSvDubl_;  // SvB_32
    data::TableModel* model_ = nullptr;
    bool shown_ = false;
    bool closed_ = false;
};

// The review's entry: the window on the data module, modally.
void ReviewSvedDblWindow(data::TdmKVZT& dm, quint8 kind, QWidget* owner = nullptr);

}  // namespace kvzt::duplicates::ui
