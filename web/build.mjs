// Bundles the page and its worker into the output folder (static files only).
import { build } from 'esbuild';

const [out] = process.argv.slice(2);
await build({
  entryPoints: ['src/page.js', 'src/worker.js'],
  bundle: true,
  format: 'esm',
  minify: true,
  target: 'es2022',
  outdir: out,
  external: ['./tarvix.mjs'],
  logLevel: 'warning',
});
