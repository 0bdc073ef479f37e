#pragma once

namespace kvzt::engine {

// Options of a new tag. The host's tags are all ascending and not unique.
struct IndexOptions {
    bool unique = false;
    bool descending = false;
};

}  // namespace kvzt::engine
