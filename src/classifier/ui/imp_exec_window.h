#pragma once
// The classifier run window: a status line and a gauge while the address
// classifier is loaded for the marked regions, or their records deleted
// (classifier/kladr_process.h). The run starts 500 ms after the window is
// shown and goes to its end; there is no stop. "Закрыть" is enabled when the
// run has finished. An error ends the run and is shown in the program's
// error box; "Закрыть" stays disabled, the window's close box closes it.

#include <QDialog>
#include <QString>

#include <functional>

#include "classifier/kladr_process.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::classifier::ui {

class TfmImpExec : public QDialog, public KladrProgress {
    Q_OBJECT
public:
    // `kladrDir` blank: the deletion mode.
    TfmImpExec(data::TdmKVZT& dm, KladrRequest request, QWidget* parent = nullptr);

    // How an error is shown: the program's error box unless replaced (tests).
    std::function<void(QWidget* parent, const QString& message)> showError;

    const KladrRequest& request() const { return request_; }
    const KladrResult& kladrResult() const { return result_; }
    bool running() const { return running_; }
    bool finished() const { return finished_; }
    bool failed() const { return failed_; }

    QGroupBox* gbFileName = nullptr;
    QLabel* stFileName = nullptr;
    QProgressBar* ggImp = nullptr;
    QPushButton* bbnClose = nullptr;
    QTimer* tmStart = nullptr;

    // The run's progress on the window.
    void setMaximum(int maximum) override;
    void advance(int steps = 1) override;
    void setPosition(int position) override;
    void setStatusText(const QString& text) override;
    void processMessages() override;

public slots:
    // Esc closes only a window whose run is over.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void tmStartTimer();

    data::TdmKVZT& dm_;
    KladrRequest request_;
    KladrResult result_;
    bool running_ = false;
    bool finished_ = false;
    bool failed_ = false;
};

// The entry of the classifier run: the directory as the run keeps it
// (KladrDirFrom; blank for the deletion mode), then the window modally.
// `runWindow`, when given, is called with the shown window instead of
// exec() (tests drive it).
void RunKladrExec(data::TdmKVZT& dm, const QString& directory, bool streets, QWidget* owner = nullptr,
                  const std::function<void(TfmImpExec& window)>& runWindow = {});

}  // namespace kvzt::classifier::ui
