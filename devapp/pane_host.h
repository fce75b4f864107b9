// Where the panes live: nowhere (simulated rows in memory) or in real
// windows. The workstation model decides; a host only carries it out.
#pragma once

#include <map>
#include <memory>
#include <string>

namespace devapp {

struct Terminal;

enum class PaneLife { alive, exited, gone };

class PaneHost {
public:
    virtual ~PaneHost() = default;

    // Once the port and token are known; returns the line that tells a
    // person how to watch the panes, or nothing.
    virtual std::string start(int port, const std::string& token) = 0;
    // On the way out; `keep` leaves the panes running.
    virtual void stop(bool keep) = 0;

    // Each of these refuses, before anything changed, when it cannot be done.
    // A new pane running its CLI, with `task` typed in.
    virtual void open(const Terminal& pane, const std::string& task) = 0;
    virtual void type(const Terminal& pane, const std::string& text) = 0;
    virtual void hide(const Terminal& pane) = 0;
    virtual void show(const Terminal& pane) = 0;
    // Ends the pane's process; a pane already gone is no fault.
    virtual void end(const Terminal& pane) = 0;

    // What became of the panes this host opened, by terminal name.
    virtual std::map<std::string, PaneLife> look() = 0;
};

std::unique_ptr<PaneHost> simulated_panes();

}  // namespace devapp
