#include "import/source_layouts.h"

#include <vector>

#include "engine/errors.h"
#include "engine/table.h"

namespace kvzt::import {

namespace {

using Fields = std::vector<const char*>;

Fields fieldsOf(SourceTable which) {
    switch (which) {
    case SourceTable::DosList:
        return {"FAM",    "NAME",   "OTC",    "DATEROG", "DOK",    "Inn",    "MESTO",   "STATUS", "ADRES",
                "NomDok", "Nom",    "Period", "OSH",     "NOSIT",  "SGDSum", "SGDObl",  "SGDIs",  "SGDUd",
                "KOEFSUM", "KOEFOBL", "KOEFIs", "KOEFUD", "VigSum", "VigObl", "VigIs",   "VigUd",  "SumGni",
                "S1",     "S2",     "S3",     "S4",      "S5",     "S6",     "S7",      "S8",     "S9",
                "S10",    "S11",    "S12",    "DSVED",   "DATAVID"};
    case SourceTable::DosIncome:
        return {"Nom", "Kod", "Sum", "Ksk", "Sk"};
    case SourceTable::DosDeductions:
        return {"Nom", "Kod", "Sum"};
    case SourceTable::DosObjects:
        return {"Nom", "Object"};
    case SourceTable::DosDocuments:
        return {"D_Middle", "D_Code"};
    case SourceTable::DosCountries:
        return {"NAME", "KOD"};
    case SourceTable::DosRegions:
        return {"NAME", "KodReg"};
    case SourceTable::WinList:
        return {"Nom",       "FAM",    "NAME",    "OTC",   "DATEROG", "DKOD",  "DNOM",      "InnFL", "GNI",
                "IsSprav",   "JOBSTATUS", "STATUS", "STRCODE", "Adres", "DOLJN", "DATADOLJN", "TABNMB"};
    case SourceTable::WinStatements:
        return {"Id",         "IdDok",     "Nom",       "FIO",       "MES",        "JOBSTATUS", "SGDSUM",
                "OBLAGSUM",   "ISCHDOHSUM", "UDSUM",    "KOEFSUM",   "KOEFOBL",    "ISCHKOESUM", "KOEFUD",
                "TOTSUMMAT",  "OBLSUMMAT", "ISCHSUMMAT", "UDSUMMAT", "SUMNALINSP", "ISDOHSUMR", "UDSUMR",
                "ISKOESUMR",  "KOEFUDR",   "ISSUMMATR", "UDSUMMATR", "SUMNALGNIR", "SUMVOZVR",  "SUMVOZVRR",
                "OSNNOTPAY",  "DSVED",     "DATAVID",   "ERROR",     "NOSIT",      "SOVDOH1",   "SOVDOH2",
                "SOVDOH3",    "SOVDOH4",   "SOVDOH5",   "SOVDOH6",   "SOVDOH7",    "SOVDOH8",   "SOVDOH9",
                "SOVDOH10",   "SOVDOH11",  "SOVDOH12",  "REESTRNMB", "TSVED"};
    case SourceTable::WinIncome:
        return {"Id", "Kod", "Sum", "KodSk", "SK"};
    case SourceTable::WinDeductions:
        return {"Id", "Kod", "Sum"};
    case SourceTable::WinObjects:
        return {"Id", "Name"};
    }
    return {};
}

}  // namespace

void RequireSourceFields(engine::Table& table, SourceTable which) {
    for (const char* field : fieldsOf(which)) {
        if (table.fieldIndex(field) >= 0) continue;
        throw engine::EngineError(engine::code::NoSuchField,
                                  "В файле " + table.tableName() + " нет поля " + field +
                                      ": файл другой версии программы \"Таксант\" или не её файл");
    }
}

}  // namespace kvzt::import
