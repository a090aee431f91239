// The server command and the documents the client hands to it.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const path = require('path');
const manifest = require('../../package.json');
const { resolveToolPath, serverOptions, clientOptions } = require('../../src/client_options');

test('the toolPath setting gives the executable to run', () => {
  const cases = [
    [undefined, '/w', 'scenario-tool'],
    ['', '/w', 'scenario-tool'],
    ['   ', '/w', 'scenario-tool'],
    ['scenario-tool-2', '/w', 'scenario-tool-2'],  // a bare name: looked up on PATH
    ['/opt/bin/scenario-tool', '/w', '/opt/bin/scenario-tool'],
    ['build/release/scenario-tool', '/w', '/w/build/release/scenario-tool'],
    [' ./bin/scenario-tool ', '/w', '/w/bin/scenario-tool'],
    ['build/scenario-tool', undefined, 'build/scenario-tool'],  // no folder to resolve against
  ];
  for (const [setting, folder, expected] of cases) {
    assert.equal(resolveToolPath(setting, folder), expected, `setting ${JSON.stringify(setting)}`);
  }
});

test('with the default setting a tool beside the extension comes first, else PATH', () => {
  const fs = require('fs');
  const os = require('os');
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-ext-'));
  try {
    // Nothing beside it: the bare name, for the PATH lookup.
    assert.equal(resolveToolPath(undefined, '/w', dir, 'win32'), 'scenario-tool');
    fs.writeFileSync(path.join(dir, 'scenario-tool.exe'), '');
    assert.equal(resolveToolPath(undefined, '/w', dir, 'win32'), path.join(dir, 'scenario-tool.exe'));
    assert.equal(resolveToolPath('scenario-tool', '/w', dir, 'win32'), path.join(dir, 'scenario-tool.exe'));
    // The Windows name is not the Linux tool; a setting of the author's own wins.
    assert.equal(resolveToolPath(undefined, '/w', dir, 'linux'), 'scenario-tool');
    assert.equal(resolveToolPath('bin/scenario-tool', '/w', dir, 'win32'), path.resolve('/w', 'bin/scenario-tool'));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

test('the server is the tool started as "lsp" over standard input and output', () => {
  const o = serverOptions('bin/scenario-tool', '/w');
  assert.deepEqual(o.run, { command: '/w/bin/scenario-tool', args: ['lsp'], options: { cwd: '/w' } });
  assert.deepEqual(o.debug, o.run);
  assert.equal(o.run.transport, undefined);  // none given: stdio
  assert.deepEqual(serverOptions(undefined, undefined).run, { command: 'scenario-tool', args: ['lsp'] });
});

// A file name pattern of the manifest ('*' only) as a test on a base name.
function matches(pattern, name) {
  const re = new RegExp('^' + pattern.split('*').map((s) => s.replace(/[.+?^${}()|[\]\\]/g, '\\$&')).join('.*') + '$');
  return re.test(name);
}

test('the client serves exactly the languages the manifest contributes, each with its grammar', () => {
  const languages = manifest.contributes.languages.map((l) => l.id).sort();
  const selected = clientOptions().documentSelector.map((s) => s.language).sort();
  assert.deepEqual(selected, languages);
  for (const s of clientOptions().documentSelector) assert.equal(s.scheme, 'file');
  const grammars = manifest.contributes.grammars.map((g) => g.language).sort();
  assert.deepEqual(grammars, languages);
  for (const g of manifest.contributes.grammars) {
    const grammar = require(path.join('../..', g.path));
    assert.equal(grammar.scopeName, g.scopeName);
  }
});

test('source file names open in their language, the documents in none', () => {
  const languageOf = (name) => {
    const found = manifest.contributes.languages.filter((l) =>
      l.filenamePatterns.some((p) => matches(p, name)));
    return found.map((l) => l.id).join(',') || null;
  };
  assert.equal(languageOf('Lindeva_Querno_linea.txt'), 'scenario-line');
  assert.equal(languageOf('Lindeva_Querno_40716-.txt'), 'scenario-train');
  for (const doc of ['note', 'rallentamenti', 'scheda_treno']) {
    assert.equal(languageOf(`Lindeva_Querno_40716_${doc}.txt`), null, doc);
  }
});
