// The DOS 2.* address turned into the structured one, without the run
// around it: every item of the ten keeps its place, the last (the flat)
// included.

#include <gtest/gtest.h>

#include "import/dos_person_conversion.h"
#include "import/dos_reference_books.h"

using kvzt::import::ConvertDosAddress;
using kvzt::import::DosReferenceBooks;

namespace {
QString u(const char* text) { return QString::fromUtf8(text); }
}  // namespace

TEST(DosAddress, HomeAddressKeepsEveryItemUpToTheFlat) {
    const DosReferenceBooks none;  // no regions known: the code becomes "00"
    EXPECT_EQ(ConvertDosAddress(u("Россия, 123456, Тверская обл, Район, Город, Пункт, Улица, 7, 2, 15"), true, none),
              u(",  123456,  00,  Район,  Город,  Пункт,  Улица,  7,  2,  15"));
    // Only a flat after blank items, with blanks around it.
    EXPECT_EQ(ConvertDosAddress(u(",,,,,,,,,  15а "), true, none), u(",  ,  00,  ,  ,  ,  ,  ,  ,  15а"));
    // Items past the tenth are not part of the layout.
    EXPECT_EQ(ConvertDosAddress(u(",1,,,,,,,,10,11"), true, none), u(",  1,  00,  ,  ,  ,  ,  ,  ,  10"));
}
