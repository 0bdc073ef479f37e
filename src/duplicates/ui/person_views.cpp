#include "duplicates/ui/person_views.h"

#include <QCoreApplication>

#include "duplicates/ui/person_view.h"

namespace kvzt::duplicates::ui {

namespace {

TfmIFLData* imported = nullptr;
TfmSFLData* stored = nullptr;

// Windows have no parent here; they go when the application goes.
void destroyViews() {
    delete stored;
    stored = nullptr;
    delete imported;
    imported = nullptr;
}

void createViews() {
    if (imported) return;
    imported = new TfmIFLData;
    stored = new TfmSFLData;
    qAddPostRoutine(destroyViews);
}

}  // namespace

TfmIFLData& fmIFLData() {
    createViews();
    return *imported;
}

TfmSFLData& fmSFLData() {
    createViews();
    return *stored;
}

void ClosePersonViews() {
    if (!imported) return;
    imported->hide();
    stored->hide();
}

}  // namespace kvzt::duplicates::ui
