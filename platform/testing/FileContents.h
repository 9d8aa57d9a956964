#pragma once

// A whole file's bytes, read or written at once: what tests compare with what a library wrote,
// and how they lay down the input a library is to read. Binary throughout (no line-end
// translation); a file that cannot be opened reads as empty.
//
// Header only, like TempFolder.h, so that any test binary can use it.

#include <fstream>
#include <iterator>
#include <string>

namespace uitest {

inline std::string ReadWholeFile(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

// Makes or replaces the file with exactly Bytes.
inline void WriteWholeFile(const std::string& Path, const std::string& Bytes)
{
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << Bytes;
}

} // namespace uitest
