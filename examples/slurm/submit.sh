#!/bin/bash
# Submits the eight shards of sweep.sbatch as a job array and, once all of them have
# ended well, the merge into results/ReportFile2.txt, ReportFile3.txt and the chart.
# Run it from this folder, with quorvel-batch on the PATH of the compute nodes.
set -euo pipefail
mkdir -p logs shards results
array=$(sbatch --parsable sweep.sbatch)
sbatch --dependency="afterok:${array}" --job-name=quorvel-merge --output=logs/merge.log \
  --wrap "quorvel-batch merge shards/shard-*-of-8.json --out results/ --plot results/n-sweep.svg"
