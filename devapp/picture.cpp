#include "picture.h"

#include "catalog.h"
#include "sim_hash.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

namespace devapp {
namespace {

constexpr double tau = 6.283185307179586;

struct Rgb {
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb scaled(Rgb a, double f) { return {a.r * f, a.g * f, a.b * f}; }

Rgb from_hue(double hue, double saturation, double value) {
    const double h = std::fmod(hue, 1.0) * 6.0;
    const double c = value * saturation;
    const double x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
    const double m = value - c;
    Rgb out{0, 0, 0};
    switch (static_cast<int>(h)) {
        case 0:
            out = {c, x, 0};
            break;
        case 1:
            out = {x, c, 0};
            break;
        case 2:
            out = {0, c, x};
            break;
        case 3:
            out = {0, x, c};
            break;
        case 4:
            out = {x, 0, c};
            break;
        default:
            out = {c, 0, x};
            break;
    }
    return {(out.r + m) * 255, (out.g + m) * 255, (out.b + m) * 255};
}

struct NamedColour {
    std::string_view name;
    Rgb rgb;
};

constexpr auto named_colours = std::to_array<NamedColour>({
    {"red", {215, 40, 45}},
    {"orange", {245, 140, 30}},
    {"yellow", {245, 215, 50}},
    {"green", {60, 165, 75}},
    {"blue", {45, 95, 215}},
    {"purple", {135, 70, 190}},
    {"violet", {150, 90, 210}},
    {"pink", {240, 120, 170}},
    {"black", {25, 25, 30}},
    {"white", {245, 245, 245}},
    {"gray", {128, 128, 128}},
    {"grey", {128, 128, 128}},
    {"brown", {125, 80, 45}},
    {"cyan", {40, 200, 210}},
    {"teal", {30, 140, 140}},
    {"gold", {230, 180, 40}},
    {"silver", {190, 195, 200}},
});

std::optional<Rgb> colour_word(const std::string& w) {
    for (const auto& [name, rgb] : named_colours) {
        if (w == name) return rgb;
    }
    return std::nullopt;
}

struct Scene {
    Rgb sky_top, sky_bottom, sun, far_land, near_land, kite;
    double sun_x, sun_y, sun_r;
    double far_freq, far_shift, near_freq, near_shift;
    double kite_x, kite_y;
    bool water = false;
};

double unit(std::uint64_t h, int slot) { return static_cast<double>((h >> (slot * 8)) & 0xff) / 255.0; }

Scene scene_for(std::string_view prompt, std::string_view style) {
    const std::uint64_t h = text_hash(prompt, text_hash(style));
    const double hue = unit(h, 0);
    Scene s;
    s.sky_top = from_hue(0.55 + 0.1 * unit(h, 1), 0.65, 0.75);
    s.sky_bottom = from_hue(0.52 + 0.08 * unit(h, 1), 0.25, 0.98);
    s.sun = {255, 222, 120};
    s.far_land = from_hue(0.25 + 0.15 * unit(h, 2), 0.45, 0.55);
    s.near_land = from_hue(0.22 + 0.12 * unit(h, 3), 0.6, 0.4);
    s.kite = from_hue(hue, 0.85, 0.9);
    s.sun_x = 0.15 + 0.7 * unit(h, 4);
    s.sun_y = 0.18 + 0.15 * unit(h, 5);
    s.sun_r = 0.09 + 0.05 * unit(h, 6);
    s.far_freq = 1.5 + 2.5 * unit(h, 7);
    s.far_shift = tau * unit(h, 3);
    s.near_freq = 2.0 + 3.0 * unit(h, 2);
    s.near_shift = tau * unit(h, 5);
    s.kite_x = 0.3 + 0.4 * unit(h, 6);
    s.kite_y = 0.3 + 0.15 * unit(h, 1);

    // Words of the prompt colour the scene: the first colour goes to the
    // kite, the second to the land.
    int colours = 0;
    for (const auto& w : words_of(prompt)) {
        if (const auto c = colour_word(w)) {
            if (colours == 0) s.kite = *c;
            if (colours == 1) s.near_land = *c, s.far_land = mix(*c, s.sky_bottom, 0.35);
            ++colours;
        } else if (w == "night" || w == "dark" || w == "moon") {
            s.sky_top = {10, 14, 40};
            s.sky_bottom = {45, 55, 100};
            s.sun = {235, 235, 225};
            s.far_land = scaled(s.far_land, 0.45);
            s.near_land = scaled(s.near_land, 0.4);
        } else if (w == "sunset" || w == "dusk" || w == "dawn" || w == "sunrise") {
            s.sky_top = {120, 60, 130};
            s.sky_bottom = {250, 150, 80};
            s.sun = {255, 190, 90};
            s.sun_y = 0.5;
        } else if (w == "sea" || w == "ocean" || w == "lake" || w == "water" || w == "beach") {
            s.water = true;
        }
    }
    return s;
}

Rgb pixel(const Scene& s, double u, double v, double aspect, double phase) {
    Rgb c = mix(s.sky_top, s.sky_bottom, std::min(1.0, v * 1.4));

    const double sx = s.sun_x + 0.25 * phase;
    const double d = std::hypot((u - sx) * aspect, v - s.sun_y);
    if (d < s.sun_r) {
        c = s.sun;
    } else if (d < s.sun_r * 1.8) {
        c = mix(s.sun, c, (d - s.sun_r) / (s.sun_r * 0.8) * 0.6 + 0.4);
    }

    const double far = 0.60 + 0.06 * std::sin(s.far_freq * u * tau + s.far_shift);
    if (v > far) c = mix(s.far_land, scaled(s.far_land, 0.8), (v - far) * 3);
    const double near = 0.76 + 0.05 * std::sin(s.near_freq * u * tau + s.near_shift);
    if (v > near) {
        if (s.water) {
            const double ripple = 0.5 + 0.5 * std::sin(v * 140 + std::sin(u * 30 + phase * tau) * 2);
            c = mix(Rgb{30, 80, 160}, Rgb{70, 140, 210}, ripple * 0.6);
        } else {
            c = mix(s.near_land, scaled(s.near_land, 0.65), (v - near) * 3);
        }
    }

    // The kite: a diamond with its spars, and a tail that waves.
    const double kx = s.kite_x + 0.05 * std::sin(phase * tau);
    const double ky = s.kite_y + 0.03 * std::cos(phase * tau * 2);
    const double dx = (u - kx) * aspect;
    const double dy = v - ky;
    const double a = 0.07, b = 0.11;
    if (std::fabs(dx) / a + std::fabs(dy) / b < 1.0) {
        c = (std::fabs(dx) < 0.004 || std::fabs(dy) < 0.004) ? scaled(s.kite, 0.55) : s.kite;
    }
    if (dy > b && dy < b + 0.22) {
        const double tail = 0.025 * std::sin((dy - b) * 40 + phase * tau * 2);
        if (std::fabs(dx - tail) < 0.005) c = scaled(s.kite, 0.7);
    }
    return c;
}

std::uint8_t byte(double x) { return static_cast<std::uint8_t>(std::lround(std::clamp(x, 0.0, 255.0))); }

}  // namespace

Picture paint_scene(std::string_view prompt, std::string_view style, int width, int height, double phase) {
    const Scene s = scene_for(prompt, style);
    Picture p;
    p.width = width;
    p.height = height;
    p.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    const double aspect = static_cast<double>(width) / static_cast<double>(height);
    std::size_t i = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = pixel(s, (x + 0.5) / width, (y + 0.5) / height, aspect, phase);
            p.rgb[i++] = byte(c.r);
            p.rgb[i++] = byte(c.g);
            p.rgb[i++] = byte(c.b);
        }
    }
    return p;
}

}  // namespace devapp
