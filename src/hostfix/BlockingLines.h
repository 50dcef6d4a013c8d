// Which lines of a host file keep away the hosts that a page needs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace veltrim::hostfix {

// For each of `hosts` (ASCII, lower case, without a trailing dot), the number, from 1, of the
// first line of the host file `bytes` that names it, or 0 where none does. Names are compared
// as the repair compares them, but only the host itself counts, not the names under it: this
// says which line keeps each host away, not which lines the repair of a domain would touch. A
// UTF-16 file is not made of single-byte lines and names none.
std::vector<std::size_t> FirstLinesNaming(std::string_view bytes,
                                          const std::vector<std::string>& hosts);

}  // namespace veltrim::hostfix
