#include "shared/library/common/AnsiText.h"
#include "shared/library/common/WinApi.h"

#include <climits>

namespace Velmar {

bool toAnsi(std::u16string_view wide, std::string& out) {
  if (wide.empty()) {
    out.clear();
    return true;
  }
  // ASCII, which most names and paths are, is the same in every ANSI code page:
  // it is copied in place, without asking the system twice.
  bool ascii = true;
  for (char16_t c : wide) ascii = ascii && c < 0x80;
  if (ascii) {
    out.assign(wide.begin(), wide.end());
    return true;
  }
  if (wide.size() > static_cast<std::size_t>(INT_MAX)) return false;
  // wchar_t is UTF-16 on Windows.
  const auto* source = reinterpret_cast<const wchar_t*>(wide.data());
  const int length = static_cast<int>(wide.size());
  // WC_NO_BEST_FIT_CHARS: a character without an exact byte is reported through
  // `usedDefault` instead of being replaced by a look-alike that would name
  // another file. Code pages 65000 and up refuse both arguments; the host's ANSI
  // code page is never one of them.
  BOOL usedDefault = FALSE;
  const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, source, length, nullptr, 0,
                                         nullptr, &usedDefault);
  if (size <= 0 || usedDefault) return false;
  std::string text(static_cast<std::size_t>(size), '\0');
  usedDefault = FALSE;
  const int written = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, source, length,
                                            text.data(), size, nullptr, &usedDefault);
  if (written != size || usedDefault) return false;
  out = std::move(text);
  return true;
}

bool fromAnsi(const std::string& text, std::u16string& out) {
  if (text.empty()) {
    out.clear();
    return true;
  }
  if (text.size() > static_cast<std::size_t>(INT_MAX)) return false;
  const int length = static_cast<int>(text.size());
  const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (size <= 0) return false;
  std::u16string wide(static_cast<std::size_t>(size), u'\0');
  if (::MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(wide.data()),
                            size) != size) {
    return false;
  }
  out = std::move(wide);
  return true;
}

}  // namespace Velmar
