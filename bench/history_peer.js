// The Node.js peer of `tarvolt-ctl history` for the benchmark: the same POST
// on the same variables, JSON.parse of the whole reply, the same report text
// on standard output. It covers the shapes of the benchmark's reply, not
// every rule of the client.
'use strict';
const http = require('http');

const port = Number(process.env.TARVOLT_CTL_PORT);
const body = JSON.stringify({ command: 'history', from: process.env.TARVOLT_TERMINAL_NAME });

const text = (v) => (v === undefined ? 'undefined' : String(v));
const oneLine = (v) => text(v).replace(/[\r\n]+/g, ' ').trim();
const grouped = (v) => {
  if (typeof v !== 'number') return text(v);
  const sign = Object.is(v, -0) || v < 0 ? '-' : '';
  const digits = BigInt(Math.trunc(Math.abs(v))).toString();
  return sign + digits.replace(/\B(?=(\d{3})+(?!\d))/g, '.');
};
const two = (n) => String(n).padStart(2, '0');
const duration = (v) => {
  const s = typeof v === 'number' && v > 0 ? Math.floor(v) : 0;
  return `${Math.floor(s / 3600)}h ${two(Math.floor(s / 60) % 60)}m ${two(s % 60)}s`;
};
// toFixed rounds an exact tie up; the client rounds it to even. A double
// halfway between two tenths of a thousandth is a multiple of 1/32.
const dollars = (x) => {
  const y = x * 10000;
  if (Number.isInteger(x * 32) && !Number.isInteger(y)) {
    const down = Math.floor(y);
    return '$' + ((down % 2 === 0 ? down : down + 1) / 10000).toFixed(4);
  }
  return '$' + x.toFixed(4);
};
const taskCost = (c) => (c === null ? 'sem preço' : typeof c === 'number' ? dollars(c) : '$NaN');
const cost = (c, unpriced) => {
  const money = typeof c === 'number' ? dollars(c) : '$NaN';
  if (typeof unpriced === 'number' && Math.trunc(unpriced) === 0) return money;
  const n = grouped(unpriced);
  return c === 0 ? `desconhecido (${n} tarefa(s) sem preço)` : `${money} + ${n} tarefa(s) sem preço`;
};
const line = (indent, label, value) => indent + label.padEnd(16) + value;
const tokens = (h) =>
  `${grouped(h.totalTokens)} (entrada ${grouped(h.inputTokens)}, cache ${grouped(h.cachedInputTokens)}, ` +
  `saída ${grouped(h.outputTokens)})`;
const totals = (t) => [
  line('  ', 'execução',
    `${t.taskCount} tarefa(s) | ${t.agentCount} agente(s) | ${t.modelCount} modelo(s) | ${t.commitCount} commit(s)`),
  line('  ', 'tokens', tokens(t)),
  line('  ', 'tempo total', duration(t.elapsedSeconds)),
  line('  ', 'custo', cost(t.costUsd, t.unpricedTaskCount)),
];

function render(reply) {
  const project = text(reply.projectKey);
  if (reply.days.length === 0) return `nenhum histórico encontrado para os filtros informados (projeto: ${project})`;
  const out = [];
  reply.days.forEach((day, d) => {
    if (d > 0) out.push('');
    const summaries = day.requests.map((r) => oneLine(r.summary));
    out.push(`dia ${text(day.day)} — foi feito: ${summaries.join('; ')}`, `projeto: ${project}`, '');
    day.requests.forEach((r, i) => {
      out.push(`pedido: ${summaries[i]}`, ...totals(r.totals));
      if (r.tasks.length === 0) out.push('  (nenhuma tarefa registrada)');
      for (const t of r.tasks) {
        out.push(`  tarefa: ${oneLine(t.text)} [${text(t.outcome)}]`,
          line('    ', 'painel', `${text(t.panelName)} (${text(t.panelId)})`),
          line('    ', 'tokens', tokens(t)),
          line('    ', 'tempo', duration(t.elapsedSeconds)),
          line('    ', 'modelos', t.models.length === 0 ? '—' : t.models.map(text).join(', ')),
          line('    ', 'custo', taskCost(t.costUsd)),
          line('    ', 'commits', t.commits.length === 0 ? '—' : ''));
        for (const c of t.commits) out.push(`      ${text(c.sha)}  ${oneLine(c.subject)}`);
      }
      out.push('');
    });
    out.push('TOTAL DO DIA', ...totals(day.totals),
      `*** VALOR TOTAL EM DÓLARES: ${cost(day.totals.costUsd, day.totals.unpricedTaskCount)} ***`);
  });
  return out.join('\n');
}

const req = http.request({
  host: '127.0.0.1', port, method: 'POST', path: '/control',
  headers: { 'content-type': 'application/json', 'content-length': Buffer.byteLength(body),
    'x-tarvolt-token': process.env.TARVOLT_CTL_TOKEN, connection: 'close' },
}, (res) => {
  const chunks = [];
  res.on('data', (c) => chunks.push(c));
  res.on('end', () => {
    const reply = JSON.parse(Buffer.concat(chunks).toString('utf8'));
    if (reply.ok !== true) {
      process.stderr.write(`tarvolt-ctl: ${reply.error}\n`);
      process.exitCode = 1;
      return;
    }
    process.stdout.write(render(reply) + '\n');
  });
});
req.on('error', (e) => { process.stderr.write(`tarvolt-ctl: ${e.message}\n`); process.exitCode = 1; });
req.end(body);
