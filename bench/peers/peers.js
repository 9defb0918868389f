// One timed streaming parse of an X12 file by a peer parser from npm, for
// bench/run: prints "peer=NAME bytes=N seconds=S cpu=C segments=K maxrss=BYTES"
// (cpu: the process's user and system seconds over the parse, all threads).
//   node peers.js MODULES_DIR node-x12|x12-parser FILE
// node-x12: X12Parser(false) (streaming, not strict) piped from a read
// stream; x12-parser: X12parser piped the same way. Segments are counted and
// dropped, so neither builds a tree.
'use strict';
const fs = require('fs');
const path = require('path');
const { createRequire } = require('module');

const [modulesDir, peer, file] = process.argv.slice(2);
const requireFrom = createRequire(path.join(path.resolve(modulesDir), 'package.json'));
const bytes = fs.statSync(file).size;

function done(t0, cpu0, segments) {
  const seconds = Number(process.hrtime.bigint() - t0) / 1e9;
  const used = process.cpuUsage(cpu0);
  const cpu = (used.user + used.system) / 1e6;
  const maxrss = process.resourceUsage().maxRSS * 1024;
  console.log(`peer=${peer} bytes=${bytes} seconds=${seconds.toFixed(6)} cpu=${cpu.toFixed(6)} segments=${segments} maxrss=${maxrss}`);
}

let parser;
if (peer === 'node-x12') {
  const { X12Parser } = requireFrom('node-x12');
  parser = new X12Parser(false);
} else if (peer === 'x12-parser') {
  const { X12parser } = requireFrom('x12-parser');
  parser = new X12parser();
} else {
  console.error('unknown peer ' + peer);
  process.exit(2);
}
let segments = 0;
const t0 = process.hrtime.bigint();
const cpu0 = process.cpuUsage();
parser.on('error', (e) => { console.error(String(e)); process.exit(1); });
fs.createReadStream(file).pipe(parser).on('data', () => { ++segments; }).on('end', () => done(t0, cpu0, segments));
