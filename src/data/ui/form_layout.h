#pragma once
// Window and grid layouts kept in the settings file (FORMS and GRIDS).
//
// The key is the widget's objectName() followed by its tag: windows and grids
// carry the tag as the dynamic property "tag" (int, 0 when absent), so a
// window that serves several modes keeps one layout per mode.
//
// Grids are QTableViews whose model names each column's field through
// headerData(section, Qt::Horizontal, FieldNameRole); the title is the
// header's display text and is set back through setHeaderData.

#include <Qt>

class QTableView;
class QWidget;

namespace kvzt::data {

class SettingsFile;

// The header role through which a grid's model names a column's field.
inline constexpr int FieldNameRole = Qt::UserRole + 100;

// The widget's "tag" property; 0 when it has none.
int WidgetTag(const QWidget* widget);

// Stored state 0 gives the normal state and then position and size; 1
// minimises; any other state maximises without applying the stored bounds.
// Nothing happens when no layout is stored or the stored text is unreadable.
void LoadFormLayout(QWidget* window, const SettingsFile& settings);
// Throws SettingsWriteError when the file cannot be written.
void SaveFormLayout(const QWidget* window, SettingsFile& settings);

// Applies a stored column order (by field name), widths and titles; columns
// the stored layout does not name stay behind the named ones.
void LoadGridLayout(QTableView* grid, const SettingsFile& settings);
void SaveGridLayout(const QTableView* grid, SettingsFile& settings);

// The same through the program's open settings file; nothing when none is open.
void LoadFormLayout(QWidget* window);
void SaveFormLayout(const QWidget* window);
void LoadGridLayout(QTableView* grid);
void SaveGridLayout(const QTableView* grid);

}  // namespace kvzt::data
