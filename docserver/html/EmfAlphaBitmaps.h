#pragma once
// Icons in EMFs (as attached files and embedded objects show them) copy a 32-bit bitmap whose fourth byte is its
// transparency. LibreOffice draws such a copy opaque, so the icon's clear parts come out black; drawn as a blend
// they keep their transparency. Nothing else in the metafile changes.

#include <cstdint>
#include <vector>

// The EMF with each plain copy of a whole 32-bit bitmap that carries transparency made a blend of it; the bytes as
// they were when there is none, or when the records cannot be followed.
std::vector<uint8_t> WithAlphaBitmapsBlended(const std::vector<uint8_t>& emf);
