// Events the application is launched for, and the manager that hands each one to the
// handler registered for its class and identifier.
//
// An event is named by two four-character codes (its class and its identifier) and
// carries parameters keyed by four-character codes; the direct object ('----') is
// what the event is about: the URL to open, or the file. A handler receives the event
// and a reply event, which the placeholder never fills in.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quietling {

using FourCharCode = std::uint32_t;

// The big-endian ASCII value of a four-character code: fourCharCode("GURL") == 0x4755524C.
consteval FourCharCode fourCharCode(const char (&code)[5]) {
  return (FourCharCode{static_cast<unsigned char>(code[0])} << 24) |
         (FourCharCode{static_cast<unsigned char>(code[1])} << 16) |
         (FourCharCode{static_cast<unsigned char>(code[2])} << 8) |
         FourCharCode{static_cast<unsigned char>(code[3])};
}

inline constexpr FourCharCode kInternetEventClass = fourCharCode("GURL");
inline constexpr FourCharCode kAEGetURL = fourCharCode("GURL");
inline constexpr FourCharCode kCoreEventClass = fourCharCode("aevt");
inline constexpr FourCharCode kAEOpenDocuments = fourCharCode("odoc");
inline constexpr FourCharCode keyDirectObject = fourCharCode("----");

static_assert(kInternetEventClass == 0x4755524C && kCoreEventClass == 0x61657674 &&
              kAEOpenDocuments == 0x6F646F63 && keyDirectObject == 0x2D2D2D2D);

// A parameter of an event; it may or may not have a text value.
class AppleEventDescriptor {
 public:
  AppleEventDescriptor() = default;
  explicit AppleEventDescriptor(std::string stringValue) : stringValue_(std::move(stringValue)) {}

  const std::optional<std::string>& stringValue() const { return stringValue_; }

 private:
  std::optional<std::string> stringValue_;
};

class AppleEvent {
 public:
  AppleEvent(FourCharCode eventClass, FourCharCode eventID)
      : eventClass_(eventClass), eventID_(eventID) {}

  FourCharCode eventClass() const { return eventClass_; }
  FourCharCode eventID() const { return eventID_; }

  void setParamDescriptor(AppleEventDescriptor descriptor, FourCharCode keyword) {
    params_.insert_or_assign(keyword, std::move(descriptor));
  }
  // The parameter under that keyword; none when the event has no such parameter.
  std::optional<AppleEventDescriptor> paramDescriptorForKeyword(FourCharCode keyword) const;

 private:
  FourCharCode eventClass_;
  FourCharCode eventID_;
  std::map<FourCharCode, AppleEventDescriptor> params_;
};

// Routes events to handlers by (class, identifier). One handler per pair; registering
// again replaces the earlier one. An event nobody registered for is dropped.
class AppleEventManager {
 public:
  using Handler = std::function<void(const AppleEvent& event, AppleEvent& replyEvent)>;

  void setEventHandler(Handler handler, FourCharCode eventClass, FourCharCode eventID);
  // Calls the handler registered for the event; answers whether there was one.
  bool dispatch(const AppleEvent& event);

 private:
  std::map<std::pair<FourCharCode, FourCharCode>, Handler> handlers_;
};

}  // namespace quietling
