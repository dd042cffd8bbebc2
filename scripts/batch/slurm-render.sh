#!/usr/bin/env bash
# One piece of a render as one task of a Slurm job array: task K of N runs
# 'demotool render --piece K/N' into DIR, a folder every node sees.
# slurm-submit.sh queues it with the join; by hand:
#   sbatch --array=1-N slurm-render.sh DIR [render options...]
# The array must be 1-N: K and N are the task's id and the array's size.
# DEMOTOOL names the program (default: demotool on PATH); sbatch hands the
# environment on to the tasks.
#SBATCH --job-name=demo-render
#SBATCH --cpus-per-task=2
#SBATCH --output=slurm-render-%A_%a.out
set -euo pipefail

dir=${1:?usage: sbatch --array=1-N slurm-render.sh DIR [render options...]}
shift
k=${SLURM_ARRAY_TASK_ID:?submit as a job array: sbatch --array=1-N}
n=${SLURM_ARRAY_TASK_COUNT:?submit as a job array: sbatch --array=1-N}
mkdir -p "$dir"
# llvmpipe starts a thread per core of the node otherwise, cores that other tasks were given.
export LP_NUM_THREADS=${LP_NUM_THREADS:-${SLURM_CPUS_PER_TASK:-1}}
exec "${DEMOTOOL:-demotool}" render --video "$dir/piece-$k.mp4" --piece "$k/$n" "$@"
