// A stand-in app that gives every request the same JSON answer, for trying
// the client by hand and for the bench. It prints its port, then serves until
// its standard input closes.
#include "support/fake_app.h"
#include "support/run_ctl.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>

int main(int argc, char** argv) {
    if (argc != 2 || !std::ifstream(argv[1])) {
        std::fprintf(stderr, "usage: scripted-app <readable file with the JSON answer>\n");
        return 2;
    }
    tvtest::FakeApp app({tvtest::json_answer(tvtest::read_file(argv[1]))});
    std::printf("%u\n", static_cast<unsigned>(app.port()));
    std::fflush(stdout);
    std::cin.ignore(std::numeric_limits<std::streamsize>::max());
    return 0;
}
