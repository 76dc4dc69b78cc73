// Preloaded into the demo to make one of its own heap allocations fail: the
// $FAIL_ALLOC_NTH-th request (from 1) that the demo's code makes of malloc or of
// operator new fails as the heap does when it is exhausted: malloc returns null with
// ENOMEM, operator new throws std::bad_alloc. Requests made inside the libraries go
// through. With $FAIL_ALLOC_COUNT_OUT set, the number of the demo's requests is written
// there at exit.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "demo_caller.h"

extern "C" void* __libc_malloc(std::size_t size);

namespace {

long requests = 0;
long failing = 0;  // none

__attribute__((constructor)) void ReadTarget() {
  demo_caller::FromTheDemo(nullptr);  // find the program's range before any call needs it
  if (const char* nth = std::getenv("FAIL_ALLOC_NTH")) {
    failing = std::strtol(nth, nullptr, 10);
  }
}

__attribute__((destructor)) void WriteCount() {
  const char* path = std::getenv("FAIL_ALLOC_COUNT_OUT");
  if (path != nullptr && demo_caller::IsTheDemo()) {
    if (std::FILE* out = std::fopen(path, "w")) {
      std::fprintf(out, "%ld\n", requests);
      std::fclose(out);
    }
  }
}

// Counts a request from the demo's code; true if it is the one to fail.
bool Fails(const void* returnAddress) {
  return demo_caller::FromTheDemo(returnAddress) && ++requests == failing;
}

}  // namespace

extern "C" void* malloc(std::size_t size) {
  if (Fails(__builtin_return_address(0))) {
    errno = ENOMEM;
    return nullptr;
  }
  return __libc_malloc(size);
}

void* operator new(std::size_t size) {
  if (Fails(__builtin_return_address(0))) {
    throw std::bad_alloc();
  }
  if (void* block = __libc_malloc(size)) {
    return block;
  }
  throw std::bad_alloc();
}
