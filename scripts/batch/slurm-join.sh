#!/usr/bin/env bash
# Joins the N pieces that slurm-render.sh wrote into DIR into OUT.mp4, with
# the render's options. Queue it after the array has succeeded:
#   sbatch --dependency=afterok:ARRAY_JOB slurm-join.sh N DIR OUT.mp4 [render options...]
#SBATCH --job-name=demo-join
#SBATCH --output=slurm-join-%j.out
set -euo pipefail

[ $# -ge 3 ] || { echo "usage: sbatch slurm-join.sh N DIR OUT.mp4 [render options...]" >&2; exit 2; }
n=$1 dir=$2 out=$3
shift 3
exec "${DEMOTOOL:-demotool}" join --video "$out" --pieces "$n" "$dir/piece-{}.mp4" "$@"
