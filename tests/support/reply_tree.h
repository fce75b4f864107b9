// A reply tree turned into a Json, for tests that look at replies with its means.
#pragma once

#include "support/outcome.h"

namespace tvtest {

inline tv::Json json_of(const tv::JsonNode& n) {
    using Kind = tv::JsonNode::Kind;
    if (n.kind() == Kind::boolean) return n.boolean_value();
    if (n.kind() == Kind::number_unsigned) return n.unsigned_value();
    if (n.kind() == Kind::number_integer) return n.integer_value();
    if (n.kind() == Kind::number_float) return n.number();
    if (n.kind() == Kind::string) return std::string(n.text());
    if (n.kind() == Kind::array) {
        tv::Json a = tv::Json::array();
        for (const tv::JsonNode& e : n) a.push_back(json_of(e));
        return a;
    }
    if (n.kind() == Kind::object) {
        tv::Json o = tv::Json::object();
        for (const tv::JsonMember& m : n.members()) o[std::string(m.key())] = json_of(m.value());
        return o;
    }
    return nullptr;
}

}  // namespace tvtest
