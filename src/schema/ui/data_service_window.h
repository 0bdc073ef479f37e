#pragma once
// The data service window: names the table being processed and shows a
// gauge while one reindex, pack or clear command runs over its table group
// (schema/data_service.h). The command starts 300 ms after the window is
// shown, so that it is painted first. No key works in the window and it
// closes only through "! Готово !", which is enabled when the command has
// finished or stopped on an error.

#include <QDialog>
#include <QString>

#include <functional>

#include "schema/data_service.h"

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kvzt::engine {
class Session;
}
namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::schema::ui {

class TfmDataServ : public QDialog {
    Q_OBJECT
public:
    // `dm` (may be null) is the data module whose always-open tables are
    // closed while the window is shown; the command runs on `session`.
    TfmDataServ(quint8 tag, engine::Session& session, data::TdmKVZT* dm, QWidget* parent = nullptr);
    // A window destroyed while shown still gives the data module its tables back.
    ~TfmDataServ() override;

    // How an error is shown: the program's error box unless replaced (tests).
    std::function<void(QWidget* parent, const QString& message)> showError;

    // What the last run did (empty before the run).
    const DataServiceResult& serviceResult() const { return result_; }
    bool finished() const { return finished_; }

    QFrame* plTop = nullptr;
    QLabel* lbTbl = nullptr;
    QProgressBar* ggImp = nullptr;
    QPushButton* bbnClose = nullptr;
    QTimer* tmStart = nullptr;

public slots:
    // Closing only through the enabled "! Готово !".
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Every key is discarded, whichever child has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void FormHide();
    void tmStartTimer();
    void reopenAlwaysOpenTables();

    quint8 commandTag_;
    engine::Session& session_;
    data::TdmKVZT* dm_;
    DataServiceResult result_;
    bool finished_ = false;
    bool tablesClosed_ = false;
};

// The command with the data module's session and tables: shows the window
// modally and returns when it is closed.
void RunDataServWindow(quint8 tag, data::TdmKVZT& dm);

}  // namespace kvzt::schema::ui
