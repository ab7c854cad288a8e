#!/usr/bin/env bash
# The include check itself: on a small tree with planted includes it must name every upward or
# climbing include by file and line, and nothing else; on the same tree without them it must pass.
# Usage: CheckLayerIncludesTest.sh CHECKER
set -uo pipefail
checker=${1:?usage: CheckLayerIncludesTest.sh CHECKER}
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{platform,db,access,sheet,cli,tessary}

printf '#pragma once\n#include <cstdint>\n' >"$tree/platform/Bytes.h"
printf '#pragma once\n#include "platform/Bytes.h"\n#include "Node.h"\n' >"$tree/db/List.h"
printf '#pragma once\n#include <vector>\n' >"$tree/db/Node.h"
printf '#include "access/Out.h"\n\n#include "db/List.h"\n#include "platform/Bytes.h"\n#include <nlohmann/json.hpp>\n' \
    >"$tree/access/Out.cpp"
printf '#pragma once\n' >"$tree/access/Out.h"
printf '#include "sheet/Book.h"\n#include "access/Out.h"\n' >"$tree/sheet/Book.cpp"
printf '#pragma once\n' >"$tree/sheet/Book.h"
printf '#include "sheet/Book.h"\n' >"$tree/cli/main.cpp" # no rule for cli/: anything goes
printf '#include <cstdio>\n' >"$tree/tessary/main.cpp"
rules=(platform=platform db=db,platform access=access,db,platform sheet=sheet,access,db,platform tessary=tessary)

fail() { echo "FAIL: $*"; exit 1; }

out=$(bash "$checker" "$tree" "${rules[@]}") || fail "a clean tree was refused: $out"

# Plant one upward include per kind of mistake, at known lines.
printf '#pragma once\n#include <vector>\n   #  include "access/Out.h"\n' >"$tree/db/Node.h"
printf '#pragma once\n#include <sheet/Book.h>\n' >"$tree/platform/Bytes.h"
printf '#include "sheet/Book.h"\n#include "access/Out.h"\n#include "../cli/x.h"\n' >"$tree/sheet/Book.cpp"
printf '#include <cstdio>\n#include "platform/Bytes.h"\n' >"$tree/tessary/main.cpp"
printf '#pragma once\n#include "cli/Args.h" // a folder above every layer\n' >"$tree/access/Out.h"

out=$(bash "$checker" "$tree" "${rules[@]}")
rc=$?
[ "$rc" -eq 1 ] || fail "exit status $rc with planted includes, expected 1: $out"
expected=(
    'access/Out.h:2: #include "cli/Args.h": access/ may include only from access,db,platform'
    'db/Node.h:3: #include "access/Out.h": db/ may include only from db,platform'
    'platform/Bytes.h:2: #include <sheet/Book.h>: platform/ may include only from platform'
    'sheet/Book.cpp:3: #include "../cli/x.h" climbs out of sheet/'
    'tessary/main.cpp:2: #include "platform/Bytes.h": tessary/ may include only from tessary'
    '5 include(s) reach outside their layer'
)
got=$(printf '%s\n' "$out" | sort)
want=$(printf '%s\n' "${expected[@]}" | sort)
[ "$got" = "$want" ] || fail "$(printf 'expected:\n%s\ngot:\n%s' "$want" "$got")"

bash "$checker" "$tree/nowhere" "${rules[@]}" >/dev/null 2>&1 && fail "a missing tree passed"
echo "the include check names every planted include"
