// The files the simulated sources deliver.
#pragma once

#include <string>
#include <string_view>

namespace devapp {

inline constexpr int picture_width = 512;
inline constexpr int picture_height = 320;

// Each writes only inside `folder`, and returns an empty text, or what went wrong.
std::string save_api_picture(std::string_view prompt, std::string_view api_id, const std::string& path,
                             const std::string& folder);
std::string save_api_video(std::string_view prompt, std::string_view api_id, const std::string& path,
                           const std::string& folder);

}  // namespace devapp
