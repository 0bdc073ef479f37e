// Writes made-up source files of an earlier version for the import:
//
//   kvzt-sample-import --kind 2|3 [--persons N] [--statements-per-person K]
//                      [--lines-per-statement L] [--seed S] DIR
//   kvzt-sample-import --kind 2|3 --small DIR
//
// Kind 2 writes the DOS 2.* files (spisok, doxod, vicet, object), kind 3 the
// Windows 3.2 ones (spisok32, svbase32, doxod22, vicet22, nh22 with their
// .mdx); layouts in source_writers.h. N people (default 50), each with up
// to K statements (default 2; the DOS version holds one at most, so for kind
// 2 only K = 0 or not matters) of about L income lines (default 5). The same
// arguments give the same bytes. --small writes the committed small set of
// the kind (samples/import/win32 or dos2).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "samples/import/sample_people.h"
#include "samples/import/sample_sets.h"
#include "samples/import/source_writers.h"

namespace {

int usage() {
    std::fputs("usage: kvzt-sample-import --kind 2|3 [--persons N] [--statements-per-person K]\n"
               "                          [--lines-per-statement L] [--seed S] DIR\n"
               "       kvzt-sample-import --kind 2|3 --small DIR\n",
               stderr);
    return 2;
}

// A whole number in [lo, hi], or nothing.
bool readNumber(const char* text, long lo, long hi, long& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return *end == '\0' && out >= lo && out <= hi;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kvzt::samples;
    long kind = 0;
    bool small = false;
    PeopleOptions options;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        long n = 0;
        if (arg == "--small") {
            small = true;
        } else if (arg == "--kind") {
            if (!readNumber(value, 2, 3, kind)) return usage();
            ++i;
        } else if (arg == "--persons") {
            if (!readNumber(value, 0, 10'000'000, n)) return usage();
            options.persons = int(n);
            ++i;
        } else if (arg == "--statements-per-person") {
            if (!readNumber(value, 0, 100, n)) return usage();
            options.statementsPerPerson = int(n);
            ++i;
        } else if (arg == "--lines-per-statement") {
            if (!readNumber(value, 0, 1000, n)) return usage();
            options.linesPerStatement = int(n);
            ++i;
        } else if (arg == "--seed") {
            if (!readNumber(value, 0, 2'147'483'647L, n)) return usage();
            options.seed = std::uint32_t(n);
            ++i;
        } else if (!arg.empty() && arg[0] != '-' && dir.empty()) {
            dir = arg;
        } else {
            return usage();
        }
    }
    if (kind == 0 || dir.empty()) return usage();
    if (kind == 2) {
        options.year = 1999;
        // One statement at most, so that NomDok numbers run without gaps.
        options.statementsPerPerson = std::min(options.statementsPerPerson, 1);
    }

    try {
        auto writer = kind == 2 ? MakeDos2Writer(dir) : MakeWin32Writer(dir);
        int persons = 0, statements = 0;
        auto add = [&](const Person& p) {
            writer->add(p);
            ++persons;
            statements += kind == 2 ? (p.statements.empty() ? 0 : 1) : int(p.statements.size());
        };
        if (small) {
            for (const Person& p : kind == 2 ? SmallDos2Set() : SmallWin32Set()) add(p);
        } else {
            PeopleGenerator generator(options);
            for (int i = 0; i < options.persons; ++i) add(generator.next());
        }
        writer->finish();
        std::printf("%s: %d taxpayers, %d statements\n", dir.c_str(), persons, statements);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kvzt-sample-import: %s\n", e.what());
        return 1;
    }
    return 0;
}
