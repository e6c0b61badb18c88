// The Firefox side of the browser extension: Mozilla's own linter (web-ext lint) over the
// extension's files. Passes when it finds no error and no warning but the one the manifest
// takes on knowingly: Firefox ignores "service_worker" and runs the "scripts" beside it.
//
//   node lint.mjs EXTENSION_FOLDER
import { spawnSync } from "node:child_process";
import path from "node:path";
import { fileURLToPath } from "node:url";

const expected = new Set(["BACKGROUND_SERVICE_WORKER_IGNORED"]);
const webExt = path.join(path.dirname(fileURLToPath(import.meta.url)), "node_modules", ".bin", "web-ext");
const run = spawnSync(webExt, ["lint", "--source-dir", process.argv[2], "--ignore-files", "files.txt",
                               "--output", "json", "--no-config-discovery"],
                      { encoding: "utf8", timeout: 120000 });
if (run.error) {
  console.error(`web-ext did not run (${run.error.message}): scripts/install-deps.sh installs it`);
  process.exit(1);
}
const report = JSON.parse(run.stdout);
const unexpected = [...report.errors, ...report.warnings.filter((w) => !expected.has(w.code))];
for (const m of [...report.errors, ...report.warnings, ...report.notices])
  console.log(`${m._type} ${m.code} ${m.file || ""}: ${m.message}`);
console.log(`${report.errors.length} error(s), ${report.warnings.length} warning(s), ${report.notices.length} notice(s)`);
process.exit(unexpected.length === 0 && report.summary.errors === 0 ? 0 : 1);
