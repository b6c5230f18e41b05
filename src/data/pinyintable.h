#pragma once

#include <cstddef>
#include <cstdint>

// The table generated at build time from the Unicode Han database: code points in ascending
// order and, at the same index, the initials of their readings (bits 0-25 for 'a'-'z', bits 27-31
// the letter of the most common reading).
namespace zu::pinyin {

extern const std::uint32_t kCodePoints[];
extern const std::uint32_t kInitials[];
extern const std::size_t kCount;

} // namespace zu::pinyin
