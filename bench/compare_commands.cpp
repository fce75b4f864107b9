// Runs two commands alternately N times each, with standard output thrown
// away, and prints the median wall time of each and their ratio.
//   compare-commands N -- baseline args... -- candidate args...
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

static double run_once(std::vector<char*>& argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::perror(argv[0]);
        std::exit(2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const auto took = std::chrono::steady_clock::now() - start;
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(2);
    }
    return std::chrono::duration<double, std::micro>(took).count();
}

static double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char** argv) {
    if (argc < 6 || std::strcmp(argv[2], "--") != 0) {
        std::fprintf(stderr, "usage: compare-commands N -- baseline... -- candidate...\n");
        return 2;
    }
    const int n = std::atoi(argv[1]);
    std::vector<char*> a, b;
    int i = 3;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) a.push_back(argv[i]);
    for (++i; i < argc; ++i) b.push_back(argv[i]);
    a.push_back(nullptr);
    b.push_back(nullptr);
    std::vector<double> ta, tb;
    for (int k = 0; k < n; ++k) {
        ta.push_back(run_once(a));
        tb.push_back(run_once(b));
    }
    const double ma = median(ta), mb = median(tb);
    std::printf("baseline  median %8.0f us  (%s)\n", ma, a[0]);
    std::printf("candidate median %8.0f us  (%s)\n", mb, b[0]);
    std::printf("ratio %.2f\n", mb / ma);
    return 0;
}
