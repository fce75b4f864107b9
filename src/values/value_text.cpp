#include "values/value_text.h"

#include "values/join.h"
#include "values/number_text.h"

#include <cmath>

namespace tv {

Value read_property(Value holder, std::string_view key) { return holder == nullptr ? nullptr : holder->find(key); }

namespace {

void append_text(std::string& out, const JsonNode& v) {
    using Kind = JsonNode::Kind;
    switch (v.kind()) {
        case Kind::null:
            out += "null";
            break;
        case Kind::boolean:
            out += v.boolean_value() ? "true" : "false";
            break;
        case Kind::number_unsigned:
            out += std::to_string(v.unsigned_value());
            break;
        case Kind::number_integer:
            out += std::to_string(v.integer_value());
            break;
        case Kind::number_float:
            out += number_to_text(v.number());
            break;
        case Kind::string:
            out += v.text();
            break;
        case Kind::array: {
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
    std::string out;
    append_value_text(out, v);
    return out;
}

void append_value_text(std::string& out, Value v) {
    if (v == nullptr) {
        out += "undefined";
    } else {
        append_text(out, *v);
    }
}

std::string join_texts(const JsonNode& array) {
    std::string out;
    append_joined_texts(out, array);
    return out;
}

void append_joined_texts(std::string& out, const JsonNode& array) {
    Joiner elements(out, ", ");
    for (const auto& element : array) append_text(elements.next(), element);
}

bool number_value(Value v, double& out) {
    if (v == nullptr || !v->is_number()) return false;
    out = v->number();
    return true;
}

bool is_truthy(Value v) {
    if (v == nullptr || v->is_null()) return false;
    if (v->is_boolean()) return v->boolean_value();
    if (v->is_number()) {
        const double d = v->number();
        return !(d == 0 || std::isnan(d));
    }
    if (v->is_string()) return !v->text().empty();
    return true;
}

bool is_string(Value v, std::string_view s) { return v != nullptr && v->is_string() && v->text() == s; }

bool is_true(Value v) { return v != nullptr && v->is_boolean() && v->boolean_value(); }
bool is_false(Value v) { return v != nullptr && v->is_boolean() && !v->boolean_value(); }

bool is_number_above_zero(Value v) {
    double d;
    return number_value(v, d) && d > 0;
}

}  // namespace tv
