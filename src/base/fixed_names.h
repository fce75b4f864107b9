// A short list of names fixed when the program is built, for constexpr tables.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace tv {

template <std::size_t Capacity>
class FixedNames {
public:
    constexpr FixedNames() = default;
    // More names than fit stops the build: the tables are constant-evaluated.
    constexpr FixedNames(std::initializer_list<std::string_view> names) {
        for (const std::string_view name : names) names_.at(size_++) = name;
    }

    constexpr const std::string_view* begin() const { return names_.data(); }
    constexpr const std::string_view* end() const { return names_.data() + size_; }
    constexpr std::string_view front() const { return names_.at(0); }
    constexpr bool contains(std::string_view name) const { return std::find(begin(), end(), name) != end(); }

private:
    std::array<std::string_view, Capacity> names_{};
    std::size_t size_ = 0;
};

}  // namespace tv
