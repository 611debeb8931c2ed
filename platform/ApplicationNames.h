// Which installed application a user means by a name. Desktop entries often share a
// Name or a program: a suite installs hidden helper entries beside its main one
// (okularApplication_pdf.desktop is "Okular" too, thunar-bulk-rename.desktop runs
// thunar), so the first match in folder order is rarely the one meant.
//
// The candidates are ranked, best first:
//   1. the desktop file ID equals the text, ignoring letter case, with or without its
//      ".desktop" suffix ("Thunar" is thunar.desktop);
//   2. the untranslated Name equals the text;
//   3. the Name of the current language (Name[de_DE], Name[de], ...) equals the text;
//   4. the file name of the program Exec starts equals the text.
// Texts are compared ignoring letter case, and precomposed and decomposed spellings of a
// letter are the same. Within one rank an entry shown in menus (not NoDisplay, and shown
// in the current desktop by OnlyShowIn and NotShowIn) comes before a hidden one, then an
// entry whose Exec passes no options of its own before one that does, then the earlier
// in precedence order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Applications.h"

namespace platform {

struct NamingContext {
  // XDG_CURRENT_DESKTOP, split at ':' (any letter case).
  std::vector<std::string> desktops;
  // The locale keys of the current language, best first ("de_DE@euro", "de_DE", "de").
  std::vector<std::string> languages;
};

// The installed application the text names; null when none does. installed holds the
// candidates in precedence order.
const Application* applicationNamed(std::string_view text,
                                    const std::vector<const Application*>& installed,
                                    const NamingContext& context);

// Whether an entry appears in the menus of the current desktops: not NoDisplay, and
// allowed by OnlyShowIn and NotShowIn (the first current desktop either list names
// decides; with none named, an entry with OnlyShowIn is not shown).
bool isShownIn(const Application& application, const std::vector<std::string>& desktops);

// Whether the Exec value passes options of its own to the program: an argument after
// the program that starts with '-' (other than "-" and "--").
bool execPassesOptions(std::string_view exec);

// The locale keys to look up translations by, best first, for the message language of
// the environment: the entries of LANGUAGE (when a locale is set), then the locale of
// LC_ALL, LC_MESSAGES or LANG (the first set), each as lang_COUNTRY@MODIFIER,
// lang_COUNTRY, lang@MODIFIER and lang (the encoding dropped). None for the C locale.
std::vector<std::string> localeKeys(const char* language, const char* lcAll, const char* lcMessages,
                                    const char* lang);

}  // namespace platform
