// The grid model over a cursor: rows listed in tag order within the range
// without reading them, texts read as the grid asks for them (and only
// once), the cursor left where the window put it, an edit in progress never
// cancelled by painting, and refresh that keeps the rows when they are the
// same records and lists them again when records went.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "data/ui/table_model.h"
#include "engine/database.h"
#include "engine/table.h"
#include "support/qt_app_support.h"
#include "support/test_support.h"

using namespace kvzt;

namespace {

class TableModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::qtApp();
        db = std::make_unique<engine::Database>("T", dir.path(), engine::CodePage::Cp1251);
        db->createTable("names", {{"FAM", 'C', 25, 0, 0}, {"NOM", 'N', 6, 0, 0}});
        table = db->openTable("names");
        table->addIndex("FAM", "UPPER(FAM)");
        for (int n = 1; n <= kRows; ++n) {
            table->append();
            table->setString("FAM", "Ф" + std::to_string(100000 - n));  // names in reverse record order
            table->setInteger("NOM", n);
            table->post();
        }
        table->setIndex("FAM");
        table->first();
        model = std::make_unique<data::TableModel>(
            table.get(), std::vector<data::TableColumn>{{QStringLiteral("FAM"), QStringLiteral("Фамилия")},
                                                        {QStringLiteral("NOM"), QStringLiteral("Номер")}});
        model->setRowValue([](const engine::Table& t) { return QVariant(qlonglong(t.asInteger("NOM"))); });
    }

    QString cell(int row, int column) { return model->index(row, column).data().toString(); }

    static constexpr int kRows = 5000;
    test::TempDir dir;
    std::unique_ptr<engine::Database> db;
    std::unique_ptr<engine::Table> table;
    std::unique_ptr<data::TableModel> model;
};

TEST_F(TableModelTest, RowsAreReadAsAskedForOnceAndTheCursorStaysPut) {
    const std::uint64_t atOpen = table->recordsLoaded();
    ASSERT_EQ(model->rowCount(), kRows);
    EXPECT_EQ(model->recordAt(0), std::uint32_t(kRows));  // tag order, not record order
    EXPECT_EQ(table->recordsLoaded(), atOpen);             // listing read no row

    table->gotoBookmark({42});
    const std::uint64_t before = table->recordsLoaded();
    EXPECT_EQ(cell(2500, 1), QString::number(kRows - 2500));
    EXPECT_EQ(model->index(2500, 0).data(data::RowValueRole).toLongLong(), kRows - 2500);
    EXPECT_EQ(table->recNo(), 42u);
    const std::uint64_t block = table->recordsLoaded() - before;
    EXPECT_GT(block, 1u);
    EXPECT_LT(block, 100u);
    // The same rows again, and their neighbours, come from memory.
    for (int row = 2495; row < 2510; ++row) cell(row, 0);
    EXPECT_EQ(table->recordsLoaded() - before, block);
}

TEST_F(TableModelTest, PaintingNeverCancelsAnEditInProgress) {
    model->seekRow(10);
    table->edit();
    table->setInteger("NOM", 777);
    EXPECT_TRUE(cell(3000, 0).isEmpty());  // not readable now
    ASSERT_EQ(table->state(), engine::EditState::Edit);
    table->post();
    model->refreshRow(10);
    EXPECT_EQ(cell(10, 1), QStringLiteral("777"));
    EXPECT_EQ(cell(3000, 1), QString::number(kRows - 3000));  // read once the edit is over
}

TEST_F(TableModelTest, RefreshKeepsTheSameRowsAndListsAgainWhenRecordsGo) {
    EXPECT_EQ(cell(0, 1), QString::number(kRows));
    int resets = 0, changes = 0;
    QObject::connect(model.get(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    QObject::connect(model.get(), &QAbstractItemModel::dataChanged, [&] { ++changes; });

    // Another cursor changes a value the grid has shown.
    {
        auto other = db->openTable("names");
        other->gotoBookmark({std::uint32_t(kRows)});
        other->edit();
        other->setInteger("NOM", 1);
        other->post();
    }
    model->refresh();
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(cell(0, 1), QStringLiteral("1"));

    // Deleted records leave the rows; a range limits them.
    model->seekRow(0);
    table->deleteRecord();
    model->refresh();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(model->rowCount(), kRows - 1);
    EXPECT_EQ(model->rowOfRecord(std::uint32_t(kRows)), -1);
    table->setRange({engine::Value(std::string("Ф95010"))}, {engine::Value(std::string("Ф95019"))});
    model->refresh();
    ASSERT_EQ(model->rowCount(), 10);
    EXPECT_EQ(cell(0, 0), QStringLiteral("Ф95010"));
    EXPECT_EQ(cell(9, 0), QStringLiteral("Ф95019"));
}

}  // namespace
