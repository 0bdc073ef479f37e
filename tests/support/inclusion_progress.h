#pragma once
// An inclusion's progress for tests: remembers the gauge and stops the run
// once the gauge reaches `stopAt` (0: never).

#include "duplicates/inclusion_run.h"

namespace kvzt::test {

class InclusionProgressDouble final : public duplicates::InclusionProgress {
public:
    void setMaximum(int m) override { maximum = m; }
    void setPosition(int p) override { position = p; }
    bool cancelled() override { return stopAt > 0 && position >= stopAt; }

    int maximum = -1;
    int position = 0;
    int stopAt = 0;
};

}  // namespace kvzt::test
