// The device panels as the desktop draws them: seven-segment digits, the stepper's rotor, the
// scope's trace and the speaker, each also told as text for a screen reader.
const kStrokes = [ // segments a to g, then the point, in bit order
  [5, 2, 15, 2], [17, 5, 17, 13], [17, 20, 17, 28], [5, 31, 15, 31],
  [2, 20, 2, 28], [2, 5, 2, 13], [5, 17, 15, 17], [21, 30, 21, 30],
];
const svgNs = 'http://www.w3.org/2000/svg';
const hex2 = (n) => n.toString(16).toUpperCase().padStart(2, '0');

function digitSvg() {
  const svg = document.createElementNS(svgNs, 'svg');
  svg.setAttribute('viewBox', '0 0 24 34');
  svg.setAttribute('width', '36');
  svg.setAttribute('height', '51');
  svg.setAttribute('aria-hidden', 'true');
  for (const [x1, y1, x2, y2] of kStrokes) {
    const line = document.createElementNS(svgNs, 'line');
    Object.entries({ x1, y1, x2: x2 === x1 && y2 === y1 ? x2 + 0.01 : x2, y2 }).forEach(([k, v]) => line.setAttribute(k, v));
    line.setAttribute('stroke-width', '3');
    line.setAttribute('stroke-linecap', 'round');
    svg.append(line);
  }
  return svg;
}

class DigitRow {
  constructor(figure, count, colour) {
    this.figure = figure;
    this.box = figure.querySelector('.digits');
    this.digits = Array.from({ length: count }, () => this.box.appendChild(digitSvg()));
    this.colour = colour;
    this.shown = '';
  }
  show(patterns) {
    const key = patterns.join(',');
    if (key === this.shown) return;
    this.shown = key;
    patterns.forEach((pattern, d) => {
      this.digits[d].querySelectorAll('line').forEach((line, bit) => {
        line.setAttribute('stroke', (pattern >> bit) & 1 ? this.colour : '#202020');
      });
    });
    this.box.setAttribute('aria-label', `segment codes ${patterns.map(hex2).join(' ')}`);
    this.box.dataset.codes = patterns.map(hex2).join(' ');
  }
}

export class Panels {
  constructor() {
    const $ = (id) => document.getElementById(id);
    this.figures = { scope: $('panelScope'), stepper: $('panelStepper'), led55: $('panelLed8255'), led79: $('panelLed8279'), speaker: $('panelSpeaker') };
    this.led55 = new DigitRow(this.figures.led55, 8, '#ff2020');
    this.led79 = new DigitRow(this.figures.led79, 16, '#ff2020');
    this.scope = this.figures.scope.querySelector('canvas');
    this.scopeTrace = [];
    this.rotorSvg = this.figures.stepper.querySelector('svg');
    this.speakerText = this.figures.speaker.querySelector('.speaker');
    this.audio = null;
    this.tone = null;
    this.hz = 0;
  }

  show(state) {
    // Visibility in the core's panel order: scope, stepper, 8255 LEDs, 8279 LEDs, speaker.
    ['scope', 'stepper', 'led55', 'led79', 'speaker'].forEach((name, i) => {
      this.figures[name].hidden = !state.visible[i];
    });
    this.led55.show(state.led8255);
    this.led79.show(state.led8279);
    this.drawRotor(state.rotor, state.coils);
    this.drawScope(state.scope, state.dac, state.visible[0]);
    this.sound(state.visible[4] ? state.speakerHz : 0);
  }

  drawRotor(angles, coils) {
    const teeth = angles.map((a) => {
      const r = (a * Math.PI) / 180;
      return `<line x1="0" y1="0" x2="${(40 * Math.cos(r)).toFixed(1)}" y2="${(40 * Math.sin(r)).toFixed(1)}" stroke="#334" stroke-width="6"/>`;
    }).join('');
    const magnets = [0, 90, 180, 270].map((a, i) => {
      const r = (a * Math.PI) / 180;
      return `<circle cx="${(52 * Math.cos(r)).toFixed(1)}" cy="${(52 * Math.sin(r)).toFixed(1)}" r="6" fill="${(coils >> i) & 1 ? '#e33' : '#ccc'}"/>`;
    }).join('');
    const html = `<circle r="44" fill="#eee" stroke="#999"/>${magnets}${teeth}<circle r="8" fill="#556"/>`;
    if (this.rotorSvg.innerHTML !== html) this.rotorSvg.innerHTML = html;
    this.rotorSvg.setAttribute('aria-label', `coils ${hex2(coils)}, rotor at ${((angles[0] % 360) + 360) % 360} degrees`);
  }

  // One sample a column, taken every 10 ms by the kit's worker; the trace scrolls leftwards.
  drawScope(samples, dac, visible) {
    if (!visible) return;
    this.scopeTrace.push(...samples);
    this.scopeTrace.splice(0, Math.max(0, this.scopeTrace.length - this.scope.width));
    const g = this.scope.getContext('2d');
    const { width, height } = this.scope;
    g.fillStyle = '#002000';
    g.fillRect(0, 0, width, height);
    g.strokeStyle = '#40ff40';
    g.beginPath();
    this.scopeTrace.forEach((v, x) => {
      const y = height - 4 - ((height - 8) * v) / 255;
      x ? g.lineTo(x, y) : g.moveTo(x, y);
    });
    g.stroke();
    this.scope.setAttribute('aria-label', `DAC ${hex2(dac)}`);
  }

  // The 8254's square wave through WebAudio; silent until the page has had a user gesture.
  sound(hz) {
    this.speakerText.textContent = hz ? `${hz} Hz` : 'silent';
    if (hz === this.hz) return;
    this.hz = hz;
    try {
      this.audio ??= new AudioContext();
      if (this.tone) { this.tone.stop(); this.tone = null; }
      if (hz) {
        this.tone = new OscillatorNode(this.audio, { type: 'square', frequency: hz });
        const gain = new GainNode(this.audio, { gain: 0.05 });
        this.tone.connect(gain).connect(this.audio.destination);
        this.tone.start();
      }
    } catch { /* no audio is no error */ }
  }
}
