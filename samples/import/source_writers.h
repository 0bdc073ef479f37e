#pragma once
// Writers of earlier-version source files from sample people.
//
// DOS 2.* (dBase III, code page 866, language-driver byte 0, no index), one
// statement at most per person, kept in the person's own list record:
//   spisok.dbf: FAM C(25) NAME C(20) OTC C(20) DATEROG D DOK C(40) INN C(12)
//               MESTO C(1) STATUS C(1) ADRES C(120) NOMDOK N(6) NOM N(6)
//               PERIOD C(12) OSH C(20) NOSIT C(8) SGDSUM N(12,2) SGDOBL N(12,2)
//               SGDIS SGDUD KOEFSUM KOEFOBL KOEFIS KOEFUD VIGSUM VIGOBL VIGIS
//               VIGUD SUMGNI N(10,2) S1 … S12 N(12,2) DSVED D DATAVID D
//   doxod.dbf:  NOM N(6) KOD C(4) SUM N(11) KSK C(2) SK N(11)
//   vicet.dbf:  NOM N(6) KOD C(2) SUM N(10,2)
//   object.dbf: NOM N(6) OBJECT C(150)
// DOK is "<kind name>, <number>"; ADRES is ten comma-separated items:
// country name, postal index, region name and its type word ("Московская
// обл"), district, city, locality, street, house, building, flat.
//
// Windows 3.2 (code page 1251): spisok32, svbase32, doxod22, vicet22, nh22
// in the host's catalogue layouts with their catalogue tags (.mdx). ADRES is
// the structured address (item 1 left empty, the country being in STRCODE).
//
// File names are lower case, as the import looks for them. Every file is
// stamped with a fixed date (file_date_stamp.h).

#include <memory>
#include <string>
#include <vector>

#include "samples/import/file_date_stamp.h"
#include "samples/import/sample_people.h"

namespace kvzt::engine {
class Database;
class Table;
}  // namespace kvzt::engine

namespace kvzt::samples {

inline constexpr StampDate kDos2FileDate{2000, 2, 15};
inline constexpr StampDate kWin32FileDate{2003, 3, 31};

// The DOS 2.* texts of a person.
std::string DosDocumentText(const Person& p);
std::string DosAddressText(const Address& a);
// The structured address of the current layout.
std::string StructuredAddress(const Address& a);

class SourceWriter {
public:
    virtual ~SourceWriter() = default;
    virtual void add(const Person& person) = 0;
    // Closes the tables (building the indexes of a Win 3.2 source) and stamps the files.
    virtual void finish() = 0;
};

std::unique_ptr<SourceWriter> MakeDos2Writer(const std::string& dir);
std::unique_ptr<SourceWriter> MakeWin32Writer(const std::string& dir);

// Removes the files of those names from `dir` whatever the letter case of
// their names, so that no stale index of an earlier run is left beside a new table.
void RemoveSourceFiles(const std::string& dir, const std::vector<std::string>& names);

// The file names each kind writes, .dbf first, lower case.
std::vector<std::string> Dos2SourceFiles();
std::vector<std::string> Win32SourceFiles();

}  // namespace kvzt::samples
