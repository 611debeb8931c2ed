#include "cmdkit/OptionRegistry.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>

#include "cmdkit/Text.h"

namespace cmdkit {
namespace {

// Descriptions start at least at this column.
constexpr long kMinimumUsageColumnWidth = 40;

}  // namespace

OptionGroup::OptionGroup(std::string name, bool required, bool conflicting)
    : name_(std::move(name)), required_(required), conflicting_(conflicting) {}

const std::string& OptionGroup::name() const { return name_; }
void OptionGroup::setName(std::string name) { name_ = std::move(name); }
bool OptionGroup::required() const { return required_; }
void OptionGroup::setRequired(bool required) { required_ = required; }
bool OptionGroup::conflicting() const { return conflicting_; }
void OptionGroup::setConflicting(bool conflicting) { conflicting_ = conflicting; }
std::size_t OptionGroup::hashValue() const { return std::hash<std::string>{}(name()); }

Option::Option(std::vector<std::string> names, const std::string& usage,
               const std::optional<std::string>& valueSignature, bool required, bool conflicting,
               std::string group)
    : required_(required),
      conflicting_(conflicting),
      group_(std::move(group)),
      options_(std::move(names)) {
  usage_ = join(options_, ", ");
  if (valueSignature) usage_ += " " + *valueSignature;
  usage_ += kSpacingPlaceholder;
  usage_ += usage;
}

std::string Option::namesColumn() const {
  return usage_.substr(0, usage_.find(kSpacingPlaceholder));
}

std::string Option::description() const {
  const std::size_t placeholder = usage_.find(kSpacingPlaceholder);
  if (placeholder == std::string::npos) return std::string();
  return usage_.substr(placeholder + kSpacingPlaceholder.size());
}

OptionRegistry::OptionRegistry() {
  groups_.push_back(std::make_shared<OptionGroup>(std::string(kDefaultGroupName), false, false));
}

const OptionRegistry::OptionList& OptionRegistry::options() const { return options_; }

const OptionRegistry::GroupSet& OptionRegistry::groups() const { return groups_; }

void OptionRegistry::setGroups(GroupSet groups) {
  GroupSet unique;
  for (std::shared_ptr<OptionGroup>& group : groups) {
    if (!group) continue;
    const bool known = std::any_of(unique.begin(), unique.end(),
                                   [&](const auto& kept) { return *kept == *group; });
    if (!known) unique.push_back(std::move(group));
  }
  groups_ = std::move(unique);
}

std::shared_ptr<OptionGroup> OptionRegistry::group(const std::string& name) const {
  for (const std::shared_ptr<OptionGroup>& group : groups()) {
    if (group->name() == name) return group;
  }
  return nullptr;
}

OptionRegistry::OptionList OptionRegistry::summaries(bool byRequired) const {
  const auto flagOf = [byRequired](bool required, bool conflicting) {
    return byRequired ? required : conflicting;
  };
  OptionList summaries;
  for (const std::shared_ptr<OptionGroup>& group : groups()) {
    if (!flagOf(group->required(), group->conflicting())) continue;
    std::vector<std::string> names;
    for (const std::shared_ptr<Option>& option : options()) {
      if (flagOf(option->required(), option->conflicting()) && option->group() == group->name()) {
        names.insert(names.end(), option->options().begin(), option->options().end());
      }
    }
    summaries.push_back(std::make_shared<Option>(std::move(names), "", std::nullopt,
                                                 group->required(), group->conflicting(),
                                                 group->name()));
  }
  return summaries;
}

OptionRegistry::OptionList OptionRegistry::requiredGroupOptions() const { return summaries(true); }

OptionRegistry::OptionList OptionRegistry::conflictingGroupOptions() const {
  return summaries(false);
}

long OptionRegistry::usageColumnWidth() const {
  long width = kMinimumUsageColumnWidth;
  for (const std::shared_ptr<OptionGroup>& group : groups()) {
    for (const std::shared_ptr<Option>& option : options()) {
      if (option->group() == group->name()) {
        width = std::max(width, characterCount(option->namesColumn()));
      }
    }
  }
  return width;
}

const std::map<std::string, FlagAction>& OptionRegistry::flagBlocks() const { return flagBlocks_; }

const std::map<std::string, KeyAction>& OptionRegistry::keyBlocks() const { return keyBlocks_; }

const std::vector<std::string>& OptionRegistry::exitEarlyOptions() const {
  return exitEarlyOptions_;
}

void OptionRegistry::setExitEarlyOptions(std::vector<std::string> names) {
  exitEarlyOptions_ = std::move(names);
}

void OptionRegistry::addGroup(const std::string& name, bool required, bool conflicting) {
  // Declaring an unnamed group or a group twice is a mistake in the command's code.
  if (name.empty() || group(name)) std::abort();
  groups_.push_back(std::make_shared<OptionGroup>(name, required, conflicting));
}

std::shared_ptr<OptionGroup> OptionRegistry::declaredGroup(const std::vector<std::string>& names,
                                                           const std::string& group) const {
  // Options without a name or in an undeclared group are mistakes in the command's code.
  std::shared_ptr<OptionGroup> found = names.empty() ? nullptr : this->group(group);
  if (!found) std::abort();
  return found;
}

void OptionRegistry::addFlags(const std::vector<std::string>& names, const std::string& usage,
                              const std::string& group, FlagAction action) {
  const std::shared_ptr<OptionGroup> declared = declaredGroup(names, group);
  options_.push_back(std::make_shared<Option>(names, usage, std::nullopt, declared->required(),
                                              declared->conflicting(), group));
  // Every name shares the one action.
  for (std::size_t i = 0; i + 1 < names.size(); ++i) flagBlocks_[names[i]] = action;
  flagBlocks_[names.back()] = std::move(action);
}

void OptionRegistry::addKeys(const std::vector<std::string>& names, const std::string& usage,
                             const std::string& valueSignature, const std::string& group,
                             KeyAction action) {
  const std::shared_ptr<OptionGroup> declared = declaredGroup(names, group);
  options_.push_back(std::make_shared<Option>(names, usage, "<" + valueSignature + ">",
                                              declared->required(), declared->conflicting(),
                                              group));
  for (std::size_t i = 0; i + 1 < names.size(); ++i) keyBlocks_[names[i]] = action;
  keyBlocks_[names.back()] = std::move(action);
}

}  // namespace cmdkit
