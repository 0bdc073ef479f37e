#include "schema/ui/data_service_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <exception>

#include "data/data_module.h"
#include "data/ui/dialog_look.h"
#include "data/ui/form_layout.h"
#include "engine/session.h"
#include "schema/index_catalogue.h"

namespace kvzt::schema::ui {

namespace {

constexpr int kWidth = 450;
constexpr int kHeight = 113;
constexpr int kStartDelayMs = 300;

QFont arial(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void setTextColour(QWidget* widget, const QColor& colour) { data::dialog_look::setTextColour(widget, colour); }

// The gauge: a navy bar on silver with the percentage in bold, black over
// the silver and white over the bar, so that it reads at any position.
class Gauge final : public QProgressBar {
public:
    explicit Gauge(QWidget* parent) : QProgressBar(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect frame = rect().adjusted(0, 0, -1, -1);
        const QRect inner = rect().adjusted(1, 1, -1, -1);
        painter.fillRect(inner, QColor(192, 192, 192));
        const int span = maximum() - minimum();
        const int filled = span > 0 ? int(qint64(inner.width()) * (value() - minimum()) / span) : 0;
        const QRect bar(inner.left(), inner.top(), filled, inner.height());
        painter.fillRect(bar, QColor(0, 0, 128));
        painter.setPen(Qt::gray);
        painter.drawRect(frame);

        painter.setFont(font());
        const QString percent = text();
        painter.setClipRect(inner.adjusted(filled, 0, 0, 0));
        painter.setPen(Qt::black);
        painter.drawText(inner, Qt::AlignCenter, percent);
        painter.setClipRect(bar);
        painter.setPen(Qt::white);
        painter.drawText(inner, Qt::AlignCenter, percent);
    }
};

// The run's progress on the window: the table name in lbTbl, the steps in
// the gauge, and pending window messages processed between them.
class WindowProgress final : public DataServiceProgress {
public:
    explicit WindowProgress(TfmDataServ& window) : window_(window) {}

    void setMaximum(int maximum) override {
        window_.ggImp->setRange(0, maximum);
        window_.ggImp->setValue(0);
    }
    void advance() override {
        window_.ggImp->setValue(window_.ggImp->value() + 1);
        processMessages();
    }
    void setStatusText(const QString& text) override {
        window_.lbTbl->setText(text);
        processMessages();
    }
    void processMessages() override { QCoreApplication::processEvents(); }

private:
    TfmDataServ& window_;
};

}  // namespace

TfmDataServ::TfmDataServ(quint8 tag, engine::Session& session, data::TdmKVZT* dm, QWidget* parent)
    : QDialog(parent), commandTag_(tag), session_(session), dm_(dm) {
    setObjectName(QStringLiteral("fmDataServ"));
    setFixedSize(kWidth, kHeight);
    setFont(arial(13, false));
    setTextColour(this, Qt::black);
    showError = [](QWidget* owner, const QString& message) {
        QMessageBox::critical(owner ? owner : QApplication::activeWindow(), QCoreApplication::applicationName(),
                              message);
    };

    plTop = new QFrame(this);
    plTop->setObjectName(QStringLiteral("plTop"));
    plTop->setFrameShape(QFrame::Panel);
    plTop->setFrameShadow(QFrame::Sunken);
    plTop->setGeometry(0, 0, kWidth, 72);

    lbTbl = new QLabel(plTop);
    lbTbl->setObjectName(QStringLiteral("lbTbl"));
    lbTbl->setFont(arial(11, true));
    setTextColour(lbTbl, Qt::black);
    lbTbl->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lbTbl->setGeometry(8, 4, kWidth - 16, 26);

    ggImp = new Gauge(plTop);
    ggImp->setObjectName(QStringLiteral("ggImp"));
    ggImp->setGeometry(8, 34, kWidth - 16, 28);
    ggImp->setRange(0, 100);
    ggImp->setValue(0);
    ggImp->setTextVisible(true);
    ggImp->setAlignment(Qt::AlignCenter);
    ggImp->setFont(arial(15, true));

    bbnClose = new QPushButton(QStringLiteral("! Готово !"), this);
    bbnClose->setObjectName(QStringLiteral("bbnClose"));
    bbnClose->setFont(arial(12, true));
    setTextColour(bbnClose, QColor(0, 128, 0));
    bbnClose->setGeometry((kWidth - 130) / 2, 78, 130, 28);
    bbnClose->setAutoDefault(false);
    bbnClose->setDefault(false);
    bbnClose->setEnabled(false);
    connect(bbnClose, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });  // modal result "cancel"

    tmStart = new QTimer(this);
    tmStart->setObjectName(QStringLiteral("tmStart"));
    tmStart->setInterval(kStartDelayMs);
    tmStart->setSingleShot(true);
    connect(tmStart, &QTimer::timeout, this, &TfmDataServ::tmStartTimer);

    // Keys are looked at by the window before any child sees them.
    installEventFilter(this);
    bbnClose->installEventFilter(this);
}

TfmDataServ::~TfmDataServ() {
    if (dm_ && tablesClosed_) {
        tablesClosed_ = false;
        try {
            dm_->openAlwaysOpenTables();
        } catch (...) {
            // Nothing can be shown from here; the next command reports it.
        }
    }
}

void TfmDataServ::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TfmDataServ::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) {
        FormHide();
    }
    QDialog::hideEvent(event);
}

void TfmDataServ::FormShow() {
    // Every table of the group is taken exclusively: the program's own
    // always-open cursors must let go of theirs.
    if (dm_ && !tablesClosed_) {
        tablesClosed_ = dm_->connected();
        dm_->closeAlwaysOpenTables();
    }
    BuildIndexList();
    setProperty("tag", int(commandTag_));  // each command keeps its own window position
    data::LoadFormLayout(this);
    setWindowTitle(DataServCaption(commandTag_));
    if (!finished_) {
        tmStart->start();
    }
}

void TfmDataServ::FormHide() {
    tmStart->stop();
    FreeIndexList();
    reopenAlwaysOpenTables();
    try {
        data::SaveFormLayout(this);
    } catch (const std::exception& e) {
        showError(this, QString::fromUtf8(e.what()));
    }
}

void TfmDataServ::reopenAlwaysOpenTables() {
    if (!dm_ || !tablesClosed_) {
        return;
    }
    tablesClosed_ = false;
    try {
        dm_->openAlwaysOpenTables();
    } catch (const std::exception& e) {
        showError(this, QString::fromUtf8(e.what()));
    }
}

void TfmDataServ::tmStartTimer() {
    tmStart->stop();
    WindowProgress progress(*this);
    result_ = RunDataService(session_, commandTag_, progress);
    finished_ = true;
    if (result_.ok()) {
        ggImp->setValue(ggImp->maximum());
        bbnClose->setEnabled(true);
        return;
    }
    // The command stopped at a table: say where, show the engine's error,
    // and let the user close the window. The tables before it stay done.
    lbTbl->setText(QStringLiteral("Ошибка: остановлено на таблице %1")
                       .arg(QString::fromStdString(result_.stoppedAt->name)));
    setTextColour(lbTbl, QColor(128, 0, 0));
    bbnClose->setEnabled(true);
    showError(this, result_.stopText() + QStringLiteral("\n\n") + result_.errorText());
}

void TfmDataServ::reject() {
    if (bbnClose->isEnabled()) {
        QDialog::reject();
    }
}

void TfmDataServ::closeEvent(QCloseEvent* event) {
    if (bbnClose->isEnabled()) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

bool TfmDataServ::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return true;
        default:
            return QDialog::eventFilter(watched, event);
    }
}

void RunDataServWindow(quint8 tag, data::TdmKVZT& dm) {
    TfmDataServ window(tag, dm.session(), &dm, nullptr);
    window.exec();
}

}  // namespace kvzt::schema::ui
