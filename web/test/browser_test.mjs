// The page in Debian's chromium: typing and running a program, Stop, Step, a breakpoint, an LED
// digit, the terminal, a shared link, and the `?run` report of every example, which must equal
// tarvix-run's. Optionally takes the README's screenshots.
// usage: node browser_test.mjs URL TARVIX-RUN EXAMPLES-FOLDER [SCREENSHOT-FOLDER]
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, readdirSync, readFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';

const [base, tarvixRun, examples, shots] = process.argv.slice(2);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', args: ['--no-sandbox'] });
const page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
page.on('pageerror', (error) => console.log(`page error: ${error.message}`));
let failures = 0;

async function check(name, test) {
  try {
    await test();
    console.log(`ok    ${name}`);
  } catch (error) {
    failures += 1;
    console.log(`FAIL  ${name}: ${error.message.split('\n')[0]}`);
    // A run left going would fail every check after this one.
    await page.evaluate(() => document.getElementById('stop').disabled || document.getElementById('stop').click());
    await page.waitForTimeout(300);
  }
}

const registers = () => page.textContent('#registers');
const paneText = () => page.textContent('#pane');
const until = (test, what, arg = null) => page.waitForFunction(test, arg, { timeout: 10000 }).catch(() => {
  throw new Error(`no ${what}`);
});
// Waits until the text of the element `selector` matches `pattern`.
const untilText = (selector, pattern, what) => until(([s, source, flags]) =>
  new RegExp(source, flags).test(document.querySelector(s).textContent), what, [selector, pattern.source, pattern.flags]);
const stopped = () => until(() => document.getElementById('stop').disabled, 'end of the run');

async function openPage(path = '') {
  await page.goto('about:blank'); // a new fragment alone would not load the page again
  await page.goto(base + path);
  await page.waitForFunction(() => window.tarvixPage);
  await page.evaluate(() => window.tarvixPage.ready());
}

async function typeProgram(text) {
  await page.evaluate(() => window.tarvixPage.editor.setText(''));
  await page.click('.cm-content');
  await page.keyboard.type(text);
}

async function setProgram(text) {
  await page.evaluate((t) => window.tarvixPage.editor.setText(t), text);
}

// Step (F10) on `program`: the kit waits at its first line.
async function stepInto(program) {
  await setProgram(program);
  await page.keyboard.press('F10');
  await until(() => !document.getElementById('stepbar').hidden, 'stepping');
}

// Set (under the registers): a register, flag or address to a value.
async function setState(what, value) {
  await page.fill('#editWhat', what);
  await page.fill('#editValue', value);
  await page.press('#editValue', 'Enter');
}

await openPage();

await check('typed program runs and shows its registers', async () => {
  await typeProgram('mov ax,1234\nmov bx,ax\nhlt\n');
  await page.keyboard.press('F9');
  await stopped();
  const text = await registers();
  if (!/Ax= 1234 Bx= 1234/.test(text)) throw new Error(text);
  if (!(await paneText()).startsWith('Done.')) throw new Error(await paneText());
});

await check('Stop ends an endless loop within 100 ms', async () => {
  await setProgram('again: inc ax\njmp again\n');
  await page.click('#run');
  await until(() => !document.getElementById('stop').disabled, 'run');
  await page.waitForTimeout(300);
  const took = await page.evaluate(() => new Promise((resolve) => {
    const started = performance.now();
    const watch = new MutationObserver(() => {
      if (document.getElementById('stop').disabled) resolve(performance.now() - started);
    });
    watch.observe(document.getElementById('stop'), { attributes: true });
    document.getElementById('stop').click();
  }));
  if (took > 100) throw new Error(`Stop took ${took.toFixed(0)} ms`);
});

await check('Step executes one line at a time', async () => {
  await stepInto('mov ax,1\nmov bx,2\nhlt\n');
  await page.click('#next');
  await untilText('#registers', /Ax= 0001 Bx= 0000/, 'first line');
  await page.click('#next');
  await untilText('#registers', /Ax= 0001 Bx= 0002/, 'second line');
  await page.keyboard.press('Escape');
  await stopped();
});

await check('a step marks what it changed, and the stack names a return address', async () => {
  await stepInto('mov ax,1\ncall work\nhlt\nwork: mov bx,2\nret\n');
  await page.click('#next');
  await untilText('#registers', /Ax= 0001/, 'first line');
  const marked = await page.$$eval('#registers mark', (marks) => marks.map((mark) => mark.textContent));
  if (!marked.includes('0001') || marked.includes('1FFE')) throw new Error(`marked: ${marked}`);
  await page.click('#next');
  await untilText('#stack', /^SP> [0-9A-F]{4}: [0-9A-F]{4}  -> line 3$/m, 'return address');
  await page.fill('#memStart', '1FF0');
  const bytes = await page.$$eval('#memory mark', (marks) => marks.length);
  if (bytes !== 2) throw new Error(`${bytes} bytes marked for the pushed word`);
  await page.fill('#memStart', '1000');
  await page.keyboard.press('Escape');
  await stopped();
});

await check('an edit while stepping is used by the next step; a code byte is refused', async () => {
  await stepInto('mov ax,1\nadd ax,bx\nhlt\n');
  await setState('bx', '10');
  await untilText('#registers', /Bx= 0010/, 'the edited register');
  await setState('1000', '90');
  await untilText('#pane', /Cannot replace opcode/, 'the refusal');
  if (!/^1000: B8 /m.test(await page.textContent('#memory'))) throw new Error('the code byte was written');
  await page.click('#next');
  await page.click('#next');
  await untilText('#registers', /Ax= 0011/, 'the sum');
  await page.fill('#editWhat', '');
  await page.fill('#editValue', '');
  await page.keyboard.press('Escape');
  await stopped();
});

await check('a Run stops at a breakpoint', async () => {
  await setProgram('mov ax,5\nmov cx,3\nmov dx,7\nhlt\n');
  await page.evaluate(() => window.tarvixPage.editor.toggleBreakpoint(2));
  await page.click('#run');
  await until(() => !document.getElementById('stepbar').hidden, 'breakpoint');
  const text = await registers();
  if (!/Cx= 0003/.test(text) || /Dx= 0007/.test(text)) throw new Error(text);
  await until(() => document.querySelector('.cm-tarvix-exec')?.textContent === 'mov dx,7', 'current-line mark');
  if (shots) await page.screenshot({ path: join(shots, 'web-breakpoint.png') });
  await page.click('#continue');
  await stopped();
  if (!/Dx= 0007/.test(await registers())) throw new Error('Continue did not finish');
  await page.evaluate(() => window.tarvixPage.editor.clearBreakpoints());
});

await check('a breakpoint set during a run stops it, and cleared lets it go on', async () => {
  await setProgram('again: inc ax\nmov bx,ax\njmp again\n');
  await page.click('#run');
  await until(() => !document.getElementById('stop').disabled, 'run');
  await page.waitForTimeout(200);
  await page.evaluate(() => window.tarvixPage.editor.toggleBreakpoint(1));
  await until(() => !document.getElementById('stepbar').hidden, 'breakpoint');
  await until(() => document.querySelector('.cm-tarvix-exec')?.textContent === 'mov bx,ax', 'current-line mark');
  await page.keyboard.press('Control+Shift+F9');
  await page.click('#continue');
  await until(() => document.getElementById('stepbar').hidden, 'continue');
  await page.waitForTimeout(300);
  if (await page.evaluate(() => document.getElementById('stop').disabled)) throw new Error('the run ended');
  if (!(await page.evaluate(() => document.getElementById('stepbar').hidden))) throw new Error('stopped again');
  await page.click('#stop');
  await stopped();
});

await check('an OUT lights an 8255 LED digit', async () => {
  await setProgram('connect led55\nmov al,80\nout 26,al\nmov al,fe\nout 22,al\nmov al,3f\nout 20,al\nhlt\n');
  await page.click('#run');
  await stopped();
  await until(() => !document.getElementById('panelLed8255').hidden, 'LED panel');
  const codes = await page.getAttribute('#panelLed8255 .digits', 'aria-label');
  if (!/3F/.test(codes)) throw new Error(codes);
});

await check('the terminal shows what the 8251 sends', async () => {
  await setProgram(readFileSync(join(examples, 'hello.asm'), 'utf8'));
  await page.click('#run');
  await stopped();
  await untilText('#terminalText', /HELLO/, 'terminal text');
});

await check('keys typed during a run reach the kit\'s keyboard interrupt', async () => {
  await setProgram(readFileSync(join(examples, 'key_echo.asm'), 'utf8'));
  await page.click('#run');
  await until(() => !document.getElementById('stop').disabled, 'run');
  await page.waitForTimeout(200);
  await page.keyboard.type('Kit', { delay: 20 });
  await untilText('#terminalText', /Kit$/, 'echoed keys');
  await page.keyboard.press('Escape');
  await stopped();
});

await check('a shared link opens its program', async () => {
  const program = 'mov al,41 ; ä\nhlt\n';
  const fragment = Buffer.from(program, 'utf8').toString('base64url');
  await openPage(`#src=${fragment}`);
  const text = await page.evaluate(() => window.tarvixPage.editor.text());
  if (text !== program) throw new Error(JSON.stringify(text));
  await page.click('#share');
  const shared = await page.evaluate(() => location.hash);
  if (shared !== `#src=${fragment}`) throw new Error(shared);
});

await check('a long program shares in the compressed form and opens again', async () => {
  const program = readFileSync(join(examples, 'multable.asm'), 'utf8').repeat(4);
  await setProgram(program);
  await page.click('#share');
  const shared = await page.evaluate(() => location.hash);
  if (!shared.startsWith('#src=~')) throw new Error(shared.slice(0, 20));
  await openPage(shared);
  if ((await page.evaluate(() => window.tarvixPage.editor.text())) !== program) throw new Error('text differs');
});

if (shots) {
  await check('screenshot of blink.asm at Kit clock', async () => {
    await openPage();
    await setProgram(readFileSync(join(examples, 'blink.asm'), 'utf8'));
    await page.selectOption('#speed', '1');
    await page.click('#run');
    await page.waitForTimeout(1500);
    const lit = () => page.evaluate(() => /FF/.test(document.querySelector('#panelLed8255 .digits').dataset.codes));
    for (let tries = 0; tries < 20; tries++) { // the digits blink: the shot is kept when they were lit on both sides
      await until(() => /FF/.test(document.querySelector('#panelLed8255 .digits').dataset.codes), 'lit digits');
      await page.screenshot({ path: join(shots, 'web-blink-kit-clock.png') });
      if (await lit()) break;
    }
    await page.click('#stop');
    await stopped();
  });
}

const scratch = mkdtempSync(join(tmpdir(), 'tarvix-web-'));
const runs = readdirSync(examples).filter((name) => name.endsWith('.asm')).sort()
  .map((file) => ({ file, query: `clock=8&keys=${encodeURIComponent('Kit 8086')}&steps=1000000`,
    args: ['--clock', '8', '--keys', 'Kit 8086', '--max-steps', '1000000'] }));
runs.push({ file: 'sum.asm', query: 'break=9', args: ['--break', '9'] });
for (const { file, query, args: options } of runs) {
  await check(`?run&${query} report of ${file} equals tarvix-run's`, async () => {
    copyFileSync(join(examples, file), join(scratch, file));
    const args = ['--json', '--memory', '1000-1FFF', ...options];
    let expected;
    try {
      expected = execFileSync(tarvixRun, [...args, join(scratch, file)], { encoding: 'utf8' });
    } catch (failed) {
      expected = failed.stdout;
    }
    const fragment = Buffer.from(readFileSync(join(examples, file))).toString('base64url');
    await page.goto('about:blank');
    await page.goto(`${base}?run&${query}#src=${fragment}`);
    await page.waitForSelector('#tarvix-report:not([hidden])', { timeout: 60000 });
    const report = await page.textContent('#tarvix-report');
    if (report !== expected) throw new Error(`${report.slice(0, 200)} …`);
  });
}

await browser.close();
console.log(failures === 0 ? 'all browser tests passed' : `${failures} browser test(s) failed`);
process.exit(failures === 0 ? 0 : 1);
