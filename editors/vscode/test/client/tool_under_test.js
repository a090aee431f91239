// The scenario-tool that the server tests run: SCENARIO_TOOL, else the release build of this
// repository (the one CI has just built).
'use strict';

const fs = require('fs');
const path = require('path');
const { spawnSync } = require('child_process');

const tool = process.env.SCENARIO_TOOL ||
  path.resolve(__dirname, '..', '..', '..', '..', 'build', 'release', 'scenario-tool');

// Why the server cannot be tested here, or null when it can.
function unavailable() {
  if (!fs.existsSync(tool)) return `no scenario-tool at ${tool}: build it or set SCENARIO_TOOL`;
  const help = spawnSync(tool, ['--help'], { encoding: 'utf8' });
  if (!/^ {2}lsp\b/m.test(help.stdout || '')) return 'scenario-tool has no lsp command yet';
  return null;
}

module.exports = { tool, unavailable };
