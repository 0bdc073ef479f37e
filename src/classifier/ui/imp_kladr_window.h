#pragma once
// The region selection window of the address classifier: the regions of
// K1REG with their installed ("*****") and marked ("!!!!!") state, where the
// user marks the regions to import (import mode) or to delete (deletion
// mode) and starts the run. The marks are YES2INS of K1REG itself, posted at
// once, so the run reads them from the table. Every opening starts with no
// region marked; "Выполнить" is enabled exactly when some region is marked.
//
// Keys, anywhere in the window: Insert or Space toggles the selected region
// and moves to the next one; numeric-keypad "+" marks every region,
// numeric-keypad "-" unmarks every region; typed characters search the
// region names (the text shows in the title of the name column); Esc closes.

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QFileDialog;
class QPushButton;
class QTableView;

namespace kvzt::engine {
class Table;
}
namespace kvzt::data {
class TdmKVZT;
class TableModel;
}  // namespace kvzt::data

namespace kvzt::classifier::ui {

// The window's tag: part of the key of its saved layouts.
inline constexpr int kImpKladrTag = 222;

class TfmImpKladr : public QDialog {
    Q_OBJECT
public:
    // Opens K1REG (tag NAMEX) on VX_S and points the file dialog at the
    // directory of VX_S. Throws EngineError when the table cannot be opened.
    TfmImpKladr(data::TdmKVZT& dm, bool importMode, QWidget* parent = nullptr);
    ~TfmImpKladr() override;

    bool importMode() const { return importMode_; }
    data::TableModel* model() const { return model_; }
    engine::Table* table() const { return tbReg_.get(); }

    // What the window asks of the world; tests replace single members.
    // The file dialog shown; the chosen file, or empty text when cancelled.
    std::function<QString(QFileDialog& dialog)> chooseFile;
    std::function<void(const QString& first, const QString& second)> warn;
    // 1 "Да", 2 "Нет", 4 "Отмена".
    std::function<int(const QString& first, const QString& second, const QString& question, bool withCancel)> ask;
    // The classifier run for a directory (blank: deletion) and the streets flag.
    std::function<void(const QString& directory, bool streets)> runKladrExec;
    // Where an engine error met while marking is shown.
    std::function<void(const QString& message)> showError;

    QTableView* dbgImpKladr = nullptr;
    QPushButton* bbnEdit = nullptr;
    QPushButton* bbnEdNot = nullptr;
    QPushButton* bbnSelAll = nullptr;
    QPushButton* bbnUnSelAll = nullptr;
    QPushButton* bbnImp = nullptr;
    QPushButton* bbnExit = nullptr;
    QFileDialog* dlgOpnKladr = nullptr;

    // Toggles the selected region's mark (also the grid's double click and bbnEdNot).
    void bbnEditClick();
    void bbnSelAllClick();
    void bbnUnSelAllClick();
    void bbnImpClick();
    void bbnExitClick();

protected:
    void showEvent(QShowEvent* event) override;
    // The window's key preview (FormKeyDown and FormKeyPress), installed on every child.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // FormClose: the table closed, the type-ahead ended, the layouts saved.
    void done(int result) override;

private:
    void buildWidgets();
    void FormShow();
    bool FormKeyDown(const QKeyEvent* event);
    bool toggleCurrent();
    void setAllMarks(bool marked);
    void updateExecEnabled();
    void showMarkButton();
    void moveToNextRow();
    void focusGrid();
    void refreshKeepingRow();
    void runImport();
    void runDeletion();
    bool guarded(const std::function<void()>& operation);

    data::TdmKVZT& dm_;
    bool importMode_;
    std::unique_ptr<engine::Table> tbReg_;
    data::TableModel* model_ = nullptr;
    bool shown_ = false;
    bool closed_ = false;
};

// The classifier command's entry: the window in its mode, modally.
void RunImpKladrWindow(data::TdmKVZT& dm, bool importMode, QWidget* owner = nullptr);

}  // namespace kvzt::classifier::ui
