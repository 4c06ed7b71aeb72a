// The project's documentation in the page: docs/*.md as HTML (web/build
// makes format.html and messages.html from them), and the part of
// docs/messages.md that explains one message or hint, found by its text.
// Runs in Node at build time and in the browser.

const escape = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');

// The anchor GitHub gives a heading: lower case, signs dropped, blanks as "-".
export function slug(heading) {
  return heading.toLowerCase().replace(/[^\p{L}\p{N} _-]/gu, '').replace(/ /g, '-');
}

// Links between the documents point at their HTML copies; an anchor of the
// same document, at `base` when the text is shown elsewhere.
const href = (link, base) => (link.startsWith('#') ? base + link : link.replace(/^(format|messages)\.md(?=$|#)/, '$1.html'));

function inlineIn(text, base) {
  return text.split(/(`[^`]*`)/).map((part) => {
    if (/^`[^`]*`$/.test(part)) return `<code>${escape(part.slice(1, -1))}</code>`;
    return escape(part)
      .replace(/\*\*([^*]+)\*\*/g, '<strong>$1</strong>')
      .replace(/\[([^\]]+)\]\(([^)\s]+)\)/g, (_, label, link) => `<a href="${href(link, base)}">${label}</a>`);
  }).join('');
}

const cells = (row) => row.trim().replace(/^\||\|$/g, '').split(/(?<!\\)\|/).map((c) => c.trim());

// Markdown as the project's documents use it: headings, paragraphs, lists,
// fenced code, tables and quotes, with code spans, bold text and links.
export function markdownToHtml(markdown, base = '') {
  const inline = (text) => inlineIn(text, base);
  const lines = markdown.split('\n');
  const out = [];
  let i = 0;
  const until = (stop) => {
    const block = [];
    while (i < lines.length && lines[i].trim() !== '' && !stop(lines[i])) block.push(lines[i++]);
    return block;
  };
  const startsBlock = (line) => /^(#{1,6} |```|\||> |- |\d+\. )/.test(line);
  while (i < lines.length) {
    const line = lines[i];
    let m;
    if (line.trim() === '') {
      i++;
    } else if ((m = /^(#{1,6}) (.*)$/.exec(line))) {
      out.push(`<h${m[1].length} id="${slug(m[2])}">${inline(m[2])}</h${m[1].length}>`);
      i++;
    } else if (line.startsWith('```')) {
      const code = [];
      for (i++; i < lines.length && !lines[i].startsWith('```'); i++) code.push(lines[i]);
      i++;
      out.push(`<pre><code>${escape(code.join('\n'))}</code></pre>`);
    } else if (line.startsWith('|')) {
      const rows = until((l) => !l.startsWith('|')).filter((r) => !/^\|[\s|:-]+\|$/.test(r));
      const [head, ...body] = rows.map(cells);
      out.push(`<table><thead><tr>${head.map((c) => `<th>${inline(c)}</th>`).join('')}</tr></thead><tbody>${
        body.map((r) => `<tr>${r.map((c) => `<td>${inline(c)}</td>`).join('')}</tr>`).join('')}</tbody></table>`);
    } else if (line.startsWith('> ')) {
      const quote = until((l) => !l.startsWith('>')).map((l) => l.replace(/^> ?/, ''));
      out.push(`<blockquote>${markdownToHtml(quote.join('\n'), base)}</blockquote>`);
    } else if ((m = /^(- |\d+\. )/.exec(line))) {
      const tag = m[1] === '- ' ? 'ul' : 'ol';
      const items = [];
      for (const l of until((x) => /^#|^```/.test(x))) {
        if (/^(- |\d+\. )/.test(l)) items.push(l.replace(/^(- |\d+\. )/, ''));
        else items[items.length - 1] += ` ${l.trim()}`;
      }
      out.push(`<${tag}>${items.map((it) => `<li>${inline(it)}</li>`).join('')}</${tag}>`);
    } else {
      const para = [line];
      i++;
      para.push(...until(startsBlock));
      out.push(`<p>${inline(para.join(' '))}</p>`);
    }
  }
  return out.join('\n');
}

// A heading of docs/messages.md as a pattern of the messages it explains:
// words in capitals (NAME, N, L/D) stand for any text, " / " parts alternate.
function patternsOf(title) {
  return title.split(' / ').map((part) => {
    const literal = part.replace(/\b[A-Z]+(\/[A-Z]+)?\b/g, '');
    const source = part.split(/\b[A-Z]+(?:\/[A-Z]+)?\b/)
      .map((piece) => piece.replace(/[.*+?^${}()|[\]\\]/g, '\\$&')).join('.*');
    return { source, weight: literal.length };
  });
}

const DOC = 'messages.html';

// What the page keeps of docs/messages.md: each message's section
// ({title, id, html, patterns}) and each hint's row ({kind: {id, line,
// happens, instead}}).
export function messageSections(markdown) {
  const sections = [];
  const hints = {};
  let chapter = '';
  let current = null;
  for (const line of markdown.split('\n')) {
    const heading = /^(#{2,3}) (.*)$/.exec(line);
    if (heading) {
      if (heading[1] === '##') chapter = heading[2];
      current = heading[1] === '###' ? { title: heading[2], id: slug(heading[2]), body: [] } : null;
      if (current && chapter !== 'A normal run') sections.push(current);
      continue;
    }
    if (current) current.body.push(line);
    if (chapter === 'Hints' && line.startsWith('| `')) {
      const [name, where, happens, instead] = cells(line);
      const html = (cell) => inlineIn(cell, DOC);
      hints[name.replace(/`/g, '')] = { id: 'hints', line: html(where), happens: html(happens), instead: html(instead) };
    }
  }
  return {
    sections: sections.map(({ title, id, body }) => ({ title, id, html: markdownToHtml(body.join('\n'), DOC), patterns: patternsOf(title) })),
    hints,
  };
}

// The section that explains a message (the text after "Error in Line
// 000012: "), or null: of those whose heading matches, the most specific.
export function sectionOf(message, sections) {
  let best = null;
  let weight = -1;
  for (const section of sections) {
    for (const p of section.patterns) {
      if (p.weight > weight && new RegExp(p.source).test(message)) {
        best = section;
        weight = p.weight;
      }
    }
  }
  return best;
}
