#!/usr/bin/env bash
# Renders a range on a Slurm cluster: an array of N tasks renders one piece
# each into DIR (a folder every node sees), and a job that starts once all
# of them have succeeded joins the pieces into OUT.mp4.
#   scripts/batch/slurm-submit.sh N DIR OUT.mp4 [render options...]
# e.g.
#   DEMOTOOL=/shared/demo/build/tools/demotool/demotool \
#     scripts/batch/slurm-submit.sh 16 /shared/pieces /shared/show.mp4 --dir /shared/demo --quality high
set -euo pipefail

[ $# -ge 3 ] || { echo "usage: $0 N DIR OUT.mp4 [render options...]" >&2; exit 2; }
n=$1 dir=$2 out=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
array=$(sbatch --parsable --array="1-$n" "$here/slurm-render.sh" "$dir" "$@")
# On a cluster of clusters --parsable prints "id;cluster".
array=${array%%;*}
join=$(sbatch --parsable --dependency="afterok:$array" "$here/slurm-join.sh" "$n" "$dir" "$out" "$@")
echo "render array $array, join job ${join%%;*}: $out once both are done"
