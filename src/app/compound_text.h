#pragma once
// Decoding of the X11 COMPOUND_TEXT encoding (an ISO 2022 subset) in which
// older programs set their window titles (WM_NAME). Understood:
//   - the initial state: ASCII on the left half, Latin-1 on the right;
//   - ESC ( B and ESC ( J: ASCII to the left half;
//   - ESC - F: a 96-character set to the right half, F being A (Latin-1),
//     L (ISO 8859-5, Cyrillic) or another part of ISO 8859 whose letters we
//     do not need; those decode as U+FFFD so no title matches by accident;
//   - ESC % G … ESC % @: a UTF-8 segment;
//   - ESC % / 1 M L name STX bytes: an extended segment, decoded for
//     "microsoft-cp1251", "microsoft-cp866" and "iso8859-5";
//   - direction marks (CSI 1 ], CSI 2 ], CSI ]), which are dropped.
// Multibyte sets (ESC $ …) and anything malformed make the text undecodable.

#include <QByteArray>
#include <QString>

#include <optional>

namespace kvzt::app {

std::optional<QString> DecodeCompoundText(const QByteArray& bytes);

}  // namespace kvzt::app
