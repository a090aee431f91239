// How the extension starts its language server and which documents it hands to it. Kept apart
// from the editor's API so that the tests can drive the same server the editor would.
'use strict';

const path = require('path');

const DEFAULT_TOOL = 'scenario-tool';
const SERVER_ARGS = ['lsp'];
const LANGUAGES = ['scenario-line', 'scenario-train'];

// The tool to run for the toolPath setting: a bare name is left to the PATH lookup, a relative
// path is taken from the workspace folder, as the author sees it in the settings.
function resolveToolPath(setting, workspaceFolder) {
  const tool = typeof setting === 'string' && setting.trim() !== '' ? setting.trim() : DEFAULT_TOOL;
  if (!/[\\/]/.test(tool) || path.isAbsolute(tool) || !workspaceFolder) return tool;
  return path.resolve(workspaceFolder, tool);
}

// The server as vscode-languageclient takes it: an executable that speaks over its standard
// input and output (no transport given means stdio), run from the workspace folder.
function serverOptions(setting, workspaceFolder) {
  const run = { command: resolveToolPath(setting, workspaceFolder), args: [...SERVER_ARGS] };
  if (workspaceFolder) run.options = { cwd: workspaceFolder };
  return { run, debug: run };
}

// Only sources on disk: the server compiles a source together with the other one of its folder.
function clientOptions() {
  return {
    documentSelector: LANGUAGES.map((language) => ({ scheme: 'file', language })),
  };
}

module.exports = { DEFAULT_TOOL, LANGUAGES, SERVER_ARGS, resolveToolPath, serverOptions, clientOptions };
