#pragma once
// Program-wide flags shared between the main window and the parts it starts.

namespace kvzt::data {

// Set by the import when it set taxpayers aside as duplicates of stored ones.
inline bool SpisDblFound = false;
// Set by the import when it set income statements aside as duplicates.
inline bool SvedDblFound = false;
// Set when the user confirmed the host launch; read when the main window closes.
inline bool RunHostOnExit = false;

}  // namespace kvzt::data
