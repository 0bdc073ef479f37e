// The start-up check's failures as the user reads them: a missing alias
// directory once instead of a line per table, a repeated cause once, other
// failures as they are.

#include <gtest/gtest.h>

#include "schema/start_check.h"
#include "schema/start_failure_lines.h"
#include "support/test_support.h"

using namespace kvzt::schema;

TEST(StartFailureLines, EachCauseOnce) {
    kvzt::test::TempDir present;
    const QString missing = QString::fromStdString(present.file("нет/такого"));
    StartCheckReport report;
    for (const char* table : {"SPISOK32.DBF", "SVBASE32.DBF", "UPI32.DBF"}) {
        report.failures << QStringLiteral("VX_B:%1: Ошибка ввода-вывода (файл или каталог не найден): %2/%1")
                               .arg(QString::fromLatin1(table), missing);
    }
    report.failures << QStringLiteral("VX_S:KLSTR22.DBF: Таблица занята другой программой")
                    << QStringLiteral("VX_S:KLDOK.DBF: Нет места на диске: /x/KLDOK.DBF")
                    << QStringLiteral("VX_Q:A.DBF: Неизвестный псевдоним базы данных: VX_Q")
                    << QStringLiteral("VX_Q:B.DBF: Неизвестный псевдоним базы данных: VX_Q");
    const auto directory = [&](const QString& alias) -> std::optional<QString> {
        if (alias == QStringLiteral("VX_B")) return missing;
        if (alias == QStringLiteral("VX_S")) return QString::fromStdString(present.path());
        return std::nullopt;
    };
    const QStringList lines = StartFailureLines(report, directory);
    ASSERT_EQ(lines.size(), 4) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Каталог VX_B \"%1\" не найден").arg(missing));
    EXPECT_EQ(lines[1], report.failures[3]);
    EXPECT_EQ(lines[2], report.failures[4]);
    EXPECT_EQ(lines[3], report.failures[5]);
}
