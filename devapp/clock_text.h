// Times as the ledger shows them, all in UTC.
#pragma once

#include <chrono>
#include <string>

namespace devapp {

using WallTime = std::chrono::system_clock::time_point;

std::string moment_text(WallTime t);      // "2025-06-01T12:00:03Z"
std::string day_text(WallTime t);         // "2025-06-01"
std::string file_stamp_text(WallTime t);  // "20250601-120003-123", for file names

}  // namespace devapp
