#include <gtest/gtest.h>

#include "cmdkit/CommandSignature.h"

namespace cmdkit {
namespace {

using Strings = std::vector<std::string>;

TEST(CommandSignatureTest, ParsesSignatureTexts) {
  static const struct {
    const char* text;
    Strings required;
    Strings optional;
    bool collect;
  } cases[] = {
      {"", {}, {}, false},
      {"[<opt>] ...", {}, {"opt"}, true},
      {"<a> <b> [<c>]", {"a", "b"}, {"c"}, false},
      {"...", {}, {}, true},
      {"<> [<>]", {""}, {""}, false},
      {"[x] <files>... < > x", {}, {}, false},
      {"<a>  [<b>]", {"a"}, {"b"}, false},
      {"[<b>] <a> ... ...", {"a"}, {"b"}, true},
      {"<a\nb> <c>", {"c"}, {}, false},
      {"<a> <a>", {"a", "a"}, {}, false},
      {"<[<x>]>", {"[<x>]"}, {}, false},
  };
  for (const auto& c : cases) {
    DefaultCommandSignature signature(c.text);
    EXPECT_EQ(signature.requiredParameters(), c.required) << c.text;
    EXPECT_EQ(signature.optionalParameters(), c.optional) << c.text;
    EXPECT_EQ(signature.collectRemainingArguments(), c.collect) << c.text;
    EXPECT_EQ(signature.isEmpty(), c.required.empty() && c.optional.empty()) << c.text;
  }
}

TEST(CommandSignatureTest, AdditionsGoThroughTheOverridableOperations) {
  class Recording : public DefaultCommandSignature {
   public:
    explicit Recording(const std::string& text) { parse(text); }
    void addRequiredParameter(const std::string& name) override {
      seen.push_back("required " + name);
      DefaultCommandSignature::addRequiredParameter(name);
    }
    void addOptionalParameter(const std::string& name) override {
      seen.push_back("optional " + name);
      DefaultCommandSignature::addOptionalParameter(name);
    }
    Strings seen;
  };
  Recording signature("[<b>] <a>");
  EXPECT_EQ(signature.seen, (Strings{"optional b", "required a"}));
  EXPECT_FALSE(signature.isEmpty());
}

}  // namespace
}  // namespace cmdkit
