#pragma once
// Whether some program has a top-level window with a given title, whatever
// its window class: start-up uses it to refuse working while the host
// program or its version modifier is open.

#include <QString>

#include <memory>

namespace kvzt::app {

class TopWindowFinder {
public:
    virtual ~TopWindowFinder() = default;
    // True when a top-level window's title equals `exactTitle` exactly.
    virtual bool topLevelWindowExists(const QString& exactTitle) = 0;
};

// The finder of this platform. On X11 `display` names the X display (empty:
// the DISPLAY variable); without a display the finder reports false.
std::unique_ptr<TopWindowFinder> makeTopWindowFinder(const QString& display = {});

// Through the platform's finder.
bool topLevelWindowExists(const QString& exactTitle);

}  // namespace kvzt::app
