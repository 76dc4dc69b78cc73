// The two ways the RGB image is recoloured, chosen between by RecolourPlasma;
// declared here so that tests and benchmarks can hold each to the same bytes.
#pragma once

#include <cstdint>

// Eight texels a step in general-purpose registers: any processor, either byte order.
void RecolourPlasmaPortable(std::uint32_t ticks);

// True where the processor has 64-byte table look-ups (AVX-512 VBMI).
bool CanRecolourPlasmaWide();

// 64 texels a step with 64-byte table look-ups; only where CanRecolourPlasmaWide().
void RecolourPlasmaWide(std::uint32_t ticks);
