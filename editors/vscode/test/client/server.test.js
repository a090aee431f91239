// The real server, `scenario-tool lsp`, driven as the editor drives it. Skipped, with the reason
// printed, when no tool with an lsp command is at hand (tool_under_test.js).
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');
const { pathToFileURL } = require('url');
const { serverOptions } = require('../../src/client_options');
const { LspSession, applyEdits } = require('./lsp_harness');

const { tool, unavailable } = require('./tool_under_test');

function run(args) {
  const r = spawnSync(tool, args, { encoding: 'latin1' });
  assert.equal(r.status, 0, r.stderr);
  return r;
}

test('a session with scenario-tool lsp: diagnostics, hover, symbols, formatting, exit',
  { skip: unavailable() || false }, async () => {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-lsp-'));
    run(['emit', dir]);
    const linePath = path.join(dir, 'Lindeva_Querno_linea.txt');
    const trainPath = path.join(dir, 'Lindeva_Querno_40716-.txt');
    const lineUri = pathToFileURL(linePath).href;
    const trainUri = pathToFileURL(trainPath).href;
    const clean = fs.readFileSync(linePath, 'latin1');
    const session = new LspSession(serverOptions(tool, dir).run);
    try {
      await session.initialize(dir);

      // A second board before the one at 450 m: the one at 450 m is refused, on its own row.
      const board = 'cartello_indicatore,  450,';
      const at = clean.indexOf(board);
      const faulty = clean.slice(0, at) + 'cartello_indicatore,  460,   (DOPPIO)\r\n' + clean.slice(at);
      const refusedLine = faulty.slice(0, faulty.indexOf(board)).split('\n').length - 1;
      let diagnostics = session.nextDiagnostics(lineUri);
      session.open(lineUri, 'scenario-line', faulty);
      const faults = await diagnostics;
      assert.ok(faults.some((d) => d.range.start.line === refusedLine && d.severity === 1),
        JSON.stringify(faults));

      diagnostics = session.nextDiagnostics(lineUri);
      session.change(lineUri, clean);
      assert.deepEqual(await diagnostics, []);

      // A station's position: its block and its kilometre.
      const train = fs.readFileSync(trainPath, 'latin1');
      session.open(trainUri, 'scenario-train', train);
      const rows = train.split('\r\n');
      const station = rows.findIndex((r) => r.startsWith('stazione,'));
      const hover = await session.hover(trainUri, { line: station, character: rows[station].indexOf('50') });
      assert.ok(hover && JSON.stringify(hover.contents).length > 2, JSON.stringify(hover));

      const symbols = await session.symbols(trainUri);
      const names = JSON.stringify(symbols);
      assert.ok(names.includes('LINDEVA') && names.includes('stazioni'), names);

      // Formatting over the protocol gives what `scenario-tool fmt` writes.
      const odd = clean.replace(/,  /g, ', ').replace(/\r\n/g, '\n');
      session.change(lineUri, odd);
      const edits = await session.format(lineUri);
      assert.equal(applyEdits(odd, edits), clean);

      assert.equal(await session.shutdown(), 0, session.stderr);
    } finally {
      session.kill();
      fs.rmSync(dir, { recursive: true, force: true });
    }
  });
