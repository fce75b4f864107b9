#include "cli/usage_text.h"

namespace tv {

// Kept byte for byte: agents and people read it, and tests pin its hash.
constexpr std::string_view usage_text = R"usage(usage: tarvolt-ctl <command> [options]

commands:
  spawn --task "..." [--skills id1,id2] [--mcps id1,id2] [--cli id] [--category id] [--complexity level] [--model name] [--effort level]
      opens a subterminal with that task (the app generates the name);
      --category picks CLI, model and effort from the leaderboard ranking
      for that kind of task (an invalid category fails and lists the valid
      ones); with no --category the app infers it from the task text;
      --complexity says how much the task is worth spending on, one of
      alta|media|baixa (an invalid value fails and lists the valid ones);
      with no --complexity the app reads it from the task text;
      explicit --model and --effort BEAT the ranking and apply to the
      workstation default CLI; --cli explicitly selects one of
      claude|codex|kimi|grok|opencode|cursor|antigravity|qwen and makes --model/--effort apply to
      it; when combined with --category, --cli wins. The spawn fails before
      opening a terminal when the selected CLI is absent or unauthenticated
  send --to <name> --message "..."
      sends a message to the terminal with that name; a standby terminal is
      resumed first, then receives the message
  standby --terminal <name>
      orchestrator only: removes the pane from the grid while preserving the
      same live CLI process, conversation, backlog and working directory
  resume --terminal <name>
      orchestrator only: brings a standby pane back with its exact context,
      without assigning it a task or sending it a message
  close --terminal <name>
      orchestrator only: first close always moves a visible panel to standby;
      closing that already-standby name again irreversibly ends its process
  merge [--feature <name>] [--to-main] [--bump patch|minor|major]
      orchestrator only, two explicit steps: with no flag it publishes a new
      feature/<subject>-<code> branch from this worktree, after every subagent
      report was accepted and all work is committed, and NEVER touches main;
      the code makes every publication a distinct branch, so nothing is ever
      overwritten;
      --feature describes the subject in a few words (default: the
      workstation name);
      --to-main integrates the feature branch into main and stands for the
      user's explicit authorization, which only the user can give; it also
      bumps the app version and creates a LOCAL tag on the merge commit;
      --bump chooses that increment: patch (default) for ordinary work, minor
      when the integration adds behaviour, major when it breaks something
  done --report "..."
      ends your task and delivers the report to the orchestrator
  progress [--point "..."] [--uncommitted "..."] [--next-step "..."] [--discarded "..."]
      with --point, records where this panel is, so a model switch can hand
      the next process the last marco. A flag you do NOT pass KEEPS what the
      previous marco said, dated with the day it was said, so recording only
      your new point never drops what you had already discarded; the answer
      names every field it kept. To retire one, pass it empty:
      --next-step "".
      With NO flag it prints the marco this panel has right now, so the panel
      that recorded one can check it is really there without provoking a
      switch; "tarvolt-ctl status" shows the same marco of every panel, one
      line each
  image --prompt "..." [--out <path>] [--tool <id>] [--api <id>] [--model <id>]
  image --list-tools
      generates ONE image file and prints its absolute path on stdout, and
      nothing else there, so IMG=$(tarvolt-ctl image --prompt "...") works.
      Two kinds of source can draw: the LOCAL TOOLS installed on this
      machine, run HERE in your own terminal, and the image APIs configured
      in the app (the media page of the settings, where a person pastes an
      OpenRouter key and marks which models to use) — those requests are made
      BY THE APP, so no token ever reaches this command. With no flag the app
      tries every usable local tool in order and then the APIs, until one
      delivers: no panel is opened, and a tool that is out of quota is not
      the end of the road. Each fallback is announced on stderr. By default
      the file lands in generated-images/<your terminal>-<timestamp>.png
      inside the workstation folder; --out puts it at another path inside
      that same folder.
      WHEN THE PERSON NAMED A SOURCE, PASS IT: --tool <id> runs that local
      tool and --api <id> calls that API directly, both with the fallback
      OFF, and both fail saying THAT source refused instead of quietly
      drawing with another one. "with GPT" is --tool codex-image and "with
      Google/Gemini" is --tool antigravity-gemini; --model narrows the same
      way. `tarvolt-ctl image --list-tools` prints EVERY source with its id
      and its state — the local tools and the registered APIs — and an id
      that is not one of them fails before anything is generated.
      Generation can take minutes: let it finish. Nothing usable at all = the
      command fails naming what to install, authenticate or configure;
      nothing else draws
  video --prompt "..." [--out <path>] [--api <id>]
      generates ONE video file and prints its absolute path on stdout, and
      nothing else there, so VID=$(tarvolt-ctl video --prompt "...") works.
      Video is ALWAYS a direct API call: there is no local video tool, so the
      chain is the video APIs the user registered and enabled in the app
      settings, tried in the order they arranged there. Those requests are
      made BY THE APP, so no token ever reaches this command, and the app is
      what downloads and saves the result — providers answer with links that
      expire. No video API registered and active = the command FAILS saying
      so and pointing at the settings page; it never falls back to an image
      tool, which cannot produce a video. By default the file lands in
      generated-videos/<your terminal>-<timestamp>.mp4 inside the workstation
      folder; --out puts it at another path inside that same folder. --api
      names one registered API and switches the fallback OFF. Generation runs
      from seconds to several minutes and is checked on each provider's own
      cadence: let it finish
  artifact --path <file> [--kind image|video|build|file]
      declares a produced file as a delivery of your open task (image,
      build product, or other file); the app records size and sha256
  request --summary "..."
      orchestrator only: record a one-line summary of what the user asked;
      every spawn after it links to this request in the ledger
  history [--project <path>] [--day YYYY-MM-DD] [--task <id>] [--panel <id-or-name>] [--commit <sha>]
      prints the project history as a daily report grouped by user request;
      optional filters narrow it by project, day, task, panel or commit
  list
      lists visible and standby terminals with CLI, model, effort and
      category; every standby entry still owns one live CLI process
  status
      prints the delegation ledger of this workstation: what each panel was
      told to do, whether it answered, and which reports you have not read
  inbox
      prints the full text of every report you have not acknowledged yet
  ack [--report <id>]
      confirms you READ those reports (no --report acknowledges all of them)
  note --text "..." [--kind plan|decision|question|summary]
      records in the ledger what the user asked or what you decided
  brief
      prints the live briefing of this workstation (identity, terminals,
      routing categories with their leaders, catalog index and protocol);
      run it as the FIRST action of every session
  skills --for "..."
      prints the catalog skills/MCPs most relevant to that task text (an
      empty list = spawn without --skills/--mcps)
  models [--cli <id>]
      prints the model ids --model accepts, asked of each CLI itself; with no
      --cli it answers for every CLI enabled on this workstation. A CLI that
      cannot list says so instead of being left out of the answer
  quota
      prints what each CLI subscription has left: one block per provider, one
      bar per usage window, and, for a provider that published no number, the
      reason in words - no login, CLI not installed, or no readable source.
      It reads the collection the app keeps while it is open and never asks
      the providers itself, so it answers immediately and costs nothing
  install-skill --id <kebab-id> --name "..." --description "..." [--tags tag1,tag2] --instructions "..."
      installs an authored skill in the private app catalog (orchestrator
      only); accepts content, never a path to a global CLI skill directory)usage";

}  // namespace tv
