#include "data/ui/long_message_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace kvzt::data {

LongMessageBox::LongMessageBox(QWidget* parent, const QString& title, const QString& text) : QDialog(parent) {
    setObjectName(QStringLiteral("LongMessageBox"));
    setWindowTitle(title);

    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    textLabel = new QLabel(text);
    textLabel->setObjectName(QStringLiteral("textLabel"));
    textLabel->setTextFormat(Qt::PlainText);  // paths and messages are never markup
    textLabel->setWordWrap(true);
    textLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);  // the user can copy it for support

    textArea = new QScrollArea(this);
    textArea->setObjectName(QStringLiteral("textArea"));
    textArea->setFrameShape(QFrame::NoFrame);
    textArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textArea->setWidgetResizable(true);
    textArea->setWidget(textLabel);
    textArea->viewport()->setAutoFillBackground(false);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* body = new QHBoxLayout;
    body->setSpacing(12);
    body->addWidget(picture, 0, Qt::AlignTop);
    body->addWidget(textArea, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);

    // The text's own width up to three quarters of the screen, its height up
    // to two thirds; beyond that it scrolls.
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, textLabel->fontMetrics().horizontalAdvance(line));
    const int scrollBar = textArea->verticalScrollBar()->sizeHint().width();
    const int textWidth = std::clamp(widest + 8, 260, room.width() * 3 / 4);
    const int textHeight = std::min(textLabel->heightForWidth(textWidth), room.height() * 2 / 3);
    textArea->setMinimumSize(textWidth + scrollBar, std::max(textHeight, 40));
    adjustSize();
}

void ShowLongError(QWidget* parent, const QString& title, const QString& text) {
    LongMessageBox box(parent ? parent : QApplication::activeWindow(), title, text);
    box.exec();
}

}  // namespace kvzt::data
