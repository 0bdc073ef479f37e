#include "duplicates/ui/sved_rec_view.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/ui/form_layout.h"
#include "duplicates/ui/sved_texts.h"
#include "engine/table.h"
#include "import/person_checks.h"

namespace kvzt::duplicates::ui {

namespace {

constexpr int kWidth = 562;
constexpr int kHeight = 297;
const QColor kGrey(128, 128, 128);
const QColor kMaroon(128, 0, 0);

const char* const kMonthLabels[12] = {"Янв.", "Фев.", "Март", "Апр.", "Май",  "Июнь",
                                      "Июль", "Авг.", "Сен.", "Окт.", "Ноя.", "Дек."};

// The rows of the sums table: caption and the six fields of its columns.
struct SumRow {
    const char* caption;
    const char* fields[6];
};
const SumRow kSumRows[3] = {
    {"6.1.СГД", {"SGDSUM", "OBLAGSUM", "ISCHDOHSUM", "UDSUM", "ISDOHSUMR", "UDSUMR"}},
    {"6.2.Коэф. и надб.", {"KOEFSUM", "KOEFOBL", "ISCHKOESUM", "KOEFUD", "ISKOESUMR", "KOEFUDR"}},
    {"6.3.Мат. выгода ", {"TOTSUMMAT", "OBLSUMMAT", "ISCHSUMMAT", "UDSUMMAT", "ISSUMMATR", "UDSUMMATR"}},
};

QFont arial(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A colour for every state: the content panel is disabled, and its captions
// must still show black, red, white or maroon.
void setTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, role, colour);
    }
    widget->setPalette(p);
}

QLineEdit* makeEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setMinimumWidth(20);
    setTextColour(edit, QPalette::Text, Qt::black);
    return edit;
}

QLabel* makeLabel(QWidget* parent, const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(align);
    setTextColour(label, QPalette::WindowText, Qt::black);
    return label;
}

// A header cell of the sums table.
QLabel* makeHeader(QWidget* parent, const QString& text) {
    QLabel* label = makeLabel(parent, text, Qt::AlignCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Raised);
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, QColor(192, 192, 192));
    label->setPalette(p);
    return label;
}

// A grey group with its caption in white at the top.
QFrame* makeGroup(QWidget* parent, const QString& name, const QString& caption, QLabel*& captionLabel) {
    auto* group = new QFrame(parent);
    group->setObjectName(name);
    group->setFrameShape(QFrame::Box);
    group->setAutoFillBackground(true);
    QPalette p = group->palette();
    p.setColor(QPalette::Window, kGrey);
    group->setPalette(p);
    captionLabel = makeLabel(group, caption);
    captionLabel->setFont(arial(10, true));
    setTextColour(captionLabel, QPalette::WindowText, Qt::white);
    return group;
}

}  // namespace

TfmSvedRecI::TfmSvedRecI(QWidget* parent)
    : TfmSvedRecI(parent, QStringLiteral("fmSvedRecI"), QStringLiteral("Импортируемая запись сведений о доходах"),
                  QPoint(173, 123)) {}

TfmSvedRecI::TfmSvedRecI(QWidget* parent, const QString& name, const QString& caption, QPoint position)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(name);
    setWindowTitle(caption);
    setFont(arial(10));
    setGeometry(position.x(), position.y(), kWidth, kHeight);
    buildWidgets();
    data::LoadFormLayout(this);
}

TfmSvedRecI::~TfmSvedRecI() {
    try {
        data::SaveFormLayout(this);
    } catch (...) {
        // A settings file that cannot be written loses the view's place only.
    }
}

void TfmSvedRecI::buildWidgets() {
    plContent = new QFrame(this);
    plContent->setObjectName(QStringLiteral("plContent"));
    // Nothing in the content reacts to the user.
    plContent->setEnabled(false);

    // Head: name, document number, date.
    lbFIO = makeLabel(plContent, QStringLiteral("Фамилия И.О.:"));
    edFIO = makeEdit(plContent, QStringLiteral("edFIO"));
    edIDDOK = makeEdit(plContent, QStringLiteral("edIDDOK"));
    edDSVED = makeEdit(plContent, QStringLiteral("edDSVED"));
    edIDDOK->setFixedWidth(70);
    edDSVED->setFixedWidth(80);
    auto* head = new QHBoxLayout;
    head->addWidget(lbFIO);
    head->addWidget(edFIO, 1);
    head->addWidget(makeLabel(plContent, QStringLiteral("№ справки о доходах:")));
    head->addWidget(edIDDOK);
    head->addWidget(makeLabel(plContent, QStringLiteral("Дата сведений:")));
    head->addWidget(edDSVED);

    // Period buttons.
    QFrame* gbPeriod = makeGroup(plContent, QStringLiteral("gbPeriod"), QStringLiteral("Налогооблагаемый период"), lbPeriod);
    auto* periodLayout = new QVBoxLayout(gbPeriod);
    periodLayout->setContentsMargins(4, 2, 4, 4);
    periodLayout->setSpacing(2);
    periodLayout->addWidget(lbPeriod);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    for (int i = 0; i < 12; ++i) {
        auto* button = new QToolButton(gbPeriod);
        button->setObjectName(QStringLiteral("sbnMonth%1").arg(i + 1));
        button->setText(QString::number(i + 1));
        button->setProperty("tag", i + 1);
        button->setCheckable(true);
        button->setMinimumWidth(24);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        sbnMonth[size_t(i)] = button;
        buttons->addWidget(button);
    }
    periodLayout->addLayout(buttons);

    // Monthly incomes.
    QFrame* gbSovDoh =
        makeGroup(plContent, QStringLiteral("gbSovDoh"), QStringLiteral("Совокупный доход по месяцам"), lbSovDoh);
    auto* sovLayout = new QVBoxLayout(gbSovDoh);
    sovLayout->setContentsMargins(4, 2, 4, 4);
    sovLayout->setSpacing(2);
    sovLayout->addWidget(lbSovDoh);
    auto* months = new QGridLayout;
    months->setHorizontalSpacing(2);
    months->setVerticalSpacing(0);
    for (int i = 0; i < 12; ++i) {
        QLabel* label = makeLabel(gbSovDoh, QString::fromUtf8(kMonthLabels[i]), Qt::AlignCenter);
        setTextColour(label, QPalette::WindowText, Qt::white);
        edSovDoh[size_t(i)] = makeEdit(gbSovDoh, QStringLiteral("edSOVDOH%1").arg(i + 1));
        months->addWidget(label, (i / 6) * 2, i % 6);
        months->addWidget(edSovDoh[size_t(i)], (i / 6) * 2 + 1, i % 6);
    }
    sovLayout->addLayout(months);

    // Sums and taxes under two header rows; each upper section spans the
    // two lower sections below it.
    QLabel* lbIspoln = nullptr;
    QFrame* gbIspoln = makeGroup(plContent, QStringLiteral("gbIspoln"),
                                 QStringLiteral("Исполнение налоговых обязательств"), lbIspoln);
    auto* ispLayout = new QVBoxLayout(gbIspoln);
    ispLayout->setContentsMargins(4, 2, 4, 4);
    ispLayout->setSpacing(2);
    ispLayout->addWidget(lbIspoln);
    auto* sums = new QGridLayout;
    sums->setSpacing(1);
    sums->addWidget(makeHeader(gbIspoln, QString()), 0, 0);
    sums->addWidget(makeHeader(gbIspoln, QStringLiteral("Сумма дохода")), 0, 1, 1, 2);
    sums->addWidget(makeHeader(gbIspoln, QStringLiteral("Налог в Фед.бюджет")), 0, 3, 1, 2);
    sums->addWidget(makeHeader(gbIspoln, QStringLiteral("Налог в регион. бюджет")), 0, 5, 1, 2);
    const char* const lower[7] = {"Реквизит суммы", "Общая", "Облаг.", "Исчисл.", "Удерж.", "Исчисл.", "Удерж."};
    for (int c = 0; c < 7; ++c) sums->addWidget(makeHeader(gbIspoln, QString::fromUtf8(lower[c])), 1, c);
    for (int r = 0; r < 3; ++r) {
        QLabel* caption = makeLabel(gbIspoln, QString::fromUtf8(kSumRows[r].caption));
        setTextColour(caption, QPalette::WindowText, Qt::white);
        sums->addWidget(caption, r + 2, 0);
        for (int c = 0; c < 6; ++c) {
            const QString field = QString::fromLatin1(kSumRows[r].fields[c]);
            QLineEdit* edit = makeEdit(gbIspoln, QStringLiteral("ed") + field);
            edit->setAlignment(Qt::AlignRight);
            sumEdits[field] = edit;
            sums->addWidget(edit, r + 2, c + 1);
        }
    }
    sums->setColumnStretch(0, 3);
    for (int c = 1; c < 7; ++c) sums->setColumnStretch(c, 2);
    ispLayout->addLayout(sums);

    auto* content = new QVBoxLayout(plContent);
    content->setContentsMargins(4, 4, 4, 4);
    content->setSpacing(4);
    content->addLayout(head);
    auto* middle = new QHBoxLayout;
    middle->addWidget(gbPeriod, 1);
    content->addLayout(middle);
    content->addWidget(gbSovDoh);
    content->addWidget(gbIspoln);

    OKBtn = new QPushButton(QStringLiteral("&Закрыть"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Закрыть форму-(Esc)"));
    connect(OKBtn, &QPushButton::clicked, this, &QWidget::hide);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(OKBtn);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 4);
    layout->addWidget(plContent, 1);
    layout->addLayout(bottom);
}

void TfmSvedRecI::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RefreshView();
}

void TfmSvedRecI::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfmSvedRecI::RefreshView() {
    if (!isVisible()) return;
    fill(source ? source() : nullptr);
}

void TfmSvedRecI::fill(const engine::Table* record) {
    const auto text = [&](const char* field) {
        return record ? QString::fromStdString(record->asString(field)) : QString();
    };
    const auto number = [&](const char* field) { return record ? record->asFloat(field) : 0.0; };

    edFIO->setText(text("FIO"));
    edIDDOK->setText(text("IDDOK"));
    edDSVED->setText(record ? DateText(record->asDate("DSVED")) : QString());
    for (int i = 0; i < 12; ++i) {
        const QByteArray field = "SOVDOH" + QByteArray::number(i + 1);
        edSovDoh[size_t(i)]->setText(record ? NumberText(*record, field.constData()) : QString());
    }
    for (auto& [field, edit] : sumEdits) {
        const QByteArray name = field.toLatin1();
        edit->setText(record ? NumberText(*record, name.constData()) : QString());
    }

    // 1. Period buttons from MES: down black and bold, up grey and normal.
    const QString mes = text("MES");
    bool anyMonth = false;
    for (int i = 0; i < 12; ++i) {
        const bool down = i < mes.size() && mes.at(i) == QLatin1Char('1');
        anyMonth = anyMonth || down;
        QToolButton* button = sbnMonth[size_t(i)];
        button->setChecked(down);
        QFont font = button->font();
        font.setBold(down);
        button->setFont(font);
        setTextColour(button, QPalette::ButtonText, down ? QColor(Qt::black) : kGrey);
    }
    // 2. The name as shown.
    const import::CheckResult name = import::CheckNamePart(edFIO->text(), import::kModeRequiredLesser);
    setTextColour(lbFIO, QPalette::WindowText, QColor::fromRgb(name.colour));
    // 3. and 4. Missing period or monthly incomes, unless there is a material benefit.
    const bool benefit = number("TOTSUMMAT") != 0.0;
    bool anyIncome = false;
    for (int i = 0; i < 12 && record; ++i) {
        const QByteArray field = "SOVDOH" + QByteArray::number(i + 1);
        anyIncome = anyIncome || record->asFloat(field.constData()) != 0.0;
    }
    setTextColour(lbPeriod, QPalette::WindowText, anyMonth || benefit ? QColor(Qt::white) : kMaroon);
    setTextColour(lbSovDoh, QPalette::WindowText, anyIncome || benefit ? QColor(Qt::white) : kMaroon);
}

TfmSvedRecS::TfmSvedRecS(QWidget* parent)
    : TfmSvedRecI(parent, QStringLiteral("fmSvedRecS"),
                  QStringLiteral("Запись сведений о доходах в БД \"Таксанта\""), QPoint(165, 129)) {}

}  // namespace kvzt::duplicates::ui
