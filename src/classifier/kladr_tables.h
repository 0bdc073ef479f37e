#pragma once
// The five classifier tables the run fills and empties (alias VX_S), with
// the tag each is walked on and the names shown in status texts.

#include <array>

namespace kvzt::classifier {

struct KladrTable {
    const char* file;     // K2RAI …
    const char* tag;      // the tag the run opens it on
    const char* caption;  // in status texts: "Районы" …
};

inline constexpr const char* kKladrAlias = "VX_S";

inline constexpr KladrTable kRai{"K2RAI", "KODRRX", "Районы"};
inline constexpr KladrTable kTow{"K3TOW", "REGTOWX", "Города"};
inline constexpr KladrTable kNas{"K4NAS", "REGNASX", "Нас. пункты"};
inline constexpr KladrTable kUli{"K5ULI", "RRTNNMX", "Улицы"};
inline constexpr KladrTable kDom{"K6DOM", "CODEX", "Дома"};

// In the order they are emptied and their indexes rebuilt.
inline constexpr std::array<KladrTable, 5> kKladrTables{kRai, kTow, kNas, kUli, kDom};

}  // namespace kvzt::classifier
