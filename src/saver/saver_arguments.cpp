// Reading a saver's host's arguments: no window system, only the words.
#include "saver/saver_arguments.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

// A window number as hosts write it, decimal or 0x-hex, whole and nonzero.
std::optional<std::uint64_t> ReadWindowNumber(const char* text) {
  if (text == nullptr || *text == '\0' || *text == '-' || *text == '+' ||
      std::isspace(static_cast<unsigned char>(*text))) {
    return std::nullopt;
  }
  char* end = nullptr;
  errno = 0;
  const unsigned long long number = std::strtoull(text, &end, 0);
  if (errno != 0 || *end != '\0' || number == 0) {
    return std::nullopt;
  }
  return number;
}

bool IsWindowIdFlag(const char* arg) {
  return std::strcmp(arg, "-window-id") == 0 || std::strcmp(arg, "--window-id") == 0;
}

bool IsRootFlag(const char* arg) {
  return std::strcmp(arg, "-root") == 0 || std::strcmp(arg, "--root") == 0;
}

HackWindow NamedWindow(const char* text) {
  if (const std::optional<std::uint64_t> id = ReadWindowNumber(text)) {
    return {HackWindow::kNamed, *id};
  }
  return {HackWindow::kMalformed, 0};
}

}  // namespace

HackWindow ReadHackWindow(int argc, const char* const argv[], const char* environmentWindow) {
  bool root = false;
  for (int i = 1; i < argc; ++i) {
    if (IsWindowIdFlag(argv[i])) {
      return NamedWindow(i + 1 < argc ? argv[i + 1] : nullptr);
    }
    root = root || IsRootFlag(argv[i]);
  }
  if (environmentWindow != nullptr && *environmentWindow != '\0') {
    return NamedWindow(environmentWindow);
  }
  return {root ? HackWindow::kRoot : HackWindow::kOwn, 0};
}

WindowsSaverRequest ReadWindowsSaverRequest(int argc, const char* const argv[]) {
  constexpr WindowsSaverRequest kMalformed{WindowsSaverRequest::kMalformed, 0};
  if (argc < 2) {
    return {WindowsSaverRequest::kSettings, 0};
  }
  const char* arg = argv[1];
  if ((arg[0] != '/' && arg[0] != '-') || arg[1] == '\0') {
    return kMalformed;
  }
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
  // The window comes after a colon in the same argument, or as the next argument.
  const char* window = arg[2] == ':' ? arg + 3 : (arg[2] == '\0' && argc > 2 ? argv[2] : nullptr);
  if (arg[2] != '\0' && arg[2] != ':') {
    return kMalformed;
  }
  const std::optional<std::uint64_t> number = ReadWindowNumber(window);
  switch (letter) {
    case 's':
      return {WindowsSaverRequest::kShow, 0};
    case 'p':
      return number ? WindowsSaverRequest{WindowsSaverRequest::kPreview, *number} : kMalformed;
    case 'c':
      return {WindowsSaverRequest::kSettings, number.value_or(0)};
    default:
      return kMalformed;
  }
}
