#include "request_members.h"

#include "refusal.h"

namespace devapp {
namespace {

std::string kind_name(const tv::Json& v) {
    switch (v.type()) {
        case tv::Json::value_t::null:
            return "null";
        case tv::Json::value_t::boolean:
            return "a boolean";
        case tv::Json::value_t::string:
            return "a string";
        case tv::Json::value_t::array:
            return "an array";
        case tv::Json::value_t::object:
            return "an object";
        default:
            return "a number";
    }
}

const tv::Json* member(const tv::Json& body, const char* key) {
    const auto found = body.find(key);
    return found == body.end() ? nullptr : &*found;
}

}  // namespace

const std::string& text_member(const tv::Json& body, const char* key) {
    const tv::Json* v = member(body, key);
    if (v == nullptr) refuse("missing \"" + std::string(key) + "\": this request needs it as a string");
    if (!v->is_string()) refuse("\"" + std::string(key) + "\" must be a string, not " + kind_name(*v));
    return v->get_ref<const std::string&>();
}

const std::string& words_member(const tv::Json& body, const char* key) {
    const std::string& text = text_member(body, key);
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        refuse("\"" + std::string(key) + "\" is empty; this request needs it written out");
    }
    return text;
}

std::optional<std::string> optional_text_member(const tv::Json& body, const char* key) {
    const tv::Json* v = member(body, key);
    if (v == nullptr || v->is_null()) return std::nullopt;
    if (!v->is_string()) refuse("\"" + std::string(key) + "\" must be a string, not " + kind_name(*v));
    return v->get<std::string>();
}

std::vector<std::string> text_list_member(const tv::Json& body, const char* key) {
    const tv::Json* v = member(body, key);
    std::vector<std::string> out;
    if (v == nullptr) return out;
    if (!v->is_array()) refuse("\"" + std::string(key) + "\" must be an array of strings, not " + kind_name(*v));
    for (const auto& e : *v) {
        if (!e.is_string()) refuse("\"" + std::string(key) + "\" must hold only strings, not " + kind_name(e));
        out.push_back(e.get<std::string>());
    }
    return out;
}

bool flag_member(const tv::Json& body, const char* key) {
    const tv::Json* v = member(body, key);
    if (v == nullptr || v->is_null()) return false;
    if (!v->is_boolean()) refuse("\"" + std::string(key) + "\" must be true or false, not " + kind_name(*v));
    return v->get<bool>();
}

}  // namespace devapp
