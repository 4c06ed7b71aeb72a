import fs from 'node:fs';
delete globalThis.fetch;
const { default: WebMscore } = await import('webmscore');
await WebMscore.ready;
const t0 = Date.now();
let n = 0;
for (const file of process.argv.slice(2)) {
  const t = Date.now();
  try {
    const score = await WebMscore.load('musicxml', new Uint8Array(fs.readFileSync(file)));
    const mscx = Buffer.from(await score.saveMsc('mscx')).toString('utf8');
    const md = await score.metadata();
    if (n++ < 5 || n % 10 == 0) console.log(file, md.measures, (mscx.match(/<Note\b/g) || []).length, Date.now() - t);
  } catch (e) { console.log(file, 'error', String(e), Date.now() - t); }
}
console.log('total', Date.now() - t0, process.memoryUsage().rss >> 20);
