#include "duplicates/ui/person_view.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "data/data_module.h"
#include "data/ui/form_layout.h"
#include "engine/table.h"
#include "engine/value.h"

namespace kvzt::duplicates::ui {

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QSize kViewSize(412, 347);
const QPoint kImportedPlace(200, 108);

QFont arial(int pixelSize) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    return font;
}

QLineEdit* valueEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    return edit;
}

QLabel* caption(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// A group with one edit inside.
QGroupBox* group(QWidget* parent, const char* name, const QString& title, QWidget* content) {
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addWidget(content);
    return box;
}

void setCaptionColour(QWidget* caption, import::Rgb rgb) {
    QPalette p = caption->palette();
    p.setColor(QPalette::WindowText, QColor::fromRgb(QRgb(rgb)));
    caption->setPalette(p);
}

}  // namespace

TfmIFLData::TfmIFLData(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmIFLData"));
    setWindowTitle(QStringLiteral("Импортируемая запись таксанта"));
    setModal(false);
    resize(kViewSize);
    move(kImportedPlace);
    setFont(arial(12));
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, kSilver);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    edFam = valueEdit(this, "edFam");
    edName = valueEdit(this, "edName");
    edOtc = valueEdit(this, "edOtc");
    edINN = valueEdit(this, "edINN");
    edGNI = valueEdit(this, "edGNI");
    edBornDate = valueEdit(this, "edBornDate");
    edTabNom = valueEdit(this, "edTabNom");
    edUdLich = valueEdit(this, "edUdLich");
    edJobStatus = valueEdit(this, "edJobStatus");
    edStatus = valueEdit(this, "edStatus");
    edCountry = valueEdit(this, "edCountry");
    memAdres = new QPlainTextEdit(this);
    memAdres->setObjectName(QStringLiteral("memAdres"));
    memAdres->setReadOnly(true);
    memAdres->setLineWrapMode(QPlainTextEdit::NoWrap);
    memAdres->setFixedHeight(QFontMetrics(memAdres->font()).lineSpacing() * 3 + 10);

    gbFam = group(this, "gbFam", QStringLiteral(" Фамилия "), edFam);
    gbName = group(this, "gbName", QStringLiteral(" Имя "), edName);
    gbOtc = group(this, "gbOtc", QStringLiteral(" Отчество "), edOtc);
    gbUdLich = group(this, "gbUdLich", QStringLiteral("Документ, удостоверяющий личность"), edUdLich);
    gbAdres = group(this, "gbAdres", QStringLiteral("Адрес постоянного места жительства"), memAdres);

    lbINN = caption(this, "lbINN", QStringLiteral("ИНН:"));
    lbGNI = caption(this, "lbGNI", QStringLiteral("Код ГНИ:"));
    lbBornDate = caption(this, "lbBornDate", QStringLiteral("Дата рождения:"));
    lbTabNom = caption(this, "lbTabNom", QStringLiteral("Таб. Номер:"));
    lbJobStatus = caption(this, "lbJobStatus", QStringLiteral("Место работы:"));
    lbStatus = caption(this, "lbStatus", QStringLiteral("Статус:"));
    lbCountry1 = caption(this, "lbCountry1", QStringLiteral("Страна прожива-"));
    lbCountry2 = caption(this, "lbCountry2", QStringLiteral("ния нерезидента:"));

    OKBtn = new QPushButton(QStringLiteral("&Закрыть"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Закрыть форму-(Esc)"));
    OKBtn->setDefault(true);  // Enter closes too
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::hide);

    auto* names = new QHBoxLayout;
    names->addWidget(gbFam);
    names->addWidget(gbName);
    names->addWidget(gbOtc);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(3);
    fields->addWidget(lbINN, 0, 0);
    fields->addWidget(edINN, 0, 1);
    fields->addWidget(lbGNI, 0, 2);
    fields->addWidget(edGNI, 0, 3);
    fields->addWidget(lbBornDate, 1, 0);
    fields->addWidget(edBornDate, 1, 1);
    fields->addWidget(lbTabNom, 1, 2);
    fields->addWidget(edTabNom, 1, 3);
    fields->addWidget(lbJobStatus, 2, 0);
    fields->addWidget(edJobStatus, 2, 1);
    fields->addWidget(lbStatus, 2, 2);
    fields->addWidget(edStatus, 2, 3);
    auto* countryCaption = new QVBoxLayout;
    countryCaption->setSpacing(0);
    countryCaption->addWidget(lbCountry1);
    countryCaption->addWidget(lbCountry2);
    fields->addLayout(countryCaption, 3, 0);
    fields->addWidget(edCountry, 3, 1, 1, 3);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(names);
    layout->addLayout(fields);
    layout->addWidget(gbUdLich);
    layout->addWidget(gbAdres);
    layout->addStretch(1);
    layout->addLayout(buttons);

    data::LoadFormLayout(this);
}

TfmIFLData::~TfmIFLData() {
    try {
        data::SaveFormLayout(this);
    } catch (...) {
        // The settings file may already be closed at program end.
    }
}

void TfmIFLData::setSource(data::TdmKVZT* dm, engine::Table* duplicates) {
    dm_ = dm;
    duplicates_ = duplicates;
}

bool TfmIFLData::readSource(PersonSource& source) {
    if (!duplicates_ || duplicates_->eof() || duplicates_->recNo() == 0) return false;
    source = ReadPersonSource(*duplicates_);
    return true;
}

void TfmIFLData::RefreshView() {
    if (!isVisible() || !dm_) return;
    PersonSource source;
    if (!readSource(source)) return;
    fill(BuildPersonView(*dm_, source, QDate::currentDate()));
}

void TfmIFLData::fill(const PersonViewContent& v) {
    edFam->setText(v.fam);
    edName->setText(v.name);
    edOtc->setText(v.otc);
    edINN->setText(v.inn);
    edGNI->setText(v.gni);
    edBornDate->setText(v.bornDate);
    edTabNom->setText(v.tabNom);
    edUdLich->setText(v.document);
    edJobStatus->setText(v.jobStatus);
    edStatus->setText(v.status);
    edCountry->setText(v.country);
    memAdres->setPlainText(v.addressLines.join(QLatin1Char('\n')));
    setCaptionColour(gbFam, v.famCaption);
    setCaptionColour(gbName, v.nameCaption);
    setCaptionColour(gbOtc, v.otcCaption);
    setCaptionColour(lbINN, v.innCaption);
    setCaptionColour(lbBornDate, v.bornCaption);
    setCaptionColour(lbGNI, v.gniCaption);
    setCaptionColour(lbJobStatus, v.jobCaption);
    setCaptionColour(lbStatus, v.statusCaption);
    setCaptionColour(lbCountry1, v.countryCaption);
    setCaptionColour(lbCountry2, v.countryCaption);
    setCaptionColour(gbUdLich, v.documentCaption);
    setCaptionColour(gbAdres, v.addressCaption);
}

void TfmIFLData::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RefreshView();
}

void TfmIFLData::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        hide();
        return;
    }
    QDialog::keyPressEvent(event);
}

TfmSFLData::TfmSFLData(QWidget* parent) : TfmIFLData(parent) {
    setObjectName(QStringLiteral("fmSFLData"));
    setWindowTitle(QStringLiteral("Запись в базе данных программы \"Таксант\""));
    // Beside the imported view rather than over it, so both can be compared;
    // kept on the screen (a 1024-pixel screen has just the room). A place the
    // user gave it before wins.
    QPoint place(kImportedPlace.x() + kViewSize.width() + 12, kImportedPlace.y());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        place.setX(std::max(room.left(), std::min(place.x(), room.right() - kViewSize.width() - 8)));
    }
    move(place);
    data::LoadFormLayout(this);
}

bool TfmSFLData::readSource(PersonSource& source) {
    if (!dm_ || !duplicates_ || duplicates_->eof() || duplicates_->recNo() == 0) return false;
    engine::Table& list = dm_->tbSpisok.table();
    if (!list.findKey({engine::Value(duplicates_->asInteger("NOM"))})) return false;
    source = ReadPersonSource(list);
    return true;
}

void TfmSFLData::showEvent(QShowEvent* event) {
    if (dm_ && !event->spontaneous()) {
        dm_->tbSpisok.open();
        dm_->tbSpisok->setIndex("NOMX");
    }
    TfmIFLData::showEvent(event);
}

void TfmSFLData::hideEvent(QHideEvent* event) {
    if (dm_ && !event->spontaneous() && dm_->tbSpisok.active()) {
        dm_->tbSpisok->setIndex("FIOBORN");
        dm_->tbSpisok.close();
    }
    TfmIFLData::hideEvent(event);
}

}  // namespace kvzt::duplicates::ui
