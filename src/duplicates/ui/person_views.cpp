#include "duplicates/ui/person_views.h"

#include <QCoreApplication>
#include <QWidget>

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

namespace {

// setParent forgets a window's place; the views keep theirs.
void setOwner(QWidget* view, QWidget* owner) {
    if (view->parentWidget() == owner) return;
    const QPoint place = view->pos();
    view->setParent(owner, view->windowFlags() | Qt::Window);
    view->move(place);
}

}  // namespace

void AttachPersonViews(QWidget* review) {
    createViews();
    setOwner(imported, review);
    setOwner(stored, review);
}

void DetachPersonViews() {
    if (!imported) return;
    ClosePersonViews();
    setOwner(imported, nullptr);
    setOwner(stored, nullptr);
}

}  // namespace kvzt::duplicates::ui
