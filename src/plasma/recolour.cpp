// Colour cycling on the CPU: the index map through the palette, shifted by the clock.
// It runs every frame over 262,144 texels, so the palette is first rotated by the clock
// once, and the texels are then done many at a time: 64 with one byte look-up
// instruction per 128 entries where the processor has one, else eight at a time in
// 64-bit words. Both write exactly the bytes of the plain per-texel loop.
#include "plasma/recolour.h"

#include <bit>
#include <cstring>

#include "plasma/plasma.h"
#include "plasma/plasma_image.h"

// The wide way needs x86-64 and the GCC/Clang extensions for choosing instructions per
// function and asking the processor what it has.
#if defined(__x86_64__) && defined(__GNUC__)
#define PLASMA_HAS_WIDE_WAY 1
#include <immintrin.h>
#endif

namespace {

constexpr int kNarrowGroup = 8;  // texels a step: 24 bytes, three whole 64-bit words

// The word with its bytes in the opposite order: halves, then quarters, then bytes swapped,
// which GCC and Clang compile into their one byte-swapping instruction.
constexpr std::uint64_t ReverseBytes(std::uint64_t word) {
  word = word << 32 | word >> 32;
  word = (word & 0x0000FFFF0000FFFFu) << 16 | (word >> 16 & 0x0000FFFF0000FFFFu);
  return (word & 0x00FF00FF00FF00FFu) << 8 | (word >> 8 & 0x00FF00FF00FF00FFu);
}

static_assert(ReverseBytes(0x0102030405060708u) == 0x0807060504030201u);

// Stores a word with its lowest byte first, whatever the processor's byte order.
void StoreLowByteFirst(std::uint8_t* out, std::uint64_t word) {
  if constexpr (std::endian::native == std::endian::big) {
    word = ReverseBytes(word);
  }
  std::memcpy(out, &word, sizeof word);
}

}  // namespace

void RecolourPlasmaPortable(std::uint32_t ticks) {
  // The rotated palette, each entry packed as red | green << 8 | blue << 16.
  std::uint64_t rotated[kPaletteEntries];
  for (int index = 0; index < kPaletteEntries; ++index) {
    const std::uint8_t* entry = palette[(index + ticks) & 0xFFu];
    rotated[index] = entry[0] | entry[1] << 8 | entry[2] << 16;
  }
  const std::uint8_t* in = indexMap;
  std::uint8_t* out = rgbImage;
  for (std::size_t texel = 0; texel < kTexelCount; texel += kNarrowGroup) {
    std::uint64_t c[kNarrowGroup];
    for (int i = 0; i < kNarrowGroup; ++i) {
      c[i] = rotated[in[i]];
    }
    // The 24 bytes as three words, red of texel 0 in the lowest byte. Three separate
    // stores, not one 24-byte copy through the stack, which would stall on store forwarding.
    StoreLowByteFirst(out, c[0] | c[1] << 24 | c[2] << 48);
    StoreLowByteFirst(out + 8, c[2] >> 16 | c[3] << 8 | c[4] << 32 | c[5] << 56);
    StoreLowByteFirst(out + 16, c[5] >> 8 | c[6] << 16 | c[7] << 40);
    in += kNarrowGroup;
    out += 3 * kNarrowGroup;
  }
}

#if defined(PLASMA_HAS_WIDE_WAY)

namespace {

constexpr int kWideGroup = 64;  // texels a step: one 64-byte register of indices

// For output register part (0, 1, 2) and byte p: which texel of the group it belongs to,
// as a look-up into the red register (0 ... 63) or, for green bytes, the green one (64 ...).
struct Interleave {
  std::uint8_t redGreen[3][kWideGroup];
  std::uint8_t blue[3][kWideGroup];
  std::uint64_t blueBytes[3];  // bit p set where byte p is a blue byte
};

constexpr Interleave MakeInterleave() {
  Interleave table{};
  for (int part = 0; part < 3; ++part) {
    for (int p = 0; p < kWideGroup; ++p) {
      const int byte = kWideGroup * part + p;
      const int texel = byte / 3;
      const int channel = byte % 3;
      table.redGreen[part][p] = static_cast<std::uint8_t>(channel == 1 ? kWideGroup + texel : texel);
      table.blue[part][p] = static_cast<std::uint8_t>(texel);
      if (channel == 2) {
        table.blueBytes[part] |= std::uint64_t{1} << p;
      }
    }
  }
  return table;
}

constexpr Interleave kInterleave = MakeInterleave();

#define PLASMA_WIDE_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// One channel of 64 texels: bit 7 of each index picks the upper or lower 128 entries.
PLASMA_WIDE_TARGET inline __m512i LookUp(const __m512i quarters[4], __m512i indices) {
  const __m512i lower = _mm512_permutex2var_epi8(quarters[0], indices, quarters[1]);
  const __m512i upper = _mm512_permutex2var_epi8(quarters[2], indices, quarters[3]);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(indices), lower, upper);
}

}  // namespace

bool CanRecolourPlasmaWide() {
  static const bool supported = __builtin_cpu_supports("avx512f") &&
                                __builtin_cpu_supports("avx512bw") &&
                                __builtin_cpu_supports("avx512vbmi");
  return supported;
}

PLASMA_WIDE_TARGET void RecolourPlasmaWide(std::uint32_t ticks) {
  // The rotated palette, one plane of 256 bytes a channel, in four registers each.
  alignas(64) std::uint8_t planes[3][kPaletteEntries];
  for (int index = 0; index < kPaletteEntries; ++index) {
    for (int channel = 0; channel < 3; ++channel) {
      planes[channel][index] = palette[(index + ticks) & 0xFFu][channel];
    }
  }
  __m512i quarters[3][4];
  for (int channel = 0; channel < 3; ++channel) {
    for (int q = 0; q < 4; ++q) {
      quarters[channel][q] = _mm512_load_si512(planes[channel] + kWideGroup * q);
    }
  }
  __m512i redGreen[3];
  __m512i blue[3];
  for (int part = 0; part < 3; ++part) {
    redGreen[part] = _mm512_loadu_si512(kInterleave.redGreen[part]);
    blue[part] = _mm512_loadu_si512(kInterleave.blue[part]);
  }
  const std::uint8_t* in = indexMap;
  std::uint8_t* out = rgbImage;
  for (std::size_t texel = 0; texel < kTexelCount; texel += kWideGroup) {
    const __m512i indices = _mm512_loadu_si512(in);
    const __m512i r = LookUp(quarters[0], indices);
    const __m512i g = LookUp(quarters[1], indices);
    const __m512i b = LookUp(quarters[2], indices);
    for (int part = 0; part < 3; ++part) {
      const __m512i rg = _mm512_permutex2var_epi8(r, redGreen[part], g);
      const __m512i rgb = _mm512_mask_permutexvar_epi8(rg, kInterleave.blueBytes[part], blue[part], b);
      _mm512_storeu_si512(out + kWideGroup * part, rgb);
    }
    in += kWideGroup;
    out += 3 * kWideGroup;
  }
}

#else

bool CanRecolourPlasmaWide() { return false; }

void RecolourPlasmaWide(std::uint32_t ticks) { RecolourPlasmaPortable(ticks); }

#endif

void RecolourPlasma(std::uint32_t ticks) {
  if (CanRecolourPlasmaWide()) {
    RecolourPlasmaWide(ticks);
  } else {
    RecolourPlasmaPortable(ticks);
  }
}
