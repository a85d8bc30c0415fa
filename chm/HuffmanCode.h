#pragma once
// Length-limited canonical prefix codes, as the compressed section's blocks use them.
#include <cstdint>
#include <vector>

// Code lengths (0 for unused symbols), none longer than maxLength. Whenever any symbol is used the code is
// complete, because decoders reject incomplete trees: a lone symbol gets a partner of the same length.
std::vector<uint8_t> BuildCodeLengths(const std::vector<uint32_t>& frequencies, int maxLength);

// Canonical codes for the lengths: shorter codes first, equal lengths in symbol order.
std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths);
