#include "render/history.h"

#include "support/outcome.h"

#include <gtest/gtest.h>
#include <string>

namespace tv {
namespace {

// Days set apart by one blank line; the project is the reply's, not the day's.
TEST(RenderHistory, LaysOutEveryDay) {
    const char* const two_day_reply = R"({"ok":true,"projectKey":"/w/app","days":[
  {"day":"2026-03-04","requests":[
    {"summary":"  Corrigir\r\nlogin ","totals":{"taskCount":1234,"agentCount":"1","modelCount":2.5,"commitCount":null,
       "totalTokens":1234567,"inputTokens":1000000,"cachedInputTokens":200000,"outputTokens":34567,
       "elapsedSeconds":3725,"costUsd":1.03125,"unpricedTaskCount":1},
     "tasks":[
       {"text":"fix\nlogin","outcome":"done","panelName":"api-2","panelId":7,"totalTokens":1234567,
        "inputTokens":1000000,"cachedInputTokens":200000,"outputTokens":34567,"elapsedSeconds":3725,
        "models":["gpt-x",null,3],"costUsd":1.03125,
        "commits":[{"sha":"abc123","subject":"fix login\n"},{"sha":"def456","subject":"add test"}]},
       {"text":"review","outcome":"failed","panelName":"rev","panelId":"p-9","models":[],"costUsd":null,
        "commits":[]}]},
    {"summary":"Docs","totals":null,"tasks":[]}],"totals":{"costUsd":0,"unpricedTaskCount":3}},
  {"day":"2026-03-05","projectKey":"ignored","requests":[],"totals":"x"}]})";
    // Totals without these figures, or not an object at all.
    const std::string no_figures =
        R"(  execução        undefined tarefa(s) | undefined agente(s) | undefined modelo(s) | undefined commit(s)
  tokens          undefined (entrada undefined, cache undefined, saída undefined)
  tempo total     0h 00m 00s)";
    const std::string days = R"(dia 2026-03-04 — foi feito: Corrigir login; Docs
projeto: /w/app

pedido: Corrigir login
  execução        1234 tarefa(s) | 1 agente(s) | 2.5 modelo(s) | null commit(s)
  tokens          1.234.567 (entrada 1.000.000, cache 200.000, saída 34.567)
  tempo total     1h 02m 05s
  custo           $1.0312 + 1 tarefa(s) sem preço
  tarefa: fix login [done]
    painel          api-2 (7)
    tokens          1.234.567 (entrada 1.000.000, cache 200.000, saída 34.567)
    tempo           1h 02m 05s
    modelos         gpt-x, null, 3
    custo           $1.0312
    commits         {nothing}
      abc123  fix login
      def456  add test
  tarefa: review [failed]
    painel          rev (p-9)
    tokens          undefined (entrada undefined, cache undefined, saída undefined)
    tempo           0h 00m 00s
    modelos         —
    custo           sem preço
    commits         —

pedido: Docs
{no figures}
  custo           $NaN + undefined tarefa(s) sem preço
  (nenhuma tarefa registrada)

TOTAL DO DIA
{no figures}
  custo           desconhecido (3 tarefa(s) sem preço)
*** VALOR TOTAL EM DÓLARES: desconhecido (3 tarefa(s) sem preço) ***

dia 2026-03-05 — foi feito: {nothing}
projeto: /w/app

TOTAL DO DIA
{no figures}
  custo           $NaN + undefined tarefa(s) sem preço
*** VALOR TOTAL EM DÓLARES: $NaN + undefined tarefa(s) sem preço ***)";
    EXPECT_EQ(tvtest::rendered(render_history, two_day_reply),
              tvtest::replaced(tvtest::replaced(days, "{no figures}", no_figures), "{nothing}", ""));
    EXPECT_EQ(tvtest::rendered(render_history, R"({"ok":true,"days":[],"projectKey":"/w/app"})"),
              "nenhum histórico encontrado para os filtros informados (projeto: /w/app)");
}

TEST(RenderHistory, WrongShapedListsEndTheRun) {
    const std::pair<std::string, std::string> cases[] = {
        {R"({"days":"x"})", "responseBody.days is not iterable"},
        {R"({"days":null})", "Cannot read properties of null (reading 'length')"},
        {R"({"days":[{"requests":7}]})", "responseBody.days requests are not iterable"},
        // The first wrong list in report order decides.
        {R"({"days":[{"requests":[{"tasks":[{"models":7,"commits":null}]}]}]})",
         "responseBody history models are not iterable"},
        {R"({"days":[{"requests":[{"tasks":[{"models":[],"commits":1},{"commits":[]}]}]}]})",
         "responseBody history commits are not iterable"},
        {R"({"days":[{"requests":[{"tasks":"x"}]},{"requests":null}]})", "responseBody history tasks are not iterable"},
    };
    for (const auto& [reply, message] : cases)
        EXPECT_EQ(tvtest::rendered(render_history, reply), "fail: " + message) << reply;
}

}  // namespace
}  // namespace tv
