#include "cmdkit/UsageStatementGenerator.h"

#include <algorithm>
#include <utility>

#include "cmdkit/Command.h"
#include "cmdkit/OptionRegistry.h"
#include "cmdkit/Text.h"

namespace cmdkit {
namespace {

struct ShownGroup {
  std::string name;
  bool required;
};

// Required groups by name, then the other groups by name, then "options" (never shown
// as required).
std::vector<ShownGroup> shownGroups(const OptionRegistry& registry) {
  std::vector<ShownGroup> required;
  std::vector<ShownGroup> other;
  for (const std::shared_ptr<OptionGroup>& group : registry.groups()) {
    if (group->name() == kDefaultGroupName) continue;
    (group->required() ? required : other).push_back({group->name(), group->required()});
  }
  const auto byName = [](const ShownGroup& a, const ShownGroup& b) { return a.name < b.name; };
  std::sort(required.begin(), required.end(), byName);
  std::sort(other.begin(), other.end(), byName);
  required.insert(required.end(), other.begin(), other.end());
  required.push_back({std::string(kDefaultGroupName), false});
  return required;
}

std::string_view firstName(const Option& option) {
  return option.options().empty() ? std::string_view() : std::string_view(option.options().front());
}

}  // namespace

std::string DefaultUsageStatementGenerator::makeUsageStatement(const Command& command,
                                                               const OptionRegistry* registry) {
  std::string statement = command.usageLine();
  if (registry == nullptr || registry->options().empty()) return statement + "     (no options)\n";
  if (registry->groups().empty()) return statement;

  const std::vector<ShownGroup> groups = shownGroups(*registry);
  for (const ShownGroup& group : groups) {
    statement += group.required ? " <" + group.name + ">" : " [" + group.name + "]";
  }
  statement += "\n";

  const long width = registry->usageColumnWidth();
  for (const ShownGroup& group : groups) {
    statement += group.required ? "\n<" + group.name + ">" : "\n[" + group.name + "]";
    std::vector<std::shared_ptr<Option>> options;
    for (const std::shared_ptr<Option>& option : registry->options()) {
      if (option->group() == group.name) options.push_back(option);
    }
    std::stable_sort(options.begin(), options.end(),
                     [](const auto& a, const auto& b) { return firstName(*a) < firstName(*b); });
    for (const std::shared_ptr<Option>& option : options) {
      const std::string padding = spaces(width - characterCount(option->namesColumn()));
      std::string usage = option->usage();
      for (std::size_t at = usage.find(kSpacingPlaceholder); at != std::string::npos;
           at = usage.find(kSpacingPlaceholder, at + padding.size())) {
        usage.replace(at, kSpacingPlaceholder.size(), padding);
      }
      statement += "\n" + usage;
    }
    statement += "\n";
  }
  return statement;
}

}  // namespace cmdkit
