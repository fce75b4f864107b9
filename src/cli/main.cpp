#include "cli/run_main.h"

int main(int argc, char** argv) { return tv::run_main(argc, argv); }
