// The real server against bad input on the wire and a long editing session: every fault gets
// an error answer and the server goes on; its memory stays put over a thousand edits.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawn, spawnSync } = require('child_process');
const { pathToFileURL } = require('url');
const { StreamMessageReader } = require('vscode-languageserver-protocol/node');
const { serverOptions } = require('../../src/client_options');
const { LspSession } = require('./lsp_harness');
const { tool, unavailable } = require('./tool_under_test');

const skip = unavailable() || false;

function framed(body) {
  const bytes = Buffer.from(body, 'utf8');
  return Buffer.concat([Buffer.from(`Content-Length: ${bytes.length}\r\n\r\n`), bytes]);
}

function message(o) {
  return framed(JSON.stringify({ jsonrpc: '2.0', ...o }));
}

test('bad input over the protocol gets error answers, never a crash or a hang', { skip }, async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-lsp-bad-'));
  const child = spawn(tool, ['lsp'], { stdio: ['pipe', 'pipe', 'pipe'] });
  const received = [];
  let answered = () => {};
  // Read back through the protocol library's own framing.
  const reader = new StreamMessageReader(child.stdout);
  reader.listen((m) => {
    received.push(m);
    answered();
  });
  const exited = new Promise((resolve) => child.on('exit', (code) => resolve(code)));
  const until = (what, ms = 10000) => new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`${what}: nothing within ${ms} ms`)), ms);
    const check = () => {
      const m = received.find(what);
      if (m) {
        clearTimeout(timer);
        resolve(m);
      } else {
        answered = check;
      }
    };
    check();
  });
  try {
    const trainUri = pathToFileURL(path.join(dir, 'S_1-.txt')).href;
    child.stdin.write(message({ id: 1, method: 'initialize', params: { capabilities: {} } }));
    await until((m) => m.id === 1);

    child.stdin.write(framed('{"jsonrpc":"2.0","id":2,"method":'));
    const parse = await until((m) => m.error && m.error.code === -32700);
    assert.equal(parse.id, null);

    child.stdin.write('Content-Type: application/vscode-jsonrpc\r\n\r\n');
    await until((m) => m.error && m.error.code === -32700 && /Content-Length/.test(m.error.message));

    child.stdin.write(message({ id: 3, method: 'textDocument/rename', params: {} }));
    assert.equal((await until((m) => m.id === 3)).error.code, -32601);

    const notes = pathToFileURL(path.join(dir, 'notes.txt')).href;
    child.stdin.write(message({ method: 'textDocument/didOpen',
      params: { textDocument: { uri: notes, languageId: 'plaintext', version: 1, text: 'hello' } } }));
    child.stdin.write(message({ id: 4, method: 'textDocument/documentSymbol',
      params: { textDocument: { uri: notes } } }));
    assert.equal((await until((m) => m.id === 4)).error.code, -32803);

    // A 10 MB document: told as too large, and requests on it fail.
    child.stdin.write(message({ method: 'textDocument/didOpen',
      params: { textDocument: { uri: trainUri, languageId: 'scenario-train', version: 1,
        text: 'stazione, 50\r\n'.repeat(750000) } } }));
    const big = await until((m) => m.method === 'textDocument/publishDiagnostics' && m.params.uri === trainUri);
    assert.equal(big.params.diagnostics[0].code, 'too large');
    child.stdin.write(message({ id: 5, method: 'textDocument/hover',
      params: { textDocument: { uri: trainUri }, position: { line: 0, character: 0 } } }));
    assert.equal((await until((m) => m.id === 5)).error.code, -32803);

    child.stdin.write(message({ id: 6, method: 'shutdown' }));
    assert.equal((await until((m) => m.id === 6)).result, null);
    child.stdin.write(message({ method: 'exit' }));
    assert.equal(await exited, 0);
  } finally {
    reader.dispose();
    if (child.exitCode === null) child.kill();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

// Resident memory of a process in kB, from /proc; null where there is none.
function residentKb(pid) {
  try {
    const m = /VmRSS:\s+(\d+) kB/.exec(fs.readFileSync(`/proc/${pid}/status`, 'utf8'));
    return m ? Number(m[1]) : null;
  } catch {
    return null;
  }
}

test('the server\'s memory stays bounded over 1,000 edits', { skip: skip || (!fs.existsSync('/proc/self/status') && 'no /proc here') }, async () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-lsp-mem-'));
  const r = spawnSync(tool, ['emit', dir], { encoding: 'latin1' });
  assert.equal(r.status, 0, r.stderr);
  const linePath = path.join(dir, 'Lindeva_Querno_linea.txt');
  const uri = pathToFileURL(linePath).href;
  const clean = fs.readFileSync(linePath, 'latin1');
  const session = new LspSession(serverOptions(tool, dir).run);
  try {
    await session.initialize(dir);
    let diagnostics = session.nextDiagnostics(uri);
    session.open(uri, 'scenario-line', clean);
    await diagnostics;
    let after100 = null;
    for (let i = 1; i <= 1000; ++i) {
      // Every tenth edit waits for its diagnostics, as an author who pauses now and then.
      const wait = i % 10 === 0;
      if (wait) diagnostics = session.nextDiagnostics(uri);
      session.change(uri, clean + ' '.repeat(i % 40));
      if (wait) await diagnostics;
      if (i === 100) after100 = residentKb(session.child.pid);
    }
    const after1000 = residentKb(session.child.pid);
    assert.ok(after100 !== null && after1000 !== null);
    assert.ok(after1000 - after100 < 8 * 1024,
      `resident memory grew from ${after100} kB to ${after1000} kB between edits 100 and 1,000`);
    assert.equal(await session.shutdown(), 0, session.stderr);
  } finally {
    session.kill();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});
