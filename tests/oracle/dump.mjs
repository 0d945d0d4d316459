// Dumps Access files through mdb-reader, an independent reader used by the
// tests as an oracle: node dump.mjs FILE... For each file and each of its tables
// (system tables included), one JSON line {"file", "table", "columns": [{name,
// type, size, autoLong, autoUUID}]}, then one JSON line per row: dates as {"ms": milliseconds since
// 1970 as mdb-reader computes them}, bytes as hex, decimals and currency as
// text. A complex column (Access 2007+) is written {"complex": true}: mdb-reader
// resolves it into the rows of its hidden flat table (dumped as tables of their
// own) and cannot resolve multi-value and versioned-memo ones. A file or table it
// cannot read gives a line with "error".
import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

function plain(value) {
  if (value === null || value === undefined) return null;
  if (value instanceof Date) return { ms: value.getTime() };
  if (Buffer.isBuffer(value)) return value.toString("hex");
  if (typeof value === "bigint") return value.toString();
  return value;
}

for (const file of process.argv.slice(2)) {
  let reader;
  try {
    reader = new MDBReader(readFileSync(file));
  } catch (e) {
    console.log(JSON.stringify({ file, error: String(e) }));
    continue;
  }
  const names = reader.getTableNames({ normalTables: true, systemTables: true, linkedTables: false });
  for (const table of names) {
    let t, columns;
    try {
      t = reader.getTable(table);
      columns = t.getColumns();
    } catch (e) {
      console.log(JSON.stringify({ file, table, error: String(e) }));
      continue;
    }
    console.log(JSON.stringify({
      file, table, columns: columns.map((c) => ({
        name: c.name, type: c.type, size: c.size, autoLong: c.autoLong, autoUUID: c.autoUUID,
      })),
    }));
    const simple = columns.filter((c) => c.type !== "complex").map((c) => c.name);
    for (const row of t.getData({ columns: simple })) {
      const out = {};
      for (const c of columns) out[c.name] = c.type === "complex" ? { complex: true } : plain(row[c.name]);
      console.log(JSON.stringify(out));
    }
  }
}
