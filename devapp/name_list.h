// A short list of names fixed at compile time, for the constexpr tables.
#pragma once

#include "base/fixed_names.h"

namespace devapp {

using NameList = tv::FixedNames<10>;

}  // namespace devapp
