// Node check of the WebAssembly core: every example's report from the module equals
// `tarvix-run --json --memory 1000-1FFF --max-steps 1000000` on it, and the worker's kit runs a program.
// usage: node --no-experimental-fetch core_check.mjs TARVIX.MJS TARVIX-RUN EXAMPLES-FOLDER
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, readdirSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { createRequire } from 'node:module';
import { dirname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [modulePath, tarvixRun, examples] = process.argv.slice(2);
// The module, built for the browser, is handed its .wasm under node.
globalThis.__dirname = dirname(resolve(modulePath));
globalThis.require = createRequire(import.meta.url);
const wasmBinary = readFileSync(join(dirname(modulePath), 'tarvix.wasm'));
const { default: createTarvix } = await import(pathToFileURL(modulePath).href);
const tarvix = await createTarvix({ wasmBinary });
const scratch = mkdtempSync(join(tmpdir(), 'tarvix-web-'));
let failures = 0;

function nativeReport(file) {
  const copy = join(scratch, file);
  copyFileSync(join(examples, file), copy);
  try {
    return execFileSync(tarvixRun, ['--json', '--memory', '1000-1FFF', '--max-steps', '1000000', copy], { encoding: 'utf8' });
  } catch (failed) {
    return failed.stdout; // a program that fails still reports
  }
}

for (const file of readdirSync(examples).filter((name) => name.endsWith('.asm')).sort()) {
  const source = readFileSync(join(examples, file), 'utf8');
  const same = tarvix.reportRun(source, 5, '', 0, 1000000) === nativeReport(file);
  console.log(`${same ? 'same' : 'DIFFERENT'} report: ${file}`);
  failures += same ? 0 : 1;
}

const kit = new tarvix.WebKit();
kit.setSource('mov ax,1234\nmov bx,ax\nhlt\n', '');
kit.run();
const state = JSON.parse(kit.state());
const ran = state.registers[0].includes('1234') && state.pane.startsWith('Done.');
console.log(`${ran ? 'ran' : 'DID NOT RUN'}: ${state.pane} | ${state.registers[0]}`);
failures += ran ? 0 : 1;
process.exit(failures === 0 ? 0 : 1);
