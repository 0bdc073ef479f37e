#pragma once
// File names as the host writes them mix letter cases (K7Socr.dbf, SPISOK32.DBF);
// on a case-sensitive file system we find them whatever the case.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvzt::engine {

// The path of the entry of `directory` whose name equals `name` ignoring ASCII
// letter case (an exact match wins); nothing when there is none.
std::optional<std::string> findFileNoCase(const std::string& directory, std::string_view name);

// Names of the entries of `directory` that start with `prefix` (exact case).
std::vector<std::string> namesStartingWith(const std::string& directory, std::string_view prefix);

// `name` with ".DBF" added when it has no extension.
std::string withDbfExtension(std::string_view name);
// The same name with its extension replaced by ".mdx" in the letter case of
// the original extension ("K7Socr.dbf" → "K7Socr.mdx", "SPISOK32.DBF" → "SPISOK32.MDX").
std::string mdxNameFor(std::string_view dbfName);
// Directory part of a path, without the trailing separator.
std::string directoryOf(std::string_view path);
std::string fileNameOf(std::string_view path);
std::string joinPath(std::string_view directory, std::string_view name);

}  // namespace kvzt::engine
