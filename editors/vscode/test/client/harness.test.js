// The test client against a stand-in server: started through the extension's own server
// options, it initialises, receives diagnostics as a document changes, asks, and shuts down.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('path');
const { serverOptions } = require('../../src/client_options');
const { LspSession, applyEdits } = require('./lsp_harness');

test('a session with the stand-in server, from initialize to exit status 0', async () => {
  const folder = path.resolve(__dirname, '..', '..');
  const session = new LspSession(serverOptions('./test/client/stub_server.js', folder).run);
  try {
    const init = await session.initialize(folder);
    assert.equal(init.capabilities.hoverProvider, true);

    const uri = 'file:///w/S_linea.txt';
    let diagnostics = session.nextDiagnostics(uri);
    session.open(uri, 'scenario-line', '[generale]\r\nERRORE,  1\r\n');
    assert.deepEqual((await diagnostics).map((d) => [d.range.start, d.severity]), [
      [{ line: 1, character: 0 }, 1],
    ]);
    diagnostics = session.nextDiagnostics(uri);
    session.change(uri, '[generale]\r\nlunghezza percorso,    1000\r\n');
    assert.deepEqual(await diagnostics, []);

    const hover = await session.hover(uri, { line: 1, character: 4 });
    assert.equal(hover.contents, 'line 1, character 4');
    assert.equal(await session.shutdown(), 0, session.stderr);
  } finally {
    session.kill();
  }
});

test('edits of a formatting answer apply as the editor applies them', () => {
  const text = 'a,1\r\nbb,  2\r\n';
  const edits = [
    { range: { start: { line: 1, character: 3 }, end: { line: 1, character: 5 } }, newText: '    ' },
    { range: { start: { line: 0, character: 2 }, end: { line: 0, character: 2 } }, newText: '    ' },
  ];
  assert.equal(applyEdits(text, edits), 'a,    1\r\nbb,    2\r\n');
  assert.equal(applyEdits(text, null), text);
});
