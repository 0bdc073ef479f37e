#include "schema/ui/start_check_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "data/data_module.h"
#include "data/path_helpers.h"
#include "data/ui/long_message_box.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "schema/start_failure_lines.h"

namespace kvzt::schema::ui {

namespace {

constexpr int kWidth = 410;
constexpr int kHeight = 319;
constexpr int kBevel = 3;
constexpr int kMessageHeight = 24;

// Shows the check's messages on the window and keeps it painted.
class WindowObserver final : public StartCheckObserver {
public:
    explicit WindowObserver(TfmProgOpen& window) : window_(window) {}
    void showMessage(const QString& text) override { window_.lbMess->setText(text); }
    void processMessages() override { QCoreApplication::processEvents(); }
    void pause(int ms) override { data::Delay(ms); }

private:
    TfmProgOpen& window_;
};

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

void showFailures(QWidget* parent, engine::Session& session, const StartCheckReport& report) {
    if (!report.rebuiltIndexes.isEmpty()) {
        QMessageBox::warning(parent ? parent : QApplication::activeWindow(), QCoreApplication::applicationName(),
                             QStringLiteral("Повреждённые индексы построены заново:\n") +
                                 report.rebuiltIndexes.join(QLatin1Char('\n')));
    }
    if (report.ok()) {
        return;
    }
    const QStringList lines = StartFailureLines(report, [&session](const QString& alias) -> std::optional<QString> {
        try {
            return QString::fromStdString(session.aliasPath(alias.toStdString()));
        } catch (const engine::EngineError&) {
            return std::nullopt;  // an unknown alias: its own failure lines say so
        }
    });
    data::ShowLongError(parent, QCoreApplication::applicationName(), lines.join(QLatin1Char('\n')));
}

}  // namespace

TfmProgOpen::TfmProgOpen(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("fmProgOpen"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kWidth, kHeight);

    plFund = new QFrame(this);
    plFund->setObjectName(QStringLiteral("plFund"));
    plFund->setFrameShape(QFrame::Panel);
    plFund->setFrameShadow(QFrame::Sunken);
    plFund->setLineWidth(kBevel);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(plFund);

    imTitul = new QLabel(plFund);
    imTitul->setObjectName(QStringLiteral("imTitul"));
    imTitul->setScaledContents(true);
    imTitul->setPixmap(DrawTitlePicture(QSize(kWidth - 2 * kBevel, kHeight - 2 * kBevel - kMessageHeight)));

    lbMess = new QLabel(plFund);
    lbMess->setObjectName(QStringLiteral("lbMess"));
    lbMess->setFixedHeight(kMessageHeight);
    lbMess->setAlignment(Qt::AlignCenter);
    lbMess->setAutoFillBackground(true);
    QPalette palette = lbMess->palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 128));  // teal
    palette.setColor(QPalette::WindowText, Qt::white);
    lbMess->setPalette(palette);

    auto* inner = new QVBoxLayout(plFund);
    inner->setContentsMargins(kBevel, kBevel, kBevel, kBevel);
    inner->setSpacing(0);
    inner->addWidget(imTitul, 1);
    inner->addWidget(lbMess);
}

TfmProgOpen::~TfmProgOpen() { releaseWaitCursor(); }

void TfmProgOpen::holdWaitCursor() {
    if (!holdsWaitCursor_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        holdsWaitCursor_ = true;
    }
}

void TfmProgOpen::releaseWaitCursor() {
    if (holdsWaitCursor_) {
        QApplication::restoreOverrideCursor();
        holdsWaitCursor_ = false;
    }
}

void TfmProgOpen::closeEvent(QCloseEvent* event) {
    releaseWaitCursor();
    QWidget::closeEvent(event);
}

QPixmap DrawTitlePicture(const QSize& size) {
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(0, 64, 80));
    sky.setColorAt(1, QColor(0, 140, 130));
    painter.fillRect(picture.rect(), sky);

    // A few faint table rows behind the lettering.
    painter.setPen(QPen(QColor(255, 255, 255, 28), 1));
    for (int y = size.height() / 8; y < size.height(); y += size.height() / 8) {
        painter.drawLine(size.width() / 12, y, size.width() - size.width() / 12, y);
    }

    const int h = size.height();
    QFont font = painter.font();
    font.setBold(true);

    font.setPixelSize(h / 5);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 0, 90));
    const QRect nameBox(0, h / 6, size.width(), h / 3);
    painter.drawText(nameBox.translated(3, 3), Qt::AlignCenter, QStringLiteral("Квазитор"));
    painter.setPen(Qt::white);
    painter.drawText(nameBox, Qt::AlignCenter, QStringLiteral("Квазитор"));

    font.setPixelSize(h / 11);
    painter.setFont(font);
    painter.setPen(QColor(255, 230, 150));
    painter.drawText(QRect(0, h / 2, size.width(), h / 6), Qt::AlignCenter, QStringLiteral("\"Таксант\""));

    font.setBold(false);
    font.setPixelSize(h / 16);
    painter.setFont(font);
    painter.setPen(QColor(220, 240, 240));
    painter.drawText(QRect(0, h * 3 / 4, size.width() - h / 16, h / 6), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("3.2w"));
    painter.end();
    return picture;
}

TfmProgOpen* RunStartCheckWindow(QWidget* parent, engine::Session& session, const StartCheckOptions& options) {
    auto* window = new TfmProgOpen(parent);
    window->holdWaitCursor();
    window->show();
    centreOnScreen(*window);
    QCoreApplication::processEvents();

    WindowObserver observer(*window);
    window->setReport(StartCheck(session, options, &observer));
    return window;
}

TfmProgOpen* RunStartCheckWindow(QWidget* parent, data::TdmKVZT& dm) {
    // The check creates indexes and fills reference books, which needs the
    // tables free of the module's own cursors.
    const bool wasConnected = dm.connected();
    if (wasConnected) {
        dm.closeAlwaysOpenTables();
    }
    TfmProgOpen* window = RunStartCheckWindow(parent, dm.session());
    showFailures(parent, dm.session(), window->report());
    if (wasConnected) {
        try {
            dm.openAlwaysOpenTables();
        } catch (const engine::EngineError& error) {
            QMessageBox::critical(parent ? parent : QApplication::activeWindow(),
                                  QCoreApplication::applicationName(), QString::fromUtf8(error.what()));
        }
    }
    return window;
}

}  // namespace kvzt::schema::ui
