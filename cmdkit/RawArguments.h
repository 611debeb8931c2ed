// The command line as tokens. Before anything is interpreted, the command line becomes a
// RawArguments value: RawArgument tokens, each with its text, its position, a link to the
// next token and a classification that the later stages fill in (the router marks the
// command word, the option parser marks options and the values keys take). Whatever
// stays unclassified is positional input for the command. Token 0 is the program name.
//
// The token strings pass through CLI::rawArgumentParser(); DefaultRawArgumentParser
// splits combined short flags (-abc becomes -a -b -c, one flag per user-perceived
// character) and links the tokens.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cmdkit {

class RawArgument {
 public:
  enum class Classification { appName, commandName, option, unclassified };

  // A token with no next token, classified unclassified.
  RawArgument(std::string value, long index);
  virtual ~RawArgument();
  RawArgument(const RawArgument&) = delete;
  RawArgument& operator=(const RawArgument&) = delete;

  const std::string& value() const { return value_; }
  long index() const { return index_; }

  // The following token of the same list; null for the last one.
  virtual std::shared_ptr<RawArgument> next() const;
  virtual void setNext(std::shared_ptr<RawArgument> next);
  virtual Classification classification() const;
  virtual void setClassification(Classification classification);
  virtual bool isUnclassified() const;

 private:
  std::string value_;
  long index_;
  std::shared_ptr<RawArgument> next_;
  Classification classification_ = Classification::unclassified;
};

// Turns argument strings into linked tokens.
class RawArgumentParser {
 public:
  virtual ~RawArgumentParser() = default;
  virtual std::vector<std::shared_ptr<RawArgument>> parse(
      const std::vector<std::string>& strings) = 0;
};

// Splits "-abc" into "-a", "-b", "-c" (a lone "-" vanishes; "--..." stays whole), one
// flag per user-perceived character (extended grapheme cluster; a byte that is not UTF-8
// counts as one), then makes one token per string, indexed from 0 and linked in order.
class DefaultRawArgumentParser : public RawArgumentParser {
 public:
  std::vector<std::shared_ptr<RawArgument>> parse(const std::vector<std::string>& strings) override;
};

class RawArguments {
 public:
  using ArgumentList = std::vector<std::shared_ptr<RawArgument>>;

  // From the process's argument vector as main received it (argv[0] the program, argc
  // strings; a null argv or a null string ends the vector early). The strings are
  // taken as delivered, and originalString joins them with single spaces.
  RawArguments(int argc, const char* const* argv);
  // From one command-line string, split by tokenize().
  explicit RawArguments(const std::string& commandLine);
  // From token strings and the command line they came from: the tokens are what
  // CLI::rawArgumentParser() makes of the strings; the first one is marked appName.
  RawArguments(const std::vector<std::string>& strings, std::string originalString);
  virtual ~RawArguments() = default;

  // The constructor from a process argument vector, for a vector of strings.
  static std::shared_ptr<RawArguments> fromProcessArguments(
      const std::vector<std::string>& processArguments);
  // The strings of an argument vector as main receives it (see the constructor).
  static std::vector<std::string> processArguments(int argc, const char* const* argv);

  // Splits a command line into token strings: runs of characters that are neither a
  // double quote nor white space, and double-quoted texts (quotes removed, possibly
  // empty). Anything else, including an unpaired double quote, is dropped.
  static std::vector<std::string> tokenize(std::string_view commandLine);

  virtual const ArgumentList& arguments() const;
  virtual void setArguments(ArgumentList arguments);
  virtual const std::string& originalString() const;
  virtual void setOriginalString(std::string originalString);
  // The tokens still unclassified, in list order (a new list each time).
  virtual ArgumentList unclassifiedArguments() const;

 private:
  ArgumentList arguments_;
  std::string originalString_;
};

}  // namespace cmdkit
