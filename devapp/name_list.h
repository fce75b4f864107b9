// A short list of names fixed at compile time, for the constexpr tables.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace devapp {

class NameList {
public:
    constexpr NameList() = default;
    // More names than fit stops the build: the tables are constant-evaluated.
    constexpr NameList(std::initializer_list<std::string_view> names) {
        for (const std::string_view n : names) names_.at(size_++) = n;
    }

    constexpr const std::string_view* begin() const { return names_.data(); }
    constexpr const std::string_view* end() const { return names_.data() + size_; }
    constexpr std::string_view front() const { return names_.at(0); }
    constexpr bool contains(std::string_view name) const {
        for (const std::string_view n : *this) {
            if (n == name) return true;
        }
        return false;
    }

private:
    std::array<std::string_view, 10> names_{};
    std::size_t size_ = 0;
};

}  // namespace devapp
