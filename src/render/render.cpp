#include "render/render.h"

#include "render/history.h"
#include "render/ledger.h"
#include "render/lifecycle.h"
#include "render/list_brief.h"
#include "render/merge_models_skills.h"

#include <utility>

namespace tv {

Renderer renderer_for(std::string_view command) {
    static constexpr std::pair<std::string_view, Renderer> table[] = {
        {"spawn", render_spawn},       {"send", render_send},
        {"standby", render_standby},   {"resume", render_resume},
        {"close", render_close},       {"done", render_done},
        {"progress", render_progress}, {"artifact", render_artifact},
        {"request", render_request},   {"note", render_note},
        {"inbox", render_inbox},       {"ack", render_ack},
        {"status", render_status},     {"list", render_list},
        {"brief", render_brief},       {"merge", render_merge},
        {"models", render_models},     {"skills", render_skills},
        {"quota", render_quota},       {"install-skill", render_install_skill},
        {"history", render_history},
    };
    for (const auto& [name, renderer] : table) {
        if (name == command) return renderer;
    }
    return nullptr;
}

}  // namespace tv
