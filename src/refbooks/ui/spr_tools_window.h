#pragma once
// The reference-book tuning window: one of the books of identity documents,
// income kinds or deduction kinds in a grid, with the usage flag of every
// entry, and buttons and keys that switch the flag for the selected entry or
// for the whole book. Every change is posted at once; there is no separate
// save. The window's and the grid's tags carry the mode, so each book keeps
// its own saved window position and grid layout.
//
// Keys, anywhere in the window: Insert or Space toggles the selected entry
// and moves to the next one; numeric-keypad "+" switches every entry on,
// numeric-keypad "-" every entry off; Esc closes.

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QPushButton;
class QTableView;

namespace kvzt::engine {
class Session;
}
namespace kvzt::data {
class TableComponent;
class TableModel;
}  // namespace kvzt::data

namespace kvzt::refbooks {
struct UsageBookInfo;
}

namespace kvzt::refbooks::ui {

class TfmSprTools : public QDialog {
    Q_OBJECT
public:
    // Opens the mode's book (0 identity documents, 1 income kinds, 2 deduction
    // kinds) on the session's VX_S and loads the saved layouts. Throws
    // EngineError for an unknown mode or a book that cannot be opened.
    TfmSprTools(engine::Session& session, quint8 mode, QWidget* parent = nullptr);
    ~TfmSprTools() override;

    quint8 mode() const { return mode_; }
    const UsageBookInfo& book() const { return *book_; }
    // The table component of the mode (tbDoc, tbDoh or tbVic).
    data::TableComponent& currentTable() { return *tbCurrent_; }
    data::TableModel* model() const { return model_; }

    // Where an engine error met while posting is shown; by default the
    // program's error box (a critical message with the application's title).
    void setErrorHandler(std::function<void(const QString& message)> handler) { showError_ = std::move(handler); }

    QTableView* dbgSpr = nullptr;
    QPushButton* bbnEdit = nullptr;
    QPushButton* bbnEdNot = nullptr;
    QPushButton* bbnSelAll = nullptr;
    QPushButton* bbnUnSelAll = nullptr;
    QPushButton* bbnExit = nullptr;

    // Toggles the selected entry (also bbnEdNot's click and the grid's double click).
    void bbnEditClick();
    void bbnSelAllClick();
    void bbnUnSelAllClick();
    void bbnExitClick();

protected:
    // The window's key preview (FormKeyDown), installed on every child.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Saves the grid's and the window's layouts as the window closes.
    void done(int result) override;

private:
    void buildWidgets();
    // True when the key was one of the marking keys and was handled.
    bool FormKeyDown(const QKeyEvent* event);
    // Toggles the selected entry; false when there is none or the post failed.
    bool toggleCurrent();
    void setAll(bool used);
    // Shows "Включить" or "Исключить", whichever the selected entry's flag calls for.
    void showFlagButton();
    void moveToNextRow();
    void focusGrid();
    // Runs an operation that may post; an engine error goes to the error box.
    bool guarded(const std::function<void()>& operation);

    quint8 mode_;
    const UsageBookInfo* book_;
    std::unique_ptr<data::TableComponent> tbCurrent_;
    data::TableModel* model_ = nullptr;
    std::function<void(const QString&)> showError_;
    bool layoutsSaved_ = false;
};

// The entry of the tuning command: creates the window for `mode` over the
// session, shows it modally and frees it.
void RunSprTools(engine::Session& session, quint8 mode, QWidget* owner = nullptr);

}  // namespace kvzt::refbooks::ui
