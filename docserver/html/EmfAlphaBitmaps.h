#pragma once
// Icons in EMFs (as attached files and embedded objects show them) draw a 32-bit bitmap whose fourth byte is its
// transparency. LibreOffice draws it opaque, so the icon's clear parts come out black, when the bitmap is copied
// (rather than blended) or gives its colours by masks; a blend of a plain-coloured bitmap keeps its transparency.
// Nothing else in the metafile changes.

#include <cstdint>
#include <vector>

// The EMF with each plain copy of a whole 32-bit bitmap that carries transparency made a blend of it, and each blend
// of a bitmap with masked colours given plain ones; the bytes as they were when there is none, or when the records
// cannot be followed.
std::vector<uint8_t> WithAlphaBitmapsBlended(const std::vector<uint8_t>& emf);
