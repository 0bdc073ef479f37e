#pragma once
// The toolkit's own texts (file dialog, message-box buttons) in Russian:
// qtbase_ru from the "translations" folder beside the program, which the
// program ships, or else from the system's Qt translations.

class QString;
class QTranslator;

namespace kvzt::app {

// Loads qtbase_ru into `translator`, looking in `programDir`/translations
// first; false when neither place has it.
bool LoadToolkitTranslation(QTranslator& translator, const QString& programDir);

}  // namespace kvzt::app
