// The kit runs here, so that the page stays responsive while a program runs; the page reaches
// a running kit through the shared control block.
import { loadCore } from './core.js';

const core = await loadCore();
const kit = new core.WebKit();
core.post = (json) => postMessage({ type: 'state', json });

const commands = {
  control({ control }) { core.control = control; },
  run(message) { prepare(message) && kit.run(); },
  step(message) { prepare(message) && kit.step(); },
  runToCursor(message) { prepare(message) && kit.runToCursor(); },
  reset() { kit.resetCpu(); },
  resetMemory() { kit.resetMemory(); },
  edit({ code }) { kit.edit(code); },
  assemble(message) {
    kit.setSource(message.source, '');
    postMessage({ type: 'list', text: kit.assemble() });
  },
};

function prepare({ source, breakpoints, speed, mhz, linesPerSecond }) {
  kit.setSpeed(speed, mhz, linesPerSecond);
  return kit.setSource(source, breakpoints.join(','));
}

onmessage = ({ data }) => {
  commands[data.type](data);
  if (data.type !== 'control') postMessage({ type: 'state', json: kit.state(), done: true });
};
postMessage({ type: 'ready' });
