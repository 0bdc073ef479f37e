#include "data/ui/dialog_look.h"

#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>

#include <algorithm>

namespace kvzt::data::dialog_look {

void setUpWindow(QDialog* dialog, const QString& caption, int width, int height) {
    dialog->setWindowTitle(caption);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(width, height);
    dialog->setModal(true);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
}

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

int extraWidthFor(std::initializer_list<const QLabel*> lines, int baseWidth) {
    int extra = 0;
    for (const QLabel* line : lines) {
        if (line->text().isEmpty()) continue;
        const QMargins margins = line->contentsMargins();
        // A few pixels of slack: a label elides nothing, it simply clips.
        const int needed = line->fontMetrics().horizontalAdvance(line->text()) + margins.left() + margins.right() + 6;
        extra = std::max(extra, needed - baseWidth);
    }
    return extra;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, colour);
        palette.setColor(group, QPalette::ButtonText, colour);
    }
    // Grey with a light shadow, as a disabled caption is drawn on silver.
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    widget->setPalette(palette);
}

QFrame* makeBevel(QWidget* parent, int left, int top, int width, int height) {
    auto* bevel = new QFrame(parent);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(left, top, width, height);
    return bevel;
}

QLabel* makeLine(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);  // message texts are never markup
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setGeometry(left, top, width, height);
    return label;
}

}  // namespace kvzt::data::dialog_look
