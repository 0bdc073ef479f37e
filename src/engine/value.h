#pragma once
// A field value crossing the engine's API. Text is UTF-8.

#include <cstdint>
#include <string>
#include <variant>

#include "engine/date.h"

namespace kvzt::engine {

using Value = std::variant<std::monostate, std::string, std::int64_t, double, bool, Date>;

}  // namespace kvzt::engine
