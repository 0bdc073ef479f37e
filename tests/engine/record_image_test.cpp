// Records put together as stored bytes (RecordImage) and appended whole: the
// same bytes as appending them field by field through the cursor.

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/record_image.h"
#include "engine/table.h"
#include "support/test_support.h"

using namespace kvzt::engine;
using kvzt::test::TempDir;

namespace {

const std::vector<FieldDef> kSourceFields = {{"NAME", 'C', 14, 0}, {"CODE", 'C', 5, 0}};
const std::vector<FieldDef> kTargetFields = {
    {"NAME", 'C', 8, 0}, {"CODE", 'C', 5, 0}, {"NUM", 'N', 6, 0}, {"WIDE", 'C', 300, 0}};

std::string recordBytes(Table& t, std::uint32_t recno) {
    std::string bytes(std::size_t(t.file().recordLength()), '\0');
    t.file().readRecord(recno, bytes.data());
    return bytes;
}

}  // namespace

TEST(RecordImage, GivesTheBytesOfAFieldByFieldAppend) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("src"));
    std::filesystem::create_directories(dir.file("dst"));
    Database sourceDb("SRC", dir.file("src"), CodePage::Cp866);
    Database targetDb("DST", dir.file("dst"), CodePage::Cp1251);
    sourceDb.createTable("SOURCE", kSourceFields);
    targetDb.createTable("BYFIELD", kTargetFields);
    targetDb.createTable("BYIMAGE", kTargetFields);
    auto source = sourceDb.openTable("SOURCE");
    auto byField = targetDb.openTable("BYFIELD");
    auto byImage = targetDb.openTable("BYIMAGE");

    // Source records as stored bytes: cut by the narrower target, blank and
    // NUL padding (a read drops both), leading blanks (kept), a character
    // the target page lacks (box drawing in 866), an empty field.
    const std::vector<std::string> names = {
        std::string("\x80\xa1\xa2\xa3\xa4\xa5\xa6\xa7\xa8\xa9\xaa\xab\xac\xad", 14),  // Абвгдежзийклмн
        std::string("AB\0\0\0\0\0\0\0\0\0\0\0\0", 14),
        std::string("  x  \xf0       ", 14),  // Ё
        std::string("\xc9\xcd\xbb        q  ", 14),
        std::string("\x9f             ", 14),  // Я, then more blanks than a word
        std::string("ab  \0\0\0\0\0\0\0\0  ", 14),
        std::string(14, ' '),
    };
    for (const std::string& name : names) source->appendRecordBytes(" " + name + "0102\xf1");

    const int name = byImage->fieldIndexOf("NAME"), code = byImage->fieldIndexOf("CODE");
    const int num = byImage->fieldIndexOf("NUM"), wide = byImage->fieldIndexOf("WIDE");
    RecordImage image(*byImage);
    const CodePageMap map(source->codePage(), byImage->codePage());
    EXPECT_FALSE(map.identity());
    for (source->first(); !source->eof(); source->next()) {
        byField->append();
        byField->setString("NAME", source->asString("NAME"));
        byField->setString("CODE", toUtf8(source->rawField("CODE"), source->codePage()));
        byField->setString("NUM", "42");
        byField->setString("WIDE", source->asString("NAME"));
        byField->post();

        image.clear();
        image.setBytes(name, TrimmedFieldBytes(source->rawField("NAME")), map);
        image.setBytes(code, source->rawField("CODE"), map);  // untrimmed, as codes are copied
        image.setText(num, "42");
        image.setText(wide, source->asString("NAME"));
        byImage->appendRecordBytes(image.bytes());
    }
    ASSERT_EQ(byImage->recordCount(), names.size());
    for (std::uint32_t r = 1; r <= byImage->recordCount(); ++r)
        EXPECT_EQ(recordBytes(*byImage, r), recordBytes(*byField, r)) << "record " << r;

    // What the cursor refuses, the image refuses too.
    EXPECT_THROW(image.setText(-1, "x"), EngineError);
    EXPECT_THROW(image.setText(num, "1234567"), EngineError);  // too wide for N(6)
    EXPECT_THROW(byImage->appendRecordBytes("short"), EngineError);
    EXPECT_EQ(byImage->recordCount(), names.size());
}
