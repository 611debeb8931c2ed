#include "platform/ApplicationNames.h"

#include <utf8proc.h>

#include <array>
#include <cstdlib>
#include <memory>

#include "platform/DesktopExec.h"
#include "platform/MimeDatabase.h"

namespace platform {
namespace {

constexpr std::string_view kSuffix = ".desktop";

// The text case-folded and canonically composed, so that comparing two folded texts
// ignores letter case and the spelling of accented letters; ASCII letters lowercased
// alone when the text is not valid UTF-8.
std::string folded(std::string_view text) {
  bool ascii = true;
  for (const unsigned char c : text) ascii = ascii && c < 0x80;
  if (ascii) return lowercase(text);
  utf8proc_uint8_t* out = nullptr;
  const auto options =
      static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD);
  const utf8proc_ssize_t length =
      utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                   static_cast<utf8proc_ssize_t>(text.size()), &out, options);
  const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(out, &std::free);
  if (length < 0) return lowercase(text);
  return std::string(reinterpret_cast<const char*>(owned.get()), static_cast<std::size_t>(length));
}

std::string_view baseName(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool listsDesktop(const std::vector<std::string>& list, std::string_view desktop) {
  for (const std::string& item : list) {
    if (lowercase(item) == lowercase(desktop)) return true;
  }
  return false;
}

enum Rank { kById, kByName, kByLocalizedName, kByProgram, kNoMatch };

Rank rankOf(const Application& application, const std::string& wanted) {
  const std::string id = folded(application.id);
  if (wanted == id ||
      (id.ends_with(kSuffix) && wanted == id.substr(0, id.size() - kSuffix.size()))) {
    return kById;
  }
  if (!application.name.empty() && folded(application.name) == wanted) return kByName;
  if (!application.localizedName.empty() && folded(application.localizedName) == wanted) {
    return kByLocalizedName;
  }
  const std::string_view program = baseName(application.program);
  if (!program.empty() && folded(program) == wanted) return kByProgram;
  return kNoMatch;
}

// Appends the locale keys of one locale name (lang_COUNTRY.ENCODING@MODIFIER).
void addLocaleKeys(std::string_view locale, std::vector<std::string>& keys) {
  std::string_view modifier;
  if (const std::size_t at = locale.find('@'); at != std::string_view::npos) {
    modifier = locale.substr(at);
    locale = locale.substr(0, at);
  }
  if (const std::size_t dot = locale.find('.'); dot != std::string_view::npos) {
    locale = locale.substr(0, dot);
  }
  std::string_view lang = locale;
  std::string_view country;
  if (const std::size_t underscore = locale.find('_'); underscore != std::string_view::npos) {
    lang = locale.substr(0, underscore);
    country = locale.substr(underscore);
  }
  if (lang.empty()) return;
  const auto add = [&](std::string key) {
    for (const std::string& known : keys) {
      if (known == key) return;
    }
    keys.push_back(std::move(key));
  };
  if (!country.empty() && !modifier.empty())
    add(std::string(lang) + std::string(country) + std::string(modifier));
  if (!country.empty()) add(std::string(lang) + std::string(country));
  if (!modifier.empty()) add(std::string(lang) + std::string(modifier));
  add(std::string(lang));
}

}  // namespace

bool isShownIn(const Application& application, const std::vector<std::string>& desktops) {
  if (application.noDisplay) return false;
  for (const std::string& desktop : desktops) {
    if (listsDesktop(application.onlyShowIn, desktop)) return true;
    if (listsDesktop(application.notShowIn, desktop)) return false;
  }
  return application.onlyShowIn.empty();
}

bool execPassesOptions(std::string_view exec) {
  const auto argv = parseExec(exec);
  if (!argv) return false;
  for (std::size_t i = 1; i < argv->size(); ++i) {
    const std::string& argument = (*argv)[i];
    if (argument.size() > 1 && argument.front() == '-' && argument != "--") return true;
  }
  return false;
}

const Application* applicationNamed(std::string_view text,
                                    const std::vector<const Application*>& installed,
                                    const NamingContext& context) {
  if (text.empty()) return nullptr;
  const std::string wanted = folded(text);
  const Application* best = nullptr;
  // Lower is better: rank, then hidden, then passing options; ties keep the earlier.
  std::array<int, 3> bestKey{kNoMatch, 0, 0};
  for (const Application* application : installed) {
    const Rank rank = rankOf(*application, wanted);
    if (rank == kNoMatch || rank > bestKey[0]) continue;
    const std::array<int, 3> key{rank, isShownIn(*application, context.desktops) ? 0 : 1,
                                 execPassesOptions(application->exec) ? 1 : 0};
    if (best == nullptr || key < bestKey) {
      best = application;
      bestKey = key;
    }
  }
  return best;
}

std::vector<std::string> localeKeys(const char* language, const char* lcAll, const char* lcMessages,
                                    const char* lang) {
  std::string_view locale;
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value != nullptr && *value != '\0') {
      locale = value;
      break;
    }
  }
  std::vector<std::string> keys;
  if (locale.empty() || locale == "C" || locale.starts_with("C.") || locale == "POSIX") {
    return keys;
  }
  // LANGUAGE lists the languages to try, best first; it counts only beside a locale.
  if (language != nullptr) {
    std::string_view list = language;
    while (!list.empty()) {
      const std::size_t colon = list.find(':');
      addLocaleKeys(list.substr(0, colon), keys);
      if (colon == std::string_view::npos) break;
      list.remove_prefix(colon + 1);
    }
  }
  addLocaleKeys(locale, keys);
  return keys;
}

}  // namespace platform
