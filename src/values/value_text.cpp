#include "values/value_text.h"

#include "values/join.h"
#include "values/number_text.h"

#include <cmath>

namespace tv {

Value read_property(Value holder, std::string_view key) {
    if (holder == nullptr || !holder->is_object()) return nullptr;
    for (const auto& member : holder->get_ref<const Json::object_t&>()) {
        if (member.first == key) return &member.second;
    }
    return nullptr;
}

namespace {

void append_text(std::string& out, const Json& v) {
    switch (v.type()) {
        case Json::value_t::null:
            out += "null";
            break;
        case Json::value_t::boolean:
            out += v.get<bool>() ? "true" : "false";
            break;
        case Json::value_t::number_unsigned:
            out += std::to_string(v.get<Json::number_unsigned_t>());
            break;
        case Json::value_t::number_integer:
            out += std::to_string(v.get<Json::number_integer_t>());
            break;
        case Json::value_t::number_float:
            out += number_to_text(v.get<double>());
            break;
        case Json::value_t::string:
            out += v.get_ref<const std::string&>();
            break;
        case Json::value_t::array: {
            Joiner elements(out, ",");
            for (const auto& element : v) append_text(elements.next(), element);
            break;
        }
        default:
            out += "[object Object]";
            break;
    }
}

}  // namespace

std::string value_text(Value v) {
    if (v == nullptr) return "undefined";
    std::string out;
    append_text(out, *v);
    return out;
}

std::string join_texts(const Json& array) {
    std::string out;
    Joiner elements(out, ", ");
    for (const auto& element : array) append_text(elements.next(), element);
    return out;
}

bool number_value(Value v, double& out) {
    if (v == nullptr || !v->is_number()) return false;
    out = v->get<double>();
    return true;
}

bool is_truthy(Value v) {
    if (v == nullptr || v->is_null()) return false;
    if (v->is_boolean()) return v->get<bool>();
    if (v->is_number()) {
        const double d = v->get<double>();
        return !(d == 0 || std::isnan(d));
    }
    if (v->is_string()) return !v->get_ref<const std::string&>().empty();
    return true;
}

bool is_string(Value v, std::string_view s) {
    return v != nullptr && v->is_string() && v->get_ref<const std::string&>() == s;
}

bool is_true(Value v) { return v != nullptr && v->is_boolean() && v->get<bool>(); }
bool is_false(Value v) { return v != nullptr && v->is_boolean() && !v->get<bool>(); }

bool is_number_above_zero(Value v) {
    double d;
    return number_value(v, d) && d > 0;
}

}  // namespace tv
