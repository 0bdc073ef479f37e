// Window and grid layouts saved to and restored from the settings file.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QWidget>

#include "data/settings_file.h"
#include "data/ui/form_layout.h"
#include "support/qt_app_support.h"
#include "support/test_support.h"

using namespace kvzt::data;
using kvzt::test::readFile;
using kvzt::test::TempDir;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

// A grid whose model names its fields like the table grids do.
class FieldModel : public QStandardItemModel {
public:
    explicit FieldModel(int columns) : QStandardItemModel(2, columns) {
        for (int c = 0; c < columns; ++c) setHeaderData(c, Qt::Horizontal, u("Столбец %1").arg(c));
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o == Qt::Horizontal && role == FieldNameRole) return u("FLD%1").arg(section);
        return QStandardItemModel::headerData(section, o, role);
    }
};

struct Grid {
    FieldModel model;
    QTableView view;
    explicit Grid(int columns, int tag = 0) : model(columns) {
        view.setObjectName(u("dbgDubl"));
        view.setProperty("tag", tag);
        view.setModel(&model);
    }
    QStringList order() const {
        QStringList fields;
        for (int v = 0; v < model.columnCount(); ++v)
            fields << model.headerData(view.horizontalHeader()->logicalIndex(v), Qt::Horizontal, FieldNameRole)
                          .toString();
        return fields;
    }
};

}  // namespace

TEST(FormLayout, NormalWindowKeepsItsBoundsUnderItsTag) {
    kvzt::test::qtApp();
    TempDir dir;
    SettingsFile settings(QString::fromStdString(dir.file("KvZt32.ini")));
    QWidget saved;
    saved.setObjectName(u("fmImpKladr"));
    saved.setProperty("tag", 2);
    saved.move(200, 108);
    saved.resize(544, 122);
    SaveFormLayout(&saved, settings);
    EXPECT_EQ(settings.readString(u("FORMS"), u("fmImpKladr2")), u("0,  108,  200,  122,  544"));

    QWidget restored;
    restored.setObjectName(u("fmImpKladr"));
    restored.setProperty("tag", 2);
    LoadFormLayout(&restored, settings);
    EXPECT_EQ(restored.pos(), QPoint(200, 108));
    EXPECT_EQ(restored.size(), QSize(544, 122));

    QWidget otherMode;  // tag 1: another mode, no stored layout
    otherMode.setObjectName(u("fmImpKladr"));
    otherMode.setProperty("tag", 1);
    otherMode.setGeometry(10, 20, 300, 200);
    LoadFormLayout(&otherMode, settings);
    EXPECT_EQ(otherMode.geometry(), QRect(10, 20, 300, 200));
}

TEST(FormLayout, MaximisedWindowRestoresMaximisedWithoutBounds) {
    kvzt::test::qtApp();
    TempDir dir;
    SettingsFile settings(QString::fromStdString(dir.file("KvZt32.ini")));
    QWidget saved;
    saved.setObjectName(u("fmMain"));
    saved.setGeometry(50, 60, 400, 300);
    saved.showMaximized();
    SaveFormLayout(&saved, settings);
    EXPECT_TRUE(settings.readString(u("FORMS"), u("fmMain0")).startsWith(u("2,  ")));

    QWidget restored;
    restored.setObjectName(u("fmMain"));
    restored.setGeometry(5, 6, 320, 240);
    LoadFormLayout(&restored, settings);
    EXPECT_TRUE(restored.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(restored.geometry(), QRect(5, 6, 320, 240));
}

TEST(FormLayout, ManyColumnsWriteContinuationKeysAndReadBack) {
    kvzt::test::qtApp();
    TempDir dir;
    SettingsFile settings(QString::fromStdString(dir.file("KvZt32.ini")));
    const int columns = 24;
    Grid saved(columns);
    QHeaderView* header = saved.view.horizontalHeader();
    header->moveSection(header->visualIndex(5), 0);   // FLD5 first
    header->moveSection(header->visualIndex(20), 1);  // FLD20 second
    for (int c = 0; c < columns; ++c) header->resizeSection(c, 30 + c);
    saved.model.setHeaderData(3, Qt::Horizontal, u("Фамилия"));
    SaveGridLayout(&saved.view, settings);

    EXPECT_NE(settings.readString(u("GRIDS"), u("dbgDubl~1~0")), u("err"));
    EXPECT_NE(settings.readString(u("GRIDS"), u("dbgDubl~2~0")), u("err"));
    EXPECT_TRUE(settings.readString(u("GRIDS"), u("dbgDubl0")).endsWith(u("~1~,")));
    EXPECT_EQ(settings.readString(u("GRIDS"), u("dbgDubl0")).left(24), u("FLD5,  35,  Столбец 5,  "));

    Grid restored(columns);
    LoadGridLayout(&restored.view, settings);
    EXPECT_EQ(restored.order(), saved.order());
    for (int c = 0; c < columns; ++c)
        EXPECT_EQ(restored.view.horizontalHeader()->sectionSize(c), 30 + c) << c;
    EXPECT_EQ(restored.model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), u("Фамилия"));

    // The file is 1251 text: "Фамилия" = D4 E0 EC E8 EB E8 FF.
    EXPECT_NE(readFile(dir.file("KvZt32.ini")).find("\xD4\xE0\xEC\xE8\xEB\xE8\xFF"), std::string::npos);
}

TEST(FormLayout, GridWithChangedColumnsTakesWhatStillFits) {
    kvzt::test::qtApp();
    TempDir dir;
    SettingsFile settings(QString::fromStdString(dir.file("KvZt32.ini")));
    settings.writeString(u("GRIDS"), u("dbgDubl1"), u("FLD2,  90,  Второй,  GONE,  10,  Нет,  FLD0,  70,  Нулевой,  "));
    Grid restored(4, 1);
    LoadGridLayout(&restored.view, settings);
    EXPECT_EQ(restored.order(), (QStringList{u("FLD2"), u("FLD0"), u("FLD1"), u("FLD3")}));
    EXPECT_EQ(restored.view.horizontalHeader()->sectionSize(2), 90);
    EXPECT_EQ(restored.view.horizontalHeader()->sectionSize(0), 70);
}
