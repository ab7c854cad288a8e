#!/usr/bin/env bash
# Checks that the sources of each ruled folder include project headers only from the folders its
# rule allows. A link alone does not stop this: every layer includes from the repository root.
#
#   CheckLayerIncludes.sh TREE RULE...      RULE: folder=allowed,allowed,...  (e.g. db=db,platform)
#
# An include names a project folder when its first path component is a top-level folder of TREE,
# in either form ("db/Node.h" or <db/Node.h>); one that climbs out with "../" is never allowed.
# Prints each offending line as FILE:LINE: message and exits 1 when there is any.
set -uo pipefail

tree=${1:?usage: CheckLayerIncludes.sh TREE RULE...}
shift
[ $# -gt 0 ] || { echo "no rules given" >&2; exit 2; }

declare -A project=()
for d in "$tree"/*/; do
    d=${d%/}
    project[${d##*/}]=1
done

include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'
failures=0
files=0
for rule in "$@"; do
    folder=${rule%%=*}
    allowed=",${rule#*=},"
    [ -d "$tree/$folder" ] || { echo "$folder/: no such folder in $tree" >&2; exit 2; }
    while IFS= read -r -d '' file; do
        files=$((files + 1))
        rel=${file#"$tree"/}
        lineNo=0
        while IFS= read -r line || [ -n "$line" ]; do
            lineNo=$((lineNo + 1))
            [[ $line =~ $include_re ]] || continue
            included=${BASH_REMATCH[2]}
            if [ "${BASH_REMATCH[1]}" = '<' ]; then shown="<$included>"; else shown="\"$included\""; fi
            if [[ $included == ../* || $included == */../* ]]; then
                echo "$rel:$lineNo: #include $shown climbs out of $folder/"
                failures=$((failures + 1))
                continue
            fi
            [[ $included == */* ]] || continue
            top=${included%%/*}
            [ -n "${project[$top]:-}" ] || continue
            [[ $allowed == *",$top,"* ]] && continue
            echo "$rel:$lineNo: #include $shown: $folder/ may include only from ${rule#*=}"
            failures=$((failures + 1))
        done <"$file"
    done < <(find "$tree/$folder" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) -print0 | sort -z)
done

if [ "$files" -eq 0 ]; then
    echo "no sources found for the rules $*" >&2
    exit 2
fi
if [ "$failures" -gt 0 ]; then
    echo "$failures include(s) reach outside their layer"
    exit 1
fi
echo "layer includes: $files files keep to their layers"
