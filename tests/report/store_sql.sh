#!/bin/sh
# The store as SQL users see it, in SQLite and in PostgreSQL:
# - a log whose texts are in the Western code page reads back in UTF-8, the same bytes
#   from the sqlite3 shell, Python's sqlite3 module and psql;
# - every example query of the store's document (a block from a line that starts with
#   "SELECT" to ";") gives the same rows from both databases, and some rows.
#   store_sql.sh CLAVORO_REPORT MAKE_TEST_LOG DOCUMENT WORK
# The PostgreSQL server is CLAVORO_TEST_POSTGRES; the case works in a schema of its own.
set -eu
report=$1 make_log=$2 document=$3 work=$4
rm -rf "$work" && mkdir -p "$work" && cd "$work"
schema=clavoro_sql_$$
export PGOPTIONS="-c search_path=$schema -c client_min_messages=warning"
pg="$CLAVORO_TEST_POSTGRES"
psql -qX "$pg" -c "DROP SCHEMA IF EXISTS $schema CASCADE; CREATE SCHEMA $schema"
trap 'psql -qX "$pg" -c "DROP SCHEMA $schema CASCADE"' EXIT

printf '%s\r\n' "======== START OF NEW TEST RUN ========" "Sat Dec 05 15:17:58 2026" \
    "Operator identification: J$(printf '\374')rgen M$(printf '\374')ller" \
    "Product identification: KB-104" "Serial number: SN-1" "User Selection: FAILED" \
    "    Failure Reason: Bad key $(printf '\200') 5" >western.log
"$make_log" week.log 14000 2026-11-23
for store in store.db "$pg"; do
    "$report" --store "$store" --import-only western.log week.log
done

query="SELECT operator, reason, run_start FROM keyboards WHERE serial = 'SN-1';"
expected="Jürgen Müller|Bad key € 5|2026-12-05 15:17:58"
from_sqlite3=$(sqlite3 -batch store.db "$query")
from_python=$(python3 -c "import sqlite3; print('|'.join(sqlite3.connect('store.db').execute(\"$query\").fetchone()))")
from_psql=$(psql -AtX "$pg" -c "$query")
for answer in "$from_sqlite3" "$from_python" "$from_psql"; do
    [ "$answer" = "$expected" ] || { echo "got:      $answer"; echo "expected: $expected"; exit 1; }
done

# The document's queries: each block that starts with SELECT, up to its ";".
awk '/^SELECT/ { on = 1 } on { print } on && /;$/ { on = 0; print "--" }' \
    "$document" >queries.sql
[ -s queries.sql ] || { echo "no query found in $document"; exit 1; }
n=0
while [ -s queries.sql ]; do
    sed '/^--$/,$d' queries.sql >query.sql
    sed '1,/^--$/d' queries.sql >rest.sql && mv rest.sql queries.sql
    n=$((n + 1))
    sqlite3 -batch store.db <query.sql >sqlite.out
    psql -AtX -v ON_ERROR_STOP=1 "$pg" -f query.sql >psql.out
    if ! cmp -s sqlite.out psql.out || [ ! -s sqlite.out ]; then
        echo "query $n of $document:"; cat query.sql
        echo "SQLite:"; cat sqlite.out; echo "PostgreSQL:"; cat psql.out
        exit 1
    fi
done
echo "$n queries of $document give the same rows in both databases"
