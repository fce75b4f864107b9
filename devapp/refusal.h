// A request the stand-in will not carry out, with the sentence it answers.
#pragma once

#include <string>

namespace devapp {

// The message travels back to the client as the reply's `error`, so it is
// written for the agent that reads it.
struct Refusal {
    std::string message;
};

[[noreturn]] void refuse(std::string message);

}  // namespace devapp
