#pragma once
// Value data as the tests seed, read and compare it.
#include <cstdint>
#include <vector>

namespace klangrid::test {

using Bytes = std::vector<std::uint8_t>;

}  // namespace klangrid::test
