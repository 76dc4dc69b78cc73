// Preloaded into the demo to make one allocation fail: the first malloc of exactly
// $FAIL_MALLOC_SIZE bytes returns null with ENOMEM; every other call goes through.
#include <cerrno>
#include <cstddef>
#include <cstdlib>

extern "C" void* __libc_malloc(std::size_t size);

namespace {
bool failed = false;
}

extern "C" void* malloc(std::size_t size) {
  if (!failed) {
    const char* target = std::getenv("FAIL_MALLOC_SIZE");
    if (target != nullptr && std::strtoul(target, nullptr, 10) == size) {
      failed = true;
      errno = ENOMEM;
      return nullptr;
    }
  }
  return __libc_malloc(size);
}
