#pragma once
// The toolkit's own texts (file dialog, message-box buttons) in Russian:
// qtbase_ru from the "translations" folder among the program's data (beside
// it, or share/kvzt when installed), which the program ships, or else from
// the system's Qt translations.

class QString;
class QTranslator;

namespace kvzt::app {

// Loads qtbase_ru into `translator`, looking in `dataDir`/translations
// first; false when neither place has it.
bool LoadToolkitTranslation(QTranslator& translator, const QString& dataDir);

}  // namespace kvzt::app
