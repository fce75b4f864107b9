#include "server.h"

#include "child_run.h"
#include "dispatch.h"
#include "guarded_server.h"
#include "hex_text.h"
#include "shell_quote.h"
#include "temp_root.h"
#include "tmux_panes.h"
#include "workstation.h"

#include <httplib.h>

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

namespace devapp {
namespace fs = std::filesystem;

namespace {

void say(const std::string& line) {
    std::fprintf(stderr, "tarvolt-devapp: %s\n", line.c_str());
    std::fflush(stderr);
}

std::string random_token() {
    unsigned char bytes[16];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno != EINTR)
            throw std::runtime_error(std::string("no random bytes for a token: ") + std::strerror(errno));
        if (n > 0) got += static_cast<std::size_t>(n);
    }
    return hex_text(bytes, sizeof bytes);
}

std::string workstation_folder(const std::optional<std::string>& wanted) {
    fs::path folder;
    if (wanted) {
        fs::create_directories(*wanted);
        folder = fs::canonical(*wanted);
    } else {
        std::string pattern = temp_root() + "/tarvolt-workstation-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("could not make a workstation folder from " + pattern + ": " +
                                     std::strerror(errno));
        }
        folder = fs::canonical(pattern);
    }
    fs::create_directories(folder / ".tarvolt");
    return folder.string();
}

std::string own_executable() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) throw std::runtime_error("cannot find this program's own path for the drawing tool: " + ec.message());
    return self.string();
}

std::string export_lines(int port, const std::string& token, const std::string& name) {
    return "export TARVOLT_CTL_PORT=" + std::to_string(port) + "\nexport TARVOLT_CTL_TOKEN=" + shell_word(token) +
           "\nexport TARVOLT_TERMINAL_NAME=" + shell_word(name) + "\n";
}

// A background server lives on after its terminal: no terminal input, no
// output to it, and its log in the workstation folder.
void detach(const std::string& log_path) {
    ::setsid();
    const int null_fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const int log_fd = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (null_fd >= 0) {
        ::dup2(null_fd, STDIN_FILENO);
        ::dup2(null_fd, STDOUT_FILENO);
    }
    if (log_fd >= 0) ::dup2(log_fd, STDERR_FILENO);
}

bool token_matches(const std::string& given, const std::string& token) {
    // Compares every byte, so the time taken does not tell how much matched.
    unsigned char diff = given.size() == token.size() ? 0 : 1;
    for (std::size_t i = 0; i < given.size(); ++i) {
        diff |= static_cast<unsigned char>(given[i] ^ token[i % token.size()]);
    }
    return diff == 0;
}

// The stop signals are taken by one waiting thread; every other thread, the
// server's included, inherits the block.
sigset_t block_stop_signals() {
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return stop_signals;
}

constexpr std::size_t body_limit = 16u << 20;

// A request without the right token is refused from its head alone, before
// anything of its body is read.
std::optional<ControlAnswer> token_refusal(const httplib::Request& req, const std::string& token) {
    const std::string given = req.get_header_value("x-tarvolt-token");
    if (given.empty()) {
        return ControlAnswer{
            401, refusal_body("missing x-tarvolt-token header: this endpoint answers only the panes of its own app"),
            "(no token) -> refused"};
    }
    if (!token_matches(given, token)) {
        return ControlAnswer{401, refusal_body("wrong x-tarvolt-token: this is not the token of this app's panes"),
                             "(wrong token) -> refused"};
    }
    return std::nullopt;
}

// Anything but POST /control is answered from its head too, with the status
// the library's own routing gave it; the error handler words it.
int status_for_other(const httplib::Request& req) {
    const std::string& m = req.method;
    const bool with_body = m == "POST" || m == "PUT" || m == "PATCH" || m == "DELETE" || m == "PRI";
    if (with_body && req.get_header_value<std::uint64_t>("Content-Length") > body_limit) return 413;
    // The library routes no other method (CONNECT, TRACE, PRI).
    const bool routable =
        m == "GET" || m == "HEAD" || m == "OPTIONS" || m == "POST" || m == "PUT" || m == "PATCH" || m == "DELETE";
    return routable ? 404 : 400;
}

// The body, at most body_limit bytes however it is sent (chunked and
// compressed included); false with the status set when it cannot be had.
bool read_body(const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& read,
               std::string& body) {
    bool too_large = req.get_header_value<std::uint64_t>("Content-Length") > body_limit;
    std::size_t received = 0;
    const auto take = [&](const char* data, std::size_t n, bool keep) {
        if (n > body_limit - received) {
            too_large = true;
            return false;
        }
        received += n;
        if (keep) body.append(data, n);
        return true;
    };
    // Form parts are counted, not kept: the body of such a request is no JSON.
    const bool whole = !too_large && (req.is_multipart_form_data()
                                          ? read([](const httplib::MultipartFormData&) { return true; },
                                                 [&](const char* data, std::size_t n) { return take(data, n, false); })
                                          : read([&](const char* data, std::size_t n) { return take(data, n, true); }));
    if (whole) return true;
    if (too_large) res.status = 413;
    if (res.status < 400) res.status = 400;
    return false;
}

void install_handlers(GuardedServer& server, Workstation& ws, std::mutex& lock, const std::string& token, bool quiet) {
    server.set_payload_max_length(body_limit);
    // Only SO_REUSEADDR: the library's default sets SO_REUSEPORT, which would
    // let a second stand-in share the port and quietly take half the requests.
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.set_pre_routing_handler([&token, quiet](const httplib::Request& req, httplib::Response& res) {
        if (req.method != "POST" || req.path != "/control") {
            res.status = status_for_other(req);
            return httplib::Server::HandlerResponse::Handled;
        }
        const std::optional<ControlAnswer> refused = token_refusal(req, token);
        if (!refused) return httplib::Server::HandlerResponse::Unhandled;
        res.status = refused->http_status;
        res.set_content(refused->body, "application/json");
        if (!quiet) say(refused->summary);
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Post("/control", [&ws, &lock, quiet](const httplib::Request& req, httplib::Response& res,
                                                const httplib::ContentReader& read) {
        std::string body;
        if (!read_body(req, res, read, body)) return;
        ControlAnswer answer;
        {
            const std::lock_guard<std::mutex> hold(lock);
            answer = answer_control_request(ws, body);
        }
        res.status = answer.http_status;
        res.set_content(answer.body, "application/json");
        if (!quiet) say(answer.summary);
    });
    server.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request& req, httplib::Response& res) {
            if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
            std::string why = "the stand-in app answers only POST /control, not " + req.method + " " + req.path;
            if (res.status == 413) why = "the request body is too large";
            if (res.status == 400) why = "malformed HTTP request";
            res.set_content(refusal_body(why), "application/json");
            return httplib::Server::HandlerResponse::Handled;
        }));
}

// The port listened on, or nothing (with the reason said).
std::optional<int> bind_loopback(GuardedServer& server, int wanted) {
    const int port =
        wanted == 0 ? server.bind_to_any_port("127.0.0.1") : (server.bind_to_port("127.0.0.1", wanted) ? wanted : -1);
    if (port >= 0) return port;
    say("could not listen on 127.0.0.1:" + std::to_string(wanted) + ": " + std::strerror(errno));
    return std::nullopt;
}

// Prints the export lines, and the line on watching real panes when there is
// one. In the background the parent prints them with the child's pid and gets
// its exit status back; the child detaches and goes on.
std::optional<int> print_exports(const ServeOptions& o, int port, const std::string& token, const std::string& folder,
                                 const std::string& watch) {
    const std::string exports = export_lines(port, token, o.name) + (watch.empty() ? "" : watch + "\n");
    if (!o.background) {
        std::fputs(exports.c_str(), stdout);
        std::fflush(stdout);
        return std::nullopt;
    }
    const std::string log_path = folder + "/.tarvolt/devapp.log";
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        say(std::string("could not start the background process: ") + std::strerror(errno));
        return 1;
    }
    if (pid > 0) {
        // The socket already listens, so the client can connect as soon as
        // these lines are read.
        std::printf("%sexport TARVOLT_DEVAPP_PID=%d\n", exports.c_str(), static_cast<int>(pid));
        std::fflush(stdout);
        say("serving in the background (pid " + std::to_string(pid) + ") on 127.0.0.1:" + std::to_string(port) +
            " for the workstation " + folder + "; log in " + log_path);
        return 0;
    }
    detach(log_path);
    return std::nullopt;
}

void say_listening(const ServeOptions& o, int port, const std::string& folder) {
    if (o.quiet) return;
    say("listening on 127.0.0.1:" + std::to_string(port) + " for the workstation " + folder);
    if (o.background) return;
    say("generated files land in its generated-images/ and generated-videos/; the ledger journal is "
        ".tarvolt/journal.jsonl");
    say("set the three variables above in the client's terminal (or eval them); stop this app with Ctrl-C");
    if (o.tmux) say("every pane is a tmux window; the last line above attaches to them");
}

// Serves until a stop signal stops the listener; false when the listener
// stopped on its own.
bool run_until_signal(GuardedServer& server, const sigset_t& stop_signals, bool quiet) {
    std::atomic<bool> listening_done{false};
    std::atomic<bool> stopped_by_signal{false};
    std::thread waiter([&] {
        int sig = 0;
        sigwait(&stop_signals, &sig);
        if (listening_done) return;
        stopped_by_signal = true;
        if (!quiet)
            say(std::string("stopping on ") + (sig == SIGINT ? "SIGINT" : sig == SIGTERM ? "SIGTERM" : "SIGHUP"));
        // A signal that comes before the listener runs must still stop it.
        while (!server.is_running() && !listening_done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        server.stop();
    });
    const bool listened = server.serve();
    listening_done = true;
    if (!stopped_by_signal) pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    return stopped_by_signal && listened;
}

int shut_down(bool stopped_by_signal, bool quiet) {
    if (!stopped_by_signal) {
        say("the listener stopped on its own");
        return 1;
    }
    if (!quiet) say("stopped");
    return 0;
}

std::unique_ptr<PaneHost> pane_host(const ServeOptions& o, const Settings& settings) {
    if (!o.tmux) return simulated_panes();
    TmuxSetup setup;
    setup.tmux = find_on_path("tmux");
    setup.folder = settings.folder;
    setup.session = tmux_session_name(fs::path(settings.folder).filename().string());
    setup.orchestrator = o.name;
    setup.orchestrator_command = o.orchestrator_command;
    setup.cli_commands = o.cli_commands;
    return tmux_panes(std::move(setup));
}

}  // namespace

int serve(const ServeOptions& o) {
    if (o.tmux && find_on_path("tmux").empty()) {
        say("--panes tmux runs every pane in tmux, which is not installed here; install the Debian package "
            "\"tmux\" (apt-get install tmux)");
        return 1;
    }
    Settings settings;
    settings.folder = workstation_folder(o.folder);
    settings.orchestrator = o.name;
    settings.executable = own_executable();
    settings.media = o.media;
    const std::string token = o.token ? *o.token : random_token();
    Workstation ws(settings, pane_host(o, settings));
    std::mutex lock;
    const sigset_t stop_signals = block_stop_signals();

    GuardedServer server;
    install_handlers(server, ws, lock, token, o.quiet);
    const std::optional<int> port = bind_loopback(server, o.port);
    if (!port) return 1;
    const std::string watch = ws.panes->start(*port, token);
    if (const std::optional<int> parent_status = print_exports(o, *port, token, settings.folder, watch)) {
        return *parent_status;
    }
    say_listening(o, *port, settings.folder);
    const bool stopped_by_signal = run_until_signal(server, stop_signals, o.quiet);
    {
        const std::lock_guard<std::mutex> hold(lock);
        ws.panes->stop(o.keep_panes);
    }
    return shut_down(stopped_by_signal, o.quiet);
}

}  // namespace devapp
