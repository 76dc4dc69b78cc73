// Tells the demo's own calls from those that SDL, Mesa or the C++ library make on its
// behalf, by where the call returns to: the preloaded test helpers act on the former only,
// and not at all in the processes that wrap the demo (a tracer, a timer), which inherit
// the preload too.
#pragma once

#include <link.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace demo_caller {

struct Range {
  std::uintptr_t begin = 0;
  std::uintptr_t end = 0;
};

// The loaded segments of the main program, which the dynamic linker reports first.
inline int NoteMainProgram(dl_phdr_info* info, std::size_t, void* data) {
  auto* range = static_cast<Range*>(data);
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type == PT_LOAD) {
      const std::uintptr_t begin = info->dlpi_addr + segment.p_vaddr;
      const std::uintptr_t end = begin + segment.p_memsz;
      range->begin = range->begin == 0 || begin < range->begin ? begin : range->begin;
      range->end = end > range->end ? end : range->end;
    }
  }
  return 1;  // the main program only
}

// True in the demo's process, or the screen saver's built from the same run.
inline bool IsTheDemo() {
  return std::strcmp(program_invocation_short_name, "plasma-tunnel") == 0 ||
         std::strcmp(program_invocation_short_name, "plasma-tunnel-saver") == 0;
}

// True when a call returning to this address was made by the demo's own code.
inline bool FromTheDemo(const void* returnAddress) {
  static const Range demo = [] {
    Range range;
    if (IsTheDemo()) {
      dl_iterate_phdr(NoteMainProgram, &range);
    }
    return range;
  }();
  const auto address = reinterpret_cast<std::uintptr_t>(returnAddress);
  return address >= demo.begin && address < demo.end;
}

}  // namespace demo_caller
