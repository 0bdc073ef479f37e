#pragma once
// The title window of the start-up check: a borderless picture with a message
// line under it that names the table being checked. It stays on screen after
// the check; the main window takes its picture and closes it.

#include <QWidget>

#include "schema/start_check.h"

class QFrame;
class QLabel;

namespace kvzt::engine {
class Session;
}
namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::schema::ui {

class TfmProgOpen : public QWidget {
    Q_OBJECT
public:
    explicit TfmProgOpen(QWidget* parent = nullptr);
    ~TfmProgOpen() override;

    // What the check run behind this window did.
    const StartCheckReport& report() const { return report_; }
    void setReport(const StartCheckReport& report) { report_ = report; }
    // Whether the window keeps the hourglass cursor until it closes.
    void holdWaitCursor();

    QFrame* plFund = nullptr;
    QLabel* imTitul = nullptr;
    QLabel* lbMess = nullptr;

protected:
    // Frees the window and gives back the normal mouse cursor.
    void closeEvent(QCloseEvent* event) override;

private:
    void releaseWaitCursor();

    StartCheckReport report_;
    bool holdsWaitCursor_ = false;
};

// The title picture: product name, the host's name and the version.
QPixmap DrawTitlePicture(const QSize& size);

// Shows the title window, runs the check with its pauses and messages, and
// returns the window still open for the caller to close. The data module's
// always-open tables are closed during the check (it takes tables
// exclusively) and opened again after it when they were open. What could not
// be repaired is shown in the program's error box.
TfmProgOpen* RunStartCheckWindow(QWidget* parent, kvzt::data::TdmKVZT& dm);
// The same over a session, with the check's options (tests, tools).
TfmProgOpen* RunStartCheckWindow(QWidget* parent, kvzt::engine::Session& session,
                                 const StartCheckOptions& options = {});

}  // namespace kvzt::schema::ui
