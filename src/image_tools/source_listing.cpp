#include "image_tools/source_listing.h"

#include "image_tools/local_tools.h"

namespace tv {

std::string list_image_sources() { return local_tool_list(); }

}  // namespace tv
