// Reads cases, one JSON array [pattern, replacement, subject] per line, and writes for
// each the code points of subject.replace(new RegExp(pattern, "gu"), replacement), or
// "invalid" when the pattern is not valid ECMAScript.
'use strict';
const lines = require('fs').readFileSync(process.argv[2], 'utf8').split('\n');
const out = [];
for (const line of lines) {
  if (line === '') continue;
  const [pattern, replacement, subject] = JSON.parse(line);
  let regex;
  try {
    regex = new RegExp(pattern, 'gu');
  } catch (e) {
    out.push('invalid');
    continue;
  }
  out.push(Array.from(subject.replace(regex, replacement), (c) => c.codePointAt(0)).join(' '));
}
process.stdout.write(out.join('\n') + '\n');
