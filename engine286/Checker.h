#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An independent consistency check of a database file's committed state. It reads the file
// with plain reads, never through the engine, and never changes it.
//
// Errors: anything that makes the committed state unusable or lets two objects share space
// (bad header, index entries outside the file, objects in space the bitmap calls free,
// overlaps, broken row lists or free chain). Warnings: space the bitmap claims that nothing
// uses (a leak).
struct dbCheckReport {
    std::vector<std::string> errors;
    std::vector<std::string> warnings;
    std::uint32_t liveObjects = 0;
    std::uint32_t tables = 0;
    std::uint32_t rows = 0;
    bool dirty = false;

    bool clean() const { return errors.empty() && warnings.empty(); }
    std::string text() const;
};

dbCheckReport dbCheckFile(const std::string& fileName);
