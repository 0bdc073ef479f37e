#pragma once
// Opening the engine's session the way the program and its command line do:
// engine.ini beside the program, then KVZT_ALIAS_<NAME> variables, then the
// NAME=DIR overrides given on the command line.

#include <memory>
#include <string>
#include <vector>

#include "engine/alias_config.h"
#include "engine/session.h"

namespace kvzt::data {

// The directory of the running program (QCoreApplication's when one exists).
std::string ProgramDirectory();
// engine.ini: beside the program, else in the user's configuration folder
// (program_places.h).
std::string EngineIniPath();

// Points VX_B and VX_S at the embedded default database when neither is
// configured: under the folder the program writes to (program_places.h),
// and records that in EngineIniPath(). Throws EngineError(NoConfigFile) when
// no such folder can be made.
void ApplyEmbeddedDefaults(engine::AliasConfig& config);

// A session over the configured aliases. Throws EngineError(InvalidParam)
// for a malformed override.
std::unique_ptr<engine::Session> OpenSession(const std::vector<std::string>& aliasOverrides);

}  // namespace kvzt::data
