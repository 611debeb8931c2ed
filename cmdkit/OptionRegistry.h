// The catalogue of the options one command accepts during one run. CLI::go creates a
// fresh OptionRegistry for the chosen command, lets the command declare its options on
// it (setupOptions), adds the help flags, and hands it to the option parser, which looks
// option arguments up here and runs the actions stored here. The usage statement and the
// misuse message read the same registry to lay out their text.
//
// Options are declared in named groups. A required group wants at least one of its
// options on the command line, a conflicting group at most one; a group that is both
// wants exactly one. A new registry holds the group "options" (neither), the default
// group for ordinary options.
//
// Declaration mistakes (an empty or duplicate group name, an undeclared group, an empty
// name list) are programming errors in the command and stop the process at once.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cmdkit {

// Separates an option's names column from its description in Option::usage(); the
// usage statement and the misuse report replace it with alignment spaces.
inline constexpr std::string_view kSpacingPlaceholder = "__SPACING_PLACEHOLDER__";
// The name of the group every registry starts with.
inline constexpr std::string_view kDefaultGroupName = "options";

class OptionGroup {
 public:
  OptionGroup(std::string name, bool required, bool conflicting);
  virtual ~OptionGroup() = default;

  virtual const std::string& name() const;
  virtual void setName(std::string name);
  virtual bool required() const;
  virtual void setRequired(bool required);
  virtual bool conflicting() const;
  virtual void setConflicting(bool conflicting);
  // The hash of the name alone: groups are identified by name.
  virtual std::size_t hashValue() const;

  // Groups are equal when their names are.
  bool operator==(const OptionGroup& other) const { return name() == other.name(); }

 private:
  std::string name_;
  bool required_;
  bool conflicting_;
};

// One declared flag or key, immutable. usage() is the names joined with ", ", then " "
// and the value signature for a key, then kSpacingPlaceholder, then the usage text.
class Option {
 public:
  Option(std::vector<std::string> names, const std::string& usage,
         const std::optional<std::string>& valueSignature, bool required, bool conflicting,
         std::string group);

  // The flags of its group at the moment of declaration.
  bool required() const { return required_; }
  bool conflicting() const { return conflicting_; }
  const std::string& group() const { return group_; }
  // The names in declaration order.
  const std::vector<std::string>& options() const { return options_; }
  const std::string& usage() const { return usage_; }

  // The part of usage() before the first placeholder.
  std::string namesColumn() const;
  // The part of usage() after the first placeholder.
  std::string description() const;

 private:
  bool required_;
  bool conflicting_;
  std::string group_;
  std::vector<std::string> options_;
  std::string usage_;
};

using FlagAction = std::function<void()>;
using KeyAction = std::function<void(const std::string&)>;

class OptionRegistry {
 public:
  using OptionList = std::vector<std::shared_ptr<Option>>;
  // Unique by name; a registry never holds two groups of one name.
  using GroupSet = std::vector<std::shared_ptr<OptionGroup>>;

  OptionRegistry();
  virtual ~OptionRegistry() = default;
  OptionRegistry(const OptionRegistry&) = delete;
  OptionRegistry& operator=(const OptionRegistry&) = delete;

  // Every declared option, in declaration order.
  virtual const OptionList& options() const;
  virtual const GroupSet& groups() const;
  // Replaces the groups; of several groups with one name only the first is kept.
  virtual void setGroups(GroupSet groups);
  // The group of that name (exact comparison), or null.
  virtual std::shared_ptr<OptionGroup> group(const std::string& name) const;
  // One summary option per required group: the names of the group's options that were
  // declared while the group was required, with the group's name and flags.
  virtual OptionList requiredGroupOptions() const;
  // The largest of 40 and the character counts of all names columns.
  virtual long usageColumnWidth() const;
  // As requiredGroupOptions, for conflicting groups.
  virtual OptionList conflictingGroupOptions() const;
  virtual const std::map<std::string, FlagAction>& flagBlocks() const;
  virtual const std::map<std::string, KeyAction>& keyBlocks() const;
  // Names whose appearance ends option parsing with exitEarly (the help flags).
  virtual const std::vector<std::string>& exitEarlyOptions() const;
  virtual void setExitEarlyOptions(std::vector<std::string> names);

  // Declares a group. Fatal if `name` is empty or a group of that name exists.
  virtual void addGroup(const std::string& name, bool required, bool conflicting);
  // Declares flags sharing one action. Fatal if `names` is empty or `group` undeclared.
  // A name declared again gets the later action; both Options stay listed.
  virtual void addFlags(const std::vector<std::string>& names, const std::string& usage,
                        const std::string& group, FlagAction action);
  // Declares keys that take a value, shown as "<valueSignature>". Fatal as addFlags.
  virtual void addKeys(const std::vector<std::string>& names, const std::string& usage,
                       const std::string& valueSignature, const std::string& group,
                       KeyAction action);

 private:
  OptionList summaries(bool byRequired) const;
  std::shared_ptr<OptionGroup> declaredGroup(const std::vector<std::string>& names,
                                             const std::string& group) const;

  OptionList options_;
  GroupSet groups_;
  std::map<std::string, FlagAction> flagBlocks_;
  std::map<std::string, KeyAction> keyBlocks_;
  std::vector<std::string> exitEarlyOptions_;
};

}  // namespace cmdkit
