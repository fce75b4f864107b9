// A stand-in app that gives every request the same JSON answer, for trying
// the client by hand and for the bench. It prints its port, then serves until
// its standard input closes.
#include "support/fake_app.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scripted-app <file with the JSON answer>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "scripted-app: cannot read %s\n", argv[1]);
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    tvtest::FakeApp app({tvtest::json_answer(text.str())});
    std::printf("%u\n", static_cast<unsigned>(app.port()));
    std::fflush(stdout);
    char c;
    while (std::cin.get(c)) {
    }
    return 0;
}
