// The plasma texture: palette, field, recolouring, and the texture that shows them.
#pragma once

#include <cstdint>

// Fills the palette with a seamless cyclic ramp: blue, green, red, yellow, blue.
void BuildPalette();

// Fills the index map and, through the palette, the RGB image with the full plasma
// or, when stupid, with plain horizontal bands; then clears every 32nd row of the
// index map, leaving the RGB image as it is.
void GeneratePlasma(bool stupid);

// Rebuilds the whole RGB image from the index map, every index shifted by ticks
// modulo 256 through the palette.
void RecolourPlasma(std::uint32_t ticks);

// Creates and binds the run's one texture and uploads the RGB image to it.
void CreatePlasmaTexture();

// Recolours the RGB image at the current millisecond and uploads it again.
void CyclePlasmaColours();
