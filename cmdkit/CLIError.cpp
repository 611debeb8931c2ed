#include "cmdkit/CLIError.h"

#include <utility>

namespace cmdkit {

CLIError::CLIError(Kind kind, std::string message) : kind_(kind), message_(std::move(message)) {}

CLIError CLIError::error(std::string message) { return CLIError(Kind::error, std::move(message)); }

CLIError CLIError::emptyError() { return CLIError(Kind::emptyError, std::string()); }

}  // namespace cmdkit
