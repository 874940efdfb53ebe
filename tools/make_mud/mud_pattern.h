// The mud pattern: a tileable colour field of wet earth built from value noise.
#pragma once

#include <cstdint>
#include <vector>

// Fills width x height RGB triples (row after row, 3 bytes per pixel). The same seed gives the
// same picture on every machine: only integer hashing and float arithmetic in a fixed order.
std::vector<std::uint8_t> MakeMudPattern(int width, int height, std::uint32_t seed);
