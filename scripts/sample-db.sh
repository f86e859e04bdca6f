#!/usr/bin/env bash
# Creates the sample SQLite database (once) and registers it as the user data source
# "VarkelSample" when no data source of that name exists.
set -euo pipefail
cd "$(dirname "$0")/.."

db="$PWD/build/sample/varkel-sample.db"
if [ ! -f "$db" ]; then
  mkdir -p "$(dirname "$db")"
  sqlite3 "$db.tmp" <data/sample.sql
  mv "$db.tmp" "$db"
fi
if ! odbcinst -q -s -n VarkelSample >/dev/null 2>&1; then
  template=$(mktemp)
  printf '[VarkelSample]\nDescription=Varkel sample database\nDriver=SQLite3\nDatabase=%s\n' \
    "$db" >"$template"
  odbcinst -i -s -h -f "$template"
  rm -f "$template"
  echo "Registered the user data source VarkelSample ($db)"
fi
