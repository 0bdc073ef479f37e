#pragma once
// The small committed source sets (samples/import/win32 and dos2), made so
// that importing the Win 3.2 set into an empty database and then the DOS 2.*
// set meets every kind of duplicate (see README.md beside this file).

#include <vector>

#include "samples/import/sample_people.h"

namespace kvzt::samples {

std::vector<Person> SmallWin32Set();
std::vector<Person> SmallDos2Set();

}  // namespace kvzt::samples
