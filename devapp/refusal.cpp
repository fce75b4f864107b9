#include "refusal.h"

namespace devapp {

void refuse(std::string message) { throw Refusal{std::move(message)}; }

}  // namespace devapp
