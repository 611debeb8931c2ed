#include "quietling/AppleEvent.h"

namespace quietling {

std::optional<AppleEventDescriptor> AppleEvent::paramDescriptorForKeyword(
    FourCharCode keyword) const {
  const auto found = params_.find(keyword);
  if (found == params_.end()) return std::nullopt;
  return found->second;
}

void AppleEventManager::setEventHandler(Handler handler, FourCharCode eventClass,
                                        FourCharCode eventID) {
  handlers_.insert_or_assign({eventClass, eventID}, std::move(handler));
}

bool AppleEventManager::dispatch(const AppleEvent& event) {
  const auto found = handlers_.find({event.eventClass(), event.eventID()});
  if (found == handlers_.end() || !found->second) return false;
  AppleEvent reply(event.eventClass(), event.eventID());
  found->second(event, reply);
  return true;
}

}  // namespace quietling
