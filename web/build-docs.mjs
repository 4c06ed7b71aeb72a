// Run by web/build: docs/format.md and docs/messages.md as pages of their own
// (format.html, messages.html), and what the page explains messages and
// hints with (explanations.mjs), all written into the folder given, so that
// the page has them offline.
import fs from 'node:fs';
import path from 'node:path';
import { markdownToHtml, messageSections } from './docs.mjs';

const [docs, dist] = process.argv.slice(2);

const page = (title, body) => `<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>${title}</title>
<link rel="icon" href="data:,">
<link rel="stylesheet" href="style.css">
</head>
<body class="document">
<p><a href="./">← Sorvik → MusicXML</a></p>
<main>
${body}
</main>
</body>
</html>
`;

for (const [name, title] of [['format', 'Writing scores in the Sorvik notation'], ['messages', 'Messages of SorvikToMusicXml']]) {
  const markdown = fs.readFileSync(path.join(docs, `${name}.md`), 'utf8');
  fs.writeFileSync(path.join(dist, `${name}.html`), page(title, markdownToHtml(markdown)));
}
const explanations = messageSections(fs.readFileSync(path.join(docs, 'messages.md'), 'utf8'));
fs.writeFileSync(path.join(dist, 'explanations.mjs'),
  `// Made by web/build from docs/messages.md.\nexport default ${JSON.stringify(explanations)};\n`);
