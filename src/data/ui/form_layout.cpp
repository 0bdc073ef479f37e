#include "data/ui/form_layout.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QTableView>
#include <QVariant>
#include <QWidget>

#include "data/layout_codec.h"
#include "data/settings_file.h"
#include "data/text_helpers.h"

namespace kvzt::data {

namespace {

const QString kForms = QStringLiteral("FORMS");
const QString kGrids = QStringLiteral("GRIDS");

QString fieldOf(const QAbstractItemModel* model, int section) {
    const QString name = model->headerData(section, Qt::Horizontal, FieldNameRole).toString();
    return name.isEmpty() ? model->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString() : name;
}

}  // namespace

int WidgetTag(const QWidget* widget) {
    const QVariant tag = widget->property("tag");
    bool ok = false;
    const int value = tag.toInt(&ok);
    return ok ? value : 0;
}

void LoadFormLayout(QWidget* window, const SettingsFile& settings) {
    if (window->objectName().isEmpty()) return;
    const auto layout =
        DecodeFormLayout(settings.readString(kForms, KeyName(window->objectName(), WidgetTag(window))));
    if (!layout) return;
    switch (layout->state) {
    case 0:
        window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        window->move(layout->left, layout->top);
        if (layout->width > 0 && layout->height > 0) window->resize(layout->width, layout->height);
        break;
    case 1:
        window->setWindowState((window->windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
        break;
    default:
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        break;
    }
}

void SaveFormLayout(const QWidget* window, SettingsFile& settings) {
    if (window->objectName().isEmpty()) return;
    FormLayout layout;
    const Qt::WindowStates state = window->windowState();
    layout.state = state.testFlag(Qt::WindowMinimized)   ? int(WindowState::Minimised)
                   : state.testFlag(Qt::WindowMaximized) ? int(WindowState::Maximised)
                                                         : int(WindowState::Normal);
    // Position of the frame and size of the window's inside: what move() and
    // resize() take back. A minimised or maximised window keeps its normal bounds.
    const QRect normal = layout.state == int(WindowState::Normal) || !window->normalGeometry().isValid()
                             ? QRect(window->pos(), window->size())
                             : window->normalGeometry();
    layout.top = normal.top();
    layout.left = normal.left();
    layout.height = normal.height();
    layout.width = normal.width();
    settings.writeString(kForms, KeyName(window->objectName(), WidgetTag(window)), EncodeFormLayout(layout));
}

void LoadGridLayout(QTableView* grid, const SettingsFile& settings) {
    QAbstractItemModel* model = grid->model();
    if (grid->objectName().isEmpty() || !model) return;
    const auto columns = DecodeGridLayout(grid->objectName(), WidgetTag(grid),
                                          [&](const QString& key) { return settings.readString(kGrids, key); });
    if (!columns) return;
    QHeaderView* header = grid->horizontalHeader();
    int target = 0;
    for (const GridColumn& column : *columns) {
        if (target >= header->count()) break;
        int logical = -1;
        for (int section = 0; section < header->count(); ++section) {
            if (header->visualIndex(section) >= target &&
                fieldOf(model, section).compare(column.field, Qt::CaseInsensitive) == 0) {
                logical = section;
                break;
            }
        }
        if (logical < 0) continue;  // a column the grid no longer has
        header->moveSection(header->visualIndex(logical), target);
        if (column.width > 0) header->resizeSection(logical, column.width);
        if (!column.title.isEmpty()) model->setHeaderData(logical, Qt::Horizontal, column.title, Qt::DisplayRole);
        ++target;
    }
}

void SaveGridLayout(const QTableView* grid, SettingsFile& settings) {
    const QAbstractItemModel* model = grid->model();
    if (grid->objectName().isEmpty() || !model) return;
    const QHeaderView* header = grid->horizontalHeader();
    QList<GridColumn> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        columns.append(GridColumn{fieldOf(model, logical), header->sectionSize(logical),
                                  model->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString()});
    }
    for (const GridEntry& entry : EncodeGridLayout(grid->objectName(), WidgetTag(grid), columns)) {
        settings.writeString(kGrids, entry.key, entry.value);
    }
}

void LoadFormLayout(QWidget* window) {
    if (const SettingsFile* s = CurrentSettings()) LoadFormLayout(window, *s);
}

void SaveFormLayout(const QWidget* window) {
    if (SettingsFile* s = CurrentSettings()) SaveFormLayout(window, *s);
}

void LoadGridLayout(QTableView* grid) {
    if (const SettingsFile* s = CurrentSettings()) LoadGridLayout(grid, *s);
}

void SaveGridLayout(const QTableView* grid) {
    if (SettingsFile* s = CurrentSettings()) SaveGridLayout(grid, *s);
}

}  // namespace kvzt::data
