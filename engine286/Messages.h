#pragma once

// The texts of the errors the engine throws when stored data fails a check: a row, an index
// object, the row chain or a reference that a damaged or hostile file cannot have. They are the
// messages callers see (and tests and applications match on), so each is written once, here,
// and spelt exactly as it has always been.
namespace dbMessages {

inline constexpr const char* corruptRow = "Row is corrupted";
inline constexpr const char* corruptIndex = "Index object is corrupted";
inline constexpr const char* corruptChain = "Row chain is corrupted";
inline constexpr const char* invalidReference = "Invalid object reference";
inline constexpr const char* corruptDefinition = "Database file was corrupted: invalid table definition";

} // namespace dbMessages
