#include "vrax/ListingCommands.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "cmdkit/CLIError.h"
#include "vrax/LSWrappers.h"
#include "vrax/Output.h"

namespace vrax {

namespace {

struct FreeDeleter {
  void operator()(utf8proc_uint8_t* text) const { std::free(text); }
};

// The NFC form of the text; the text itself when it is ASCII (already normal) or not
// valid UTF-8. In UTF-8, byte order is code-point order, so sorted NFC forms are
// sorted by code points.
std::string sortKey(const std::string& text) {
  bool ascii = std::all_of(text.begin(), text.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return text;
  std::unique_ptr<utf8proc_uint8_t, FreeDeleter> normal(
      utf8proc_NFC(reinterpret_cast<const utf8proc_uint8_t*>(text.c_str())));
  if (!normal || text.find('\0') != std::string::npos) return text;
  return reinterpret_cast<const char*>(normal.get());
}

void printPairs(const std::map<std::string, std::string>& map) {
  auto text = formatPairs(sortedPairs(map));
  *text += '\n';
  writeStandardOutput(*text);
}

}  // namespace

std::vector<Pair> sortedPairs(const std::map<std::string, std::string>& map) {
  // Sorted by normal form; two keys with one normal form stay in a fixed order, by
  // their own bytes.
  std::vector<std::pair<std::string, Pair>> keyed;
  keyed.reserve(map.size());
  for (const auto& entry : map) keyed.emplace_back(sortKey(entry.first), entry);
  std::sort(keyed.begin(), keyed.end());
  std::vector<Pair> sorted;
  sorted.reserve(keyed.size());
  for (auto& entry : keyed) sorted.push_back(std::move(entry.second));
  return sorted;
}

std::optional<std::string> formatPairs(const std::optional<std::vector<Pair>>& pairs) {
  if (!pairs) return std::nullopt;
  std::size_t size = 0;
  for (const auto& [key, value] : *pairs) size += key.size() + value.size() + 5;
  std::string text;
  text.reserve(size + 1);  // and the caller's last line feed
  for (const auto& [key, value] : *pairs) {
    text += key;
    text += "\t\t\t\t";
    text += value;
    text += '\n';
  }
  return text;
}

ListingCommand::ListingCommand(std::string name, std::string signature,
                               std::string shortDescription)
    : name_(std::move(name)),
      signature_(std::move(signature)),
      shortDescription_(std::move(shortDescription)) {}

void GetApps::execute(const cmdkit::CommandArguments& /*arguments*/) {
  auto applications = LSWrappers::copyAllApps();
  if (!applications) {
    throw cmdkit::CLIError::error(
        "Veltrane ERROR: Couldn't generate the list of installed applications.");
  }
  // One line per application, made once at its full size: a listing of thousands is
  // never held twice.
  std::size_t size = 0;
  for (const auto& path : *applications) size += path.size() + 1;
  std::string text;
  text.reserve(size);
  for (const auto& path : *applications) {
    text += path;
    text += '\n';
  }
  writeStandardOutput(text.empty() ? std::string_view("\n") : std::string_view(text));
}

void GetSchemes::execute(const cmdkit::CommandArguments& /*arguments*/) {
  auto schemes = LSWrappers::Schemes::copySchemesAndHandlers();
  if (!schemes) {
    throw cmdkit::CLIError::error("Veltrane ERROR: Couldn't generate list of URI Schemes.");
  }
  printPairs(*schemes);
}

void GetUTIs::execute(const cmdkit::CommandArguments& /*arguments*/) {
  printPairs(LSWrappers::UTType::copyAllUTIs());
}

}  // namespace vrax
