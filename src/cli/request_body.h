// The JSON object posted to the app for a command.
#pragma once

#include "cli/command_table.h"
#include "values/json.h"

#include <optional>
#include <string>
#include <string_view>

namespace tv {

// Splits at ",", trims each piece, drops empty ones; absent gives [].
Json split_list(const std::string* text);

// Checks --cli, --complexity and --tool first; members in wire order.
Json build_request_body(std::string_view command, const ParsedArgs& args, std::string_view terminal_name);

// The first of --api, --tool and --model given, the options that narrow an
// image chain to one source; empty when none is.
std::string_view image_named_option(const ParsedArgs& args);

}  // namespace tv
