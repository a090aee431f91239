// How the extension starts its language server and which documents it hands to it. Kept apart
// from the editor's API so that the tests can drive the same server the editor would.
'use strict';

const fs = require('fs');
const path = require('path');

const DEFAULT_TOOL = 'scenario-tool';
const SERVER_ARGS = ['lsp'];
const LANGUAGES = ['scenario-line', 'scenario-train'];

// The tool's file name on this system: Windows runs scenario-tool.exe.
function toolFileName(platform = process.platform) {
  return platform === 'win32' ? `${DEFAULT_TOOL}.exe` : DEFAULT_TOOL;
}

// The tool to run for the toolPath setting: a bare name is left to the PATH lookup (which
// finds scenario-tool.exe for scenario-tool on Windows), a relative path is taken from the
// workspace folder, as the author sees it in the settings. With the default setting, a tool
// placed beside the extension (in extensionDir) comes first.
function resolveToolPath(setting, workspaceFolder, extensionDir, platform = process.platform) {
  const tool = typeof setting === 'string' && setting.trim() !== '' ? setting.trim() : DEFAULT_TOOL;
  if (tool === DEFAULT_TOOL && extensionDir) {
    const beside = path.join(extensionDir, toolFileName(platform));
    if (fs.existsSync(beside)) return beside;
  }
  if (!/[\\/]/.test(tool) || path.isAbsolute(tool) || !workspaceFolder) return tool;
  return path.resolve(workspaceFolder, tool);
}

// The server as vscode-languageclient takes it: an executable that speaks over its standard
// input and output (no transport given means stdio), run from the workspace folder.
function serverOptions(setting, workspaceFolder, extensionDir) {
  const run = {
    command: resolveToolPath(setting, workspaceFolder, extensionDir),
    args: [...SERVER_ARGS],
  };
  if (workspaceFolder) run.options = { cwd: workspaceFolder };
  return { run, debug: run };
}

// Only sources on disk: the server compiles a source together with the other one of its folder.
function clientOptions() {
  return {
    documentSelector: LANGUAGES.map((language) => ({ scheme: 'file', language })),
  };
}

module.exports = {
  DEFAULT_TOOL, LANGUAGES, SERVER_ARGS, toolFileName, resolveToolPath, serverOptions, clientOptions,
};
