#include "schema/table_catalogue.h"

#include "data/text_helpers.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/session.h"

namespace kvzt::schema {

using data::ExtractBetween;
using data::UpperAscii;

namespace {

const QChar kEdge = QLatin1Char('#');

QString trimLeft(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace()) {
        ++i;
    }
    return text.mid(i);
}

// A decimal number of at most `maxDigits` digits; nothing for anything else.
std::optional<int> readNumber(const QString& text, int maxDigits) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > maxDigits) {
        return std::nullopt;
    }
    int value = 0;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

[[noreturn]] void refuseLine(const QString& line, const char* why) {
    throw engine::EngineError(engine::code::InvalidParam,
                              std::string("Строка каталога таблиц \"") + line.trimmed().toStdString() + "\": " + why);
}

}  // namespace

void AddTable(QStringList& list, const QStringList& lines) {
    if (lines.isEmpty()) {
        return;
    }
    const qsizetype fieldCount = lines.size() - 1;
    list.append(UpperAscii(trimLeft(lines.first())) + QStringLiteral(" $") + QString::number(fieldCount) +
                QLatin1Char(' '));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        list.append(UpperAscii(trimLeft(lines.at(i))));
    }
}

void AddTable(QStringList& list, std::initializer_list<const char*> lines) {
    QStringList texts;
    texts.reserve(qsizetype(lines.size()));
    for (const char* line : lines) {
        texts.append(QString::fromUtf8(line));
    }
    AddTable(list, texts);
}

bool IsCatalogueHeader(const QString& line) { return line.contains(QLatin1Char('.')); }

QVector<CatalogueTable> CatalogueTables(const QStringList& list) {
    QVector<CatalogueTable> tables;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString& line = list.at(i);
        if (!IsCatalogueHeader(line)) {
            continue;
        }
        CatalogueTable table;
        table.title = ExtractBetween(line, kEdge, QLatin1Char('[')).trimmed();
        table.alias = ExtractBetween(line, QLatin1Char('['), QLatin1Char(']')).trimmed();
        table.fileName = ExtractBetween(line, QLatin1Char('('), QLatin1Char(')')).trimmed();
        table.headerLine = int(i);
        table.fieldCount = readNumber(ExtractBetween(line, QLatin1Char('$'), QLatin1Char(' ')), 5).value_or(0);
        tables.append(table);
    }
    return tables;
}

std::optional<CatalogueTable> FindCatalogueTable(const QStringList& list, const QString& fileName) {
    QString wanted = UpperAscii(fileName.trimmed());
    if (!wanted.contains(QLatin1Char('.'))) {
        wanted += QStringLiteral(".DBF");
    }
    for (const CatalogueTable& table : CatalogueTables(list)) {
        if (table.fileName == wanted) {
            return table;
        }
    }
    return std::nullopt;
}

ParsedFieldType ParseFieldType(const QString& fieldLine) {
    const QString token = ExtractBetween(fieldLine, QLatin1Char('^'), QLatin1Char('(')).left(10);
    ParsedFieldType result;
    if (token == QLatin1String("CHAR")) {
        result.type = CatalogueFieldType::String;
        const std::optional<int> size = readNumber(ExtractBetween(fieldLine, QLatin1Char('('), QLatin1Char(')')), 5);
        result.size = size && *size <= 65535 ? *size : 0;
    } else if (token == QLatin1String("DATE")) {
        result.type = CatalogueFieldType::Date;
    } else if (token == QLatin1String("INT16")) {
        result.type = CatalogueFieldType::SmallInt;
    } else if (token == QLatin1String("INT32")) {
        result.type = CatalogueFieldType::Integer;
    } else if (token == QLatin1String("LOG")) {
        result.type = CatalogueFieldType::Boolean;
    } else if (token == QLatin1String("FLOAT")) {
        result.type = CatalogueFieldType::Float;
    }
    return result;
}

engine::FieldDef FieldDefFromLine(const QString& fieldLine) {
    const QString line = UpperAscii(fieldLine.trimmed());
    qsizetype nameEnd = line.indexOf(QLatin1Char(' '));
    const qsizetype caret = line.indexOf(QLatin1Char('^'));
    if (nameEnd < 0 || (caret >= 0 && caret < nameEnd)) {
        nameEnd = caret;
    }
    engine::FieldDef def;
    def.name = line.left(nameEnd < 0 ? 0 : qMin<qsizetype>(nameEnd, 11)).toStdString();
    if (def.name.empty()) {
        refuseLine(fieldLine, "нет имени поля");
    }
    const ParsedFieldType parsed = ParseFieldType(line);
    const QString size = ExtractBetween(line, QLatin1Char('('), QLatin1Char(')'));
    switch (parsed.type) {
        case CatalogueFieldType::String:
            if (parsed.size < 1 || parsed.size > 254) {
                refuseLine(fieldLine, "недопустимая ширина символьного поля");
            }
            def.type = 'C';
            def.length = parsed.size;
            break;
        case CatalogueFieldType::Date:
            def.type = 'D';
            def.length = 8;
            break;
        case CatalogueFieldType::Boolean:
            def.type = 'L';
            def.length = 1;
            break;
        case CatalogueFieldType::SmallInt:
        case CatalogueFieldType::Integer:
        case CatalogueFieldType::Float: {
            // The host's numeric columns: N with the catalogue's width and decimals.
            const std::optional<int> width = readNumber(size.section(QLatin1Char(','), 0, 0), 2);
            const std::optional<int> decimals =
                size.contains(QLatin1Char(',')) ? readNumber(size.section(QLatin1Char(','), 1, 1), 2) : 0;
            if (!width || !decimals || *width < 1 || *width > 20 || (*decimals > 0 && *decimals > *width - 2)) {
                refuseLine(fieldLine, "недопустимая ширина числового поля");
            }
            def.type = 'N';
            def.length = *width;
            def.decimals = *decimals;
            break;
        }
        case CatalogueFieldType::Unset:
            refuseLine(fieldLine, "неизвестный тип поля");
    }
    return def;
}

void CreateTableFromCatalogue(engine::Database& database, const QStringList& list, const QString& fileName,
                              int firstField, int fieldCount) {
    if (firstField < 0 || fieldCount < 1 || firstField + fieldCount > list.size()) {
        throw engine::EngineError(engine::code::InvalidParam,
                                  "Таблица " + fileName.toStdString() + ": нет описания полей в каталоге");
    }
    std::vector<engine::FieldDef> fields;
    fields.reserve(std::size_t(fieldCount));
    for (int i = firstField; i < firstField + fieldCount; ++i) {
        fields.push_back(FieldDefFromLine(list.at(i)));
    }
    database.createTable(fileName.toStdString(), fields);
}

void CreateTableFromCatalogue(engine::Session& session, const QStringList& list, const QString& alias,
                              const QString& fileName, int firstField, int fieldCount) {
    CreateTableFromCatalogue(session.database(alias.toStdString()), list, fileName, firstField, fieldCount);
}

QStringList BuildTableCatalogue() {
    QStringList list;
    AddTable(list, {"Cписок сотрудников [VX_B] (SPISOK32.DBF) ",
                    "NOM        ^INT32(11)",
                    "FAM        ^CHAR(25)",
                    "NAME       ^CHAR(15)",
                    "OTC        ^CHAR(15)",
                    "DKOD       ^CHAR(2)",
                    "DNOM       ^CHAR(21)",
                    "DATEROG    ^DATE(8)",
                    "JOBSTATUS  ^CHAR(1)",
                    "STATUS     ^CHAR(1)",
                    "STRCODE    ^CHAR(3)",
                    "ADRES      ^CHAR(120)",
                    "INNFL      ^CHAR(12)",
                    "GNI        ^CHAR(4)",
                    "Doljn      ^CHAR(24)",
                    "DATaDoljn  ^DATE(8)",
                    "TabNmb     ^CHAR(12)",
                    "ISSPRAV    ^LOG(1)",
                    "ISKart     ^LOG(1)"});
    AddTable(list, {"Справочник стран [VX_S] (KLSTR22.DBF)",
                    "KOD        ^CHAR(3)",
                    "NAME       ^CHAR(30)"});
    AddTable(list, {"Справочник регионов [VX_S] (K1REG.DBF)",
                    "NAME       ^CHAR(30)",
                    "TIP        ^CHAR(3)",
                    "KODREG     ^CHAR(2)",
                    "PINDEX     ^CHAR(6)",
                    "GNINMB     ^CHAR(4)",
                    "YES        ^LOG(1)",
                    "YES2INS    ^LOG(1)"});
    AddTable(list, {"Справочник сокращений [VX_S]  (K7Socr.dbf)",
                    "Lev        ^CHAR(1)",
                    "Name       ^CHAR(10)",
                    "Code       ^CHAR(3)"});
    AddTable(list, {"Справочник районов [VX_S] (K2RAI.dbf)",
                    "NAME       ^CHAR(30)",
                    "tip        ^CHAR(3)",
                    "kodreg     ^CHAR(2)",
                    "kodrai     ^CHAR(3)",
                    "Pindex     ^CHAR(6)",
                    "gninmb     ^CHAR(4)"});
    AddTable(list, {"Справочник городов [VX_S] (K3TOW.dbf)",
                    "NAME       ^CHAR(30)",
                    "tip        ^CHAR(3)",
                    "kodreg     ^CHAR(2)",
                    "kodrai     ^CHAR(3)",
                    "kodtow     ^CHAR(3)",
                    "Pindex     ^CHAR(6)",
                    "gninmb     ^CHAR(4)"});
    AddTable(list, {"Справочник нас. пунктов [VX_S]  (K4NAS.dbf)",
                    "NAME       ^CHAR(30)",
                    "tip        ^CHAR(3)",
                    "kodreg     ^CHAR(2)",
                    "kodrai     ^CHAR(3)",
                    "kodtow     ^CHAR(3)",
                    "kodnas     ^CHAR(3)",
                    "Pindex     ^CHAR(6)",
                    "gninmb     ^CHAR(4)"});
    AddTable(list, {"Справочник улиц [VX_S]  (K5ULI.dbf)",
                    "NAME       ^CHAR(40)",
                    "tip        ^CHAR(3)",
                    "kodreg     ^CHAR(2)",
                    "kodrai     ^CHAR(3)",
                    "kodtow     ^CHAR(3)",
                    "kodnas     ^CHAR(3)",
                    "koduli     ^CHAR(4)",
                    "Pindex     ^CHAR(6)",
                    "gninmb     ^CHAR(4)"});
    AddTable(list, {"Справочник домов [VX_S]  (K6DOM.dbf)",
                    "NAME       ^CHAR(40)",
                    "kodreg     ^CHAR(2)",
                    "kodrai     ^CHAR(3)",
                    "kodtow     ^CHAR(3)",
                    "kodnas     ^CHAR(3)",
                    "koduli     ^CHAR(4)",
                    "Pindex     ^CHAR(6)",
                    "gninmb     ^CHAR(4)"});
    AddTable(list, {"Справочник документов [VX_S]  (KlDoc30.dbf)",
                    "CODE       ^CHAR(2)",
                    "NAMEF      ^CHAR(35)",
                    "NAMEM      ^CHAR(20)",
                    "SHABLON    ^CHAR(21)",
                    "USED       ^LOG(1)"});
    AddTable(list, {"Сведения о доходах [VX_B]  (SvBase32.dbf)",
                    "Id         ^CHAR(9)",
                    "IdDok      ^CHAR(8)",
                    "Nom        ^INT32(11,0)",
                    "FIO        ^CHAR(25)",
                    "Mes        ^CHAR(12)",
                    "JOBSTATUS  ^CHAR(1)",
                    "SumRash    ^FLOAT(9,2)",
                    "VichSum    ^FLOAT(9,2)",
                    "SGDSum     ^FLOAT(10,2)",
                    "OblagSum   ^FLOAT(10,2)",
                    "IschDohSum ^FLOAT(10,2)",
                    "IsDohSumR  ^FLOAT(10,2)",
                    "UdSum      ^FLOAT(9,2)",
                    "UdSumR     ^FLOAT(9,2)",
                    "KoefSum    ^FLOAT(9,2)",
                    "KoefObl    ^FLOAT(9,2)",
                    "IschKoeSum ^FLOAT(9,2)",
                    "IsKoeSumR  ^FLOAT(9,2)",
                    "KoefUd     ^FLOAT(9,2)",
                    "KoefUdR    ^FLOAT(9,2)",
                    "TotSumMat  ^FLOAT(10,2)",
                    "OblSumMat  ^FLOAT(10,2)",
                    "IschSumMat ^FLOAT(10,2)",
                    "IsSumMatR  ^FLOAT(10,2)",
                    "UdSumMat   ^FLOAT(9,2)",
                    "UdSumMatR  ^FLOAT(9,2)",
                    "SumNalInsp ^FLOAT(9,2)",
                    "SumNalGNIR ^FLOAT(9,2)",
                    "SumVozvr   ^FLOAT(9,2)",
                    "SumVozvrR  ^FLOAT(9,2)",
                    "OsnNotPay  ^LOG(1)",
                    "ERROR      ^CHAR(20)",
                    "DSved      ^DATE(8)",
                    "DataVid    ^DATE(8)",
                    "Nosit      ^CHAR(8)",
                    "SovDoh1    ^FLOAT(9,2)",
                    "SovDoh2    ^FLOAT(9,2)",
                    "SovDoh3    ^FLOAT(9,2)",
                    "SovDoh4    ^FLOAT(9,2)",
                    "SovDoh5    ^FLOAT(9,2)",
                    "SovDoh6    ^FLOAT(9,2)",
                    "SovDoh7    ^FLOAT(9,2)",
                    "SovDoh8    ^FLOAT(9,2)",
                    "SovDoh9    ^FLOAT(9,2)",
                    "SovDoh10   ^FLOAT(9,2)",
                    "SovDoh11   ^FLOAT(9,2)",
                    "SovDoh12   ^FLOAT(9,2)",
                    "Reestrnmb  ^INT16(6,0)",
                    "TSVED      ^CHAR(8)"});
    AddTable(list, {"Справочник доходов [VX_S]  (KlDox31.dbf)",
                    "Name       ^CHAR(40)",
                    "Kod        ^CHAR(4)",
                    "Skidka     ^INT16(1,0)",
                    "USED       ^LOG(1)"});
    AddTable(list, {"Справочник скидок [VX_S]  (KlSkid30.dbf)",
                    "Kod        ^CHAR(2)",
                    "Name       ^CHAR(50)",
                    "USED       ^LOG(1)"});
    AddTable(list, {"Временный файл [VX_S]  (Kl_.dbf)",
                    "Kod        ^CHAR(4)"});
    AddTable(list, {"Доходы [VX_B]   (Doxod22.dbf)",
                    "Id         ^CHAR(9)",
                    "Kod        ^CHAR(4)",
                    "Sum        ^FLOAT(11,0)",
                    "KodSk      ^CHAR(2)",
                    "Sk         ^FLOAT(11,0)"});
    AddTable(list, {"Доходы \"рабочая\"[VX_B]   (Doxod22_.dbf)",
                    "Kod        ^CHAR(4)",
                    "Sum        ^FLOAT(11,0)",
                    "KodSk      ^CHAR(2)",
                    "Sk         ^FLOAT(11,0)"});
    AddTable(list, {"Новое строительство[VX_B]  (NH22.dbf)",
                    "Id         ^CHAR(9)",
                    "Name       ^CHAR(150)"});
    AddTable(list, {"Справочник вычетов [VX_S]  (KlVic30.dbf)",
                    "Name       ^CHAR(60)",
                    "Kod        ^CHAR(2)",
                    "USED       ^LOG(1)"});
    AddTable(list, {"Вычеты [VX_B] (Vicet22.dbf)",
                    "Id         ^CHAR(9)",
                    "Kod        ^CHAR(2)",
                    "Sum        ^FLOAT(10,2)"});
    AddTable(list, {"Вычеты \"РАБОЧАЯ\"[VX_B] (Vicet22_.dbf)",
                    "Kod        ^CHAR(2)",
                    "Sum        ^FLOAT(10,2)"});
    AddTable(list, {"Должности [VX_S] (DOLGN.DBF) ",
                    "NAME       ^CHAR(24)"});
    AddTable(list, {"Cписок дублей сотрудников [VX_S] (SPIS_D32.DBF) ",
                    "NOM        ^INT32(11)",
                    "FAM        ^CHAR(25)",
                    "NAME       ^CHAR(15)",
                    "OTC        ^CHAR(15)",
                    "DKOD       ^CHAR(2)",
                    "DNOM       ^CHAR(21)",
                    "DATEROG    ^DATE(8)",
                    "JOBSTATUS  ^CHAR(1)",
                    "STATUS     ^CHAR(1)",
                    "STRCODE    ^CHAR(3)",
                    "ADRES      ^CHAR(120)",
                    "INNFL      ^CHAR(12)",
                    "GNI        ^CHAR(4)",
                    "Doljn      ^CHAR(24)",
                    "DATaDoljn  ^DATE(8)",
                    "TabNmb     ^CHAR(12)",
                    "ISSPRAV    ^LOG(1)",
                    "ISKart     ^LOG(1)",
                    "INCL       ^CHAR(1)"});
    AddTable(list, {"Дубли сведений о доходах [VX_S]  (SvB_32.dbf)",
                    "Id         ^CHAR(9)",
                    "IdDok      ^CHAR(8)",
                    "Nom        ^INT32(11,0)",
                    "FIO        ^CHAR(25)",
                    "Mes        ^CHAR(12)",
                    "JOBSTATUS  ^CHAR(1)",
                    "SumRash    ^FLOAT(9,2)",
                    "VichSum    ^FLOAT(9,2)",
                    "SGDSum     ^FLOAT(10,2)",
                    "OblagSum   ^FLOAT(10,2)",
                    "IschDohSum ^FLOAT(10,2)",
                    "IsDohSumR  ^FLOAT(10,2)",
                    "UdSum      ^FLOAT(9,2)",
                    "UdSumR     ^FLOAT(9,2)",
                    "KoefSum    ^FLOAT(9,2)",
                    "KoefObl    ^FLOAT(9,2)",
                    "IschKoeSum ^FLOAT(9,2)",
                    "IsKoeSumR  ^FLOAT(9,2)",
                    "KoefUd     ^FLOAT(9,2)",
                    "KoefUdR    ^FLOAT(9,2)",
                    "TotSumMat  ^FLOAT(10,2)",
                    "OblSumMat  ^FLOAT(10,2)",
                    "IschSumMat ^FLOAT(10,2)",
                    "IsSumMatR  ^FLOAT(10,2)",
                    "UdSumMat   ^FLOAT(9,2)",
                    "UdSumMatR  ^FLOAT(9,2)",
                    "SumNalInsp ^FLOAT(9,2)",
                    "SumNalGNIR ^FLOAT(9,2)",
                    "SumVozvr   ^FLOAT(9,2)",
                    "SumVozvrR  ^FLOAT(9,2)",
                    "OsnNotPay  ^LOG(1)",
                    "ERROR      ^CHAR(20)",
                    "DSved      ^DATE(8)",
                    "DataVid    ^DATE(8)",
                    "Nosit      ^CHAR(8)",
                    "SovDoh1    ^FLOAT(9,2)",
                    "SovDoh2    ^FLOAT(9,2)",
                    "SovDoh3    ^FLOAT(9,2)",
                    "SovDoh4    ^FLOAT(9,2)",
                    "SovDoh5    ^FLOAT(9,2)",
                    "SovDoh6    ^FLOAT(9,2)",
                    "SovDoh7    ^FLOAT(9,2)",
                    "SovDoh8    ^FLOAT(9,2)",
                    "SovDoh9    ^FLOAT(9,2)",
                    "SovDoh10   ^FLOAT(9,2)",
                    "SovDoh11   ^FLOAT(9,2)",
                    "SovDoh12   ^FLOAT(9,2)",
                    "Reestrnmb  ^INT16(6,0)",
                    "TSVED      ^CHAR(8)",
                    "INCL       ^CHAR(1)",
                    "NOMDOS     ^FLOAT(11,0)",
                    "IDDOK_I    ^CHAR(8)",
                    "IDWIN_I    ^CHAR(9)"});
    AddTable(list, {"Налоговая Карточка [VX_B]  (KART32.dbf)",
                    "Id         ^CHAR(9)",
                    "Nom        ^INT32(11,0)",
                    "Fio        ^CHAR(25)",
                    "Mes        ^CHAR(12)",
                    "Jobstatus  ^CHAR(1)",
                    "Bper       ^DATE(8)",
                    "Eper       ^DATE(8)",
                    "Osprnmb    ^CHAR(8)",
                    "Osprdate   ^DATE(8)",
                    "DoljnOtv   ^CHAR(32)",
                    "FamOtv     ^CHAR(25)",
                    "NameOtv    ^CHAR(15)",
                    "OtcOtv     ^CHAR(15)",
                    "Qtchild    ^INT16(2,0)",
                    "Qtijd      ^INT16(2,0)",
                    "Docchild   ^CHAR(48)",
                    "IdSprav    ^CHAR(9)",
                    "Presdate   ^DATE(8)",
                    "Presdate2P ^DATE(8)",
                    "Datetest1  ^DATE(8)",
                    "Doljntest1 ^CHAR(24)",
                    "Fiotest1   ^CHAR(35)",
                    "Datetest2  ^DATE(8)",
                    "Doljntest2 ^CHAR(24)",
                    "Fiotest2   ^CHAR(35)",
                    "Ldataedit  ^DATE(8)",
                    "Ltimeedit  ^CHAR(8)"});
    AddTable(list, {"Документы [VX_B]  (NPM32.dbf)",
                    "Id         ^CHAR(9)",
                    "DocName    ^CHAR(48)"});
    AddTable(list, {"Вычеты [VX_B]  (KV32.dbf)",
                    "Id         ^CHAR(9)",
                    "VicCode    ^CHAR(2)",
                    "S1         ^FLOAT(13,2)",
                    "S2         ^FLOAT(13,2)",
                    "S3         ^FLOAT(13,2)",
                    "S4         ^FLOAT(13,2)",
                    "S5         ^FLOAT(13,2)",
                    "S6         ^FLOAT(13,2)",
                    "S7         ^FLOAT(13,2)",
                    "S8         ^FLOAT(13,2)",
                    "S9         ^FLOAT(13,2)",
                    "S10        ^FLOAT(13,2)",
                    "S11        ^FLOAT(13,2)",
                    "S12        ^FLOAT(13,2)"});
    AddTable(list, {"Размер вычета [VX_B]  (PVS32.dbf)",
                    "Id         ^CHAR(9)",
                    "Razmer     ^INT16(1,0)",
                    "DocName    ^CHAR(48)"});
    AddTable(list, {"Вдовец [VX_B]  (VM32.dbf)",
                    "Id         ^CHAR(9)",
                    "DocName    ^CHAR(48)"});
    AddTable(list, {"Стройка [VX_B]  (NHK32.dbf)",
                    "Id         ^CHAR(9)",
                    "Sumtot     ^FLOAT(13,2)",
                    "Sumop      ^FLOAT(13,2)",
                    "Sumsg      ^FLOAT(13,2)",
                    "Name       ^CHAR(150)"});
    AddTable(list, {"Прочие вычеты [VX_B]  (AV32.dbf)",
                    "Id         ^CHAR(9)",
                    "DocName    ^CHAR(64)"});
    AddTable(list, {"Доходы  [VX_B]  (KD32.dbf)",
                    "Id         ^CHAR(9)",
                    "DohCode    ^CHAR(4)",
                    "SkCode     ^CHAR(2)",
                    "S1         ^FLOAT(13,2)",
                    "Sk1        ^FLOAT(13,2)",
                    "S2         ^FLOAT(13,2)",
                    "Sk2        ^FLOAT(13,2)",
                    "S3         ^FLOAT(13,2)",
                    "Sk3        ^FLOAT(13,2)",
                    "S4         ^FLOAT(13,2)",
                    "Sk4        ^FLOAT(13,2)",
                    "S5         ^FLOAT(13,2)",
                    "Sk5        ^FLOAT(13,2)",
                    "S6         ^FLOAT(13,2)",
                    "Sk6        ^FLOAT(13,2)",
                    "S7         ^FLOAT(13,2)",
                    "Sk7        ^FLOAT(13,2)",
                    "S8         ^FLOAT(13,2)",
                    "Sk8        ^FLOAT(13,2)",
                    "S9         ^FLOAT(13,2)",
                    "Sk9        ^FLOAT(13,2)",
                    "S10        ^FLOAT(13,2)",
                    "Sk10       ^FLOAT(13,2)",
                    "S11        ^FLOAT(13,2)",
                    "Sk11       ^FLOAT(13,2)",
                    "S12        ^FLOAT(13,2)",
                    "Sk12       ^FLOAT(13,2)"});
    AddTable(list, {"Расчеты СГД  [VX_B]  (K5_32.dbf)",
                    "Id         ^CHAR(9)",
                    "Flag       ^CHAR(1)",
                    "SgdSum     ^FLOAT(13,2)",
                    "SkSum      ^FLOAT(13,2)",
                    "Totvic     ^FLOAT(13,2)",
                    "Pfvic      ^FLOAT(13,2)",
                    "Scfb       ^FLOAT(13,2)",
                    "Sufb       ^FLOAT(13,2)",
                    "Scrb       ^FLOAT(13,2)",
                    "Surb       ^FLOAT(13,2)"});
    AddTable(list, {"Расчеты КиН  [VX_B]  (K51_32.dbf)",
                    "Id         ^CHAR(9)",
                    "Flag       ^CHAR(1)",
                    "TotSum     ^FLOAT(13,2)",
                    "Totvic     ^FLOAT(13,2)",
                    "Pfvic      ^FLOAT(13,2)",
                    "Scfb       ^FLOAT(13,2)",
                    "Sufb       ^FLOAT(13,2)",
                    "Scrb       ^FLOAT(13,2)",
                    "Surb       ^FLOAT(13,2)"});
    AddTable(list, {"Расчеты МВ  [VX_B]  (K52_32.dbf)",
                    "Id         ^CHAR(9)",
                    "Flag       ^CHAR(1)",
                    "TotSum     ^FLOAT(13,2)",
                    "Totvic     ^FLOAT(13,2)",
                    "Scrb       ^FLOAT(13,2)",
                    "Surb       ^FLOAT(13,2)"});
    AddTable(list, {"Помнсячный расчет СГД [VX_B]  (K5CU32.dbf)",
                    "Id         ^CHAR(9)",
                    "Scfb1      ^FLOAT(13,2)",
                    "Sufb1      ^FLOAT(13,2)",
                    "Scrb1      ^FLOAT(13,2)",
                    "Surb1      ^FLOAT(13,2)",
                    "Scfb2      ^FLOAT(13,2)",
                    "Sufb2      ^FLOAT(13,2)",
                    "Scrb2      ^FLOAT(13,2)",
                    "Surb2      ^FLOAT(13,2)",
                    "Scfb3      ^FLOAT(13,2)",
                    "Sufb3      ^FLOAT(13,2)",
                    "Scrb3      ^FLOAT(13,2)",
                    "Surb3      ^FLOAT(13,2)",
                    "Scfb4      ^FLOAT(13,2)",
                    "Sufb4      ^FLOAT(13,2)",
                    "Scrb4      ^FLOAT(13,2)",
                    "Surb4      ^FLOAT(13,2)",
                    "Scfb5      ^FLOAT(13,2)",
                    "Sufb5      ^FLOAT(13,2)",
                    "Scrb5      ^FLOAT(13,2)",
                    "Surb5      ^FLOAT(13,2)",
                    "Scfb6      ^FLOAT(13,2)",
                    "Sufb6      ^FLOAT(13,2)",
                    "Scrb6      ^FLOAT(13,2)",
                    "Surb6      ^FLOAT(13,2)",
                    "Scfb7      ^FLOAT(13,2)",
                    "Sufb7      ^FLOAT(13,2)",
                    "Scrb7      ^FLOAT(13,2)",
                    "Surb7      ^FLOAT(13,2)",
                    "Scfb8      ^FLOAT(13,2)",
                    "Sufb8      ^FLOAT(13,2)",
                    "Scrb8      ^FLOAT(13,2)",
                    "Surb8      ^FLOAT(13,2)",
                    "Scfb9      ^FLOAT(13,2)",
                    "Sufb9      ^FLOAT(13,2)",
                    "Scrb9      ^FLOAT(13,2)",
                    "Surb9      ^FLOAT(13,2)",
                    "Scfb10     ^FLOAT(13,2)",
                    "Sufb10     ^FLOAT(13,2)",
                    "Scrb10     ^FLOAT(13,2)",
                    "Surb10     ^FLOAT(13,2)",
                    "Scfb11     ^FLOAT(13,2)",
                    "Sufb11     ^FLOAT(13,2)",
                    "Scrb11     ^FLOAT(13,2)",
                    "Surb11     ^FLOAT(13,2)",
                    "Scfb12     ^FLOAT(13,2)",
                    "Sufb12     ^FLOAT(13,2)",
                    "Scrb12     ^FLOAT(13,2)",
                    "Surb12     ^FLOAT(13,2)"});
    AddTable(list, {"Помнсячный расчет KиН [VX_B]  (K51CU32.dbf)",
                    "Id         ^CHAR(9)",
                    "Scfb1      ^FLOAT(13,2)",
                    "Sufb1      ^FLOAT(13,2)",
                    "Scrb1      ^FLOAT(13,2)",
                    "Surb1      ^FLOAT(13,2)",
                    "Scfb2      ^FLOAT(13,2)",
                    "Sufb2      ^FLOAT(13,2)",
                    "Scrb2      ^FLOAT(13,2)",
                    "Surb2      ^FLOAT(13,2)",
                    "Scfb3      ^FLOAT(13,2)",
                    "Sufb3      ^FLOAT(13,2)",
                    "Scrb3      ^FLOAT(13,2)",
                    "Surb3      ^FLOAT(13,2)",
                    "Scfb4      ^FLOAT(13,2)",
                    "Sufb4      ^FLOAT(13,2)",
                    "Scrb4      ^FLOAT(13,2)",
                    "Surb4      ^FLOAT(13,2)",
                    "Scfb5      ^FLOAT(13,2)",
                    "Sufb5      ^FLOAT(13,2)",
                    "Scrb5      ^FLOAT(13,2)",
                    "Surb5      ^FLOAT(13,2)",
                    "Scfb6      ^FLOAT(13,2)",
                    "Sufb6      ^FLOAT(13,2)",
                    "Scrb6      ^FLOAT(13,2)",
                    "Surb6      ^FLOAT(13,2)",
                    "Scfb7      ^FLOAT(13,2)",
                    "Sufb7      ^FLOAT(13,2)",
                    "Scrb7      ^FLOAT(13,2)",
                    "Surb7      ^FLOAT(13,2)",
                    "Scfb8      ^FLOAT(13,2)",
                    "Sufb8      ^FLOAT(13,2)",
                    "Scrb8      ^FLOAT(13,2)",
                    "Surb8      ^FLOAT(13,2)",
                    "Scfb9      ^FLOAT(13,2)",
                    "Sufb9      ^FLOAT(13,2)",
                    "Scrb9      ^FLOAT(13,2)",
                    "Surb9      ^FLOAT(13,2)",
                    "Scfb10     ^FLOAT(13,2)",
                    "Sufb10     ^FLOAT(13,2)",
                    "Scrb10     ^FLOAT(13,2)",
                    "Surb10     ^FLOAT(13,2)",
                    "Scfb11     ^FLOAT(13,2)",
                    "Sufb11     ^FLOAT(13,2)",
                    "Scrb11     ^FLOAT(13,2)",
                    "Surb11     ^FLOAT(13,2)",
                    "Scfb12     ^FLOAT(13,2)",
                    "Sufb12     ^FLOAT(13,2)",
                    "Scrb12     ^FLOAT(13,2)",
                    "Surb12     ^FLOAT(13,2)"});
    AddTable(list, {"Помнсячный расчет МВ [VX_B]  (K52CU32.dbf)",
                    "Id         ^CHAR(9)",
                    "Scrb1      ^FLOAT(13,2)",
                    "Surb1      ^FLOAT(13,2)",
                    "Scrb2      ^FLOAT(13,2)",
                    "Surb2      ^FLOAT(13,2)",
                    "Scrb3      ^FLOAT(13,2)",
                    "Surb3      ^FLOAT(13,2)",
                    "Scrb4      ^FLOAT(13,2)",
                    "Surb4      ^FLOAT(13,2)",
                    "Scrb5      ^FLOAT(13,2)",
                    "Surb5      ^FLOAT(13,2)",
                    "Scrb6      ^FLOAT(13,2)",
                    "Surb6      ^FLOAT(13,2)",
                    "Scrb7      ^FLOAT(13,2)",
                    "Surb7      ^FLOAT(13,2)",
                    "Scrb8      ^FLOAT(13,2)",
                    "Surb8      ^FLOAT(13,2)",
                    "Scrb9      ^FLOAT(13,2)",
                    "Surb9      ^FLOAT(13,2)",
                    "Scrb10     ^FLOAT(13,2)",
                    "Surb10     ^FLOAT(13,2)",
                    "Scrb11     ^FLOAT(13,2)",
                    "Surb11     ^FLOAT(13,2)",
                    "Scrb12     ^FLOAT(13,2)",
                    "Surb12     ^FLOAT(13,2)"});
    AddTable(list, {"Расчет МВ [VX_B]  (MVC32.dbf)",
                    "Id         ^CHAR(9)",
                    "TotSum0    ^FLOAT(13,2)",
                    "Pcbank0    ^FLOAT(7,3)",
                    "Pcbankd0   ^FLOAT(13,2)",
                    "Pcrfb0     ^FLOAT(7,3)",
                    "Pcrfbd0    ^FLOAT(13,2)",
                    "TotSum1    ^FLOAT(13,2)",
                    "Pcbank1    ^FLOAT(7,3)",
                    "Pcbankd1   ^FLOAT(13,2)",
                    "Pcrfb1     ^FLOAT(7,3)",
                    "Pcrfbd1    ^FLOAT(13,2)",
                    "TotSum2    ^FLOAT(13,2)",
                    "Pcbank2    ^FLOAT(7,3)",
                    "Pcbankd2   ^FLOAT(13,2)",
                    "Pcrfb2     ^FLOAT(7,3)",
                    "Pcrfbd2    ^FLOAT(13,2)",
                    "TotSum3    ^FLOAT(13,2)",
                    "Pcbank3    ^FLOAT(7,3)",
                    "Pcbankd3   ^FLOAT(13,2)",
                    "Pcrfb3     ^FLOAT(7,3)",
                    "Pcrfbd3    ^FLOAT(13,2)",
                    "TotSum4    ^FLOAT(13,2)",
                    "Pcbank4    ^FLOAT(7,3)",
                    "Pcbankd4   ^FLOAT(13,2)",
                    "Pcrfb4     ^FLOAT(7,3)",
                    "Pcrfbd4    ^FLOAT(13,2)",
                    "TotSum5    ^FLOAT(13,2)",
                    "Pcbank5    ^FLOAT(7,3)",
                    "Pcbankd5   ^FLOAT(13,2)",
                    "Pcrfb5     ^FLOAT(7,3)",
                    "Pcrfbd5    ^FLOAT(13,2)",
                    "TotSum6    ^FLOAT(13,2)",
                    "Pcbank6    ^FLOAT(7,3)",
                    "Pcbankd6   ^FLOAT(13,2)",
                    "Pcrfb6     ^FLOAT(7,3)",
                    "Pcrfbd6    ^FLOAT(13,2)",
                    "TotSum7    ^FLOAT(13,2)",
                    "Pcbank7    ^FLOAT(7,3)",
                    "Pcbankd7   ^FLOAT(13,2)",
                    "Pcrfb7     ^FLOAT(7,3)",
                    "Pcrfbd7    ^FLOAT(13,2)",
                    "TotSum8    ^FLOAT(13,2)",
                    "Pcbank8    ^FLOAT(7,3)",
                    "Pcbankd8   ^FLOAT(13,2)",
                    "Pcrfb8     ^FLOAT(7,3)",
                    "Pcrfbd8    ^FLOAT(13,2)",
                    "TotSum9    ^FLOAT(13,2)",
                    "Pcbank9    ^FLOAT(7,3)",
                    "Pcbankd9   ^FLOAT(13,2)",
                    "Pcrfb9     ^FLOAT(7,3)",
                    "Pcrfbd9    ^FLOAT(13,2)",
                    "TotSum10   ^FLOAT(13,2)",
                    "Pcbank10   ^FLOAT(7,3)",
                    "Pcbankd10  ^FLOAT(13,2)",
                    "Pcrfb10    ^FLOAT(7,3)",
                    "Pcrfbd10   ^FLOAT(13,2)",
                    "TotSum11   ^FLOAT(13,2)",
                    "Pcbank11   ^FLOAT(7,3)",
                    "Pcbankd11  ^FLOAT(13,2)",
                    "Pcrfb11    ^FLOAT(7,3)",
                    "Pcrfbd11   ^FLOAT(13,2)",
                    "TotSum12   ^FLOAT(13,2)",
                    "Pcbank12   ^FLOAT(7,3)",
                    "Pcbankd12  ^FLOAT(13,2)",
                    "Pcrfb12    ^FLOAT(7,3)",
                    "Pcrfbd12   ^FLOAT(13,2)",
                    "TotSum13   ^FLOAT(13,2)",
                    "Pcbank13   ^FLOAT(7,3)",
                    "Pcbankd13  ^FLOAT(13,2)",
                    "Pcrfb13    ^FLOAT(7,3)",
                    "Pcrfbd13   ^FLOAT(13,2)",
                    "TotSum14   ^FLOAT(13,2)",
                    "Pcbank14   ^FLOAT(7,3)",
                    "Pcbankd14  ^FLOAT(13,2)",
                    "Pcrfb14    ^FLOAT(7,3)",
                    "Pcrfbd14   ^FLOAT(13,2)"});
    AddTable(list, {"Фактический расчет [VX_B]  (FC32.dbf)",
                    "Id         ^CHAR(9)",
                    "Fbc        ^FLOAT(13,2)",
                    "Fbu        ^FLOAT(13,2)",
                    "Rbc        ^FLOAT(13,2)",
                    "Rbu        ^FLOAT(13,2)"});
    AddTable(list, {"Условн.постоянная информ. [VX_B]  (UPI32.dbf)",
                    "NAORG      ^CHAR(48)",
                    "TipORG     ^INT16(1,0)",
                    "INN        ^CHAR(12)",
                    "KPP        ^CHAR(9)",
                    "AORG       ^CHAR(120)",
                    "DOLJNOTP   ^CHAR(20)",
                    "FIOBUX     ^CHAR(18)",
                    "NAMEBUX    ^CHAR(15)",
                    "OTCBUX     ^CHAR(15)",
                    "TORG       ^CHAR(10)",
                    "KOLSTR     ^INT16(2,0)",
                    "OTSTUP     ^INT16(2,0)",
                    "BEGINNMB   ^INT16(3,0)",
                    "NMBPOS     ^INT16(3,0)",
                    "NOMOUT     ^INT32(6,0)",
                    "GODSVED    ^CHAR(4)",
                    "COMMAND    ^CHAR(45)",
                    "REGISTR    ^CHAR(12)",
                    "ERROR      ^LOG(1)",
                    "REPETE     ^LOG(1)",
                    "COUNTRYREZ ^CHAR(3)",
                    "GNI        ^CHAR(4)",
                    "GNIADR     ^CHAR(100)",
                    "GNITEL     ^CHAR(10)",
                    "EXCFILE    ^INT32(6,0)",
                    "EXCEL      ^INT16(2,0)",
                    "AUTOADR    ^CHAR(100)",
                    "CALC       ^CHAR(12)",
                    "EDIT4INSTR ^CHAR(45)",
                    "Reestrnmb  ^INT16(3,0)",
                    "Fioboss    ^CHAR(35)",
                    "Fioglbuh   ^CHAR(35)",
                    "Doljntest1 ^CHAR(24)",
                    "Fiotest1   ^CHAR(35)",
                    "Doljntest2 ^CHAR(24)",
                    "Fiotest2   ^CHAR(35)"});
    return list;
}

}  // namespace kvzt::schema
