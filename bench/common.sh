# Shared by the benchmark scripts: the release build with the benchmark tools, and timing.
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELKOR_TESTS=OFF -DVELKOR_BENCH=ON >/dev/null
cmake --build build-bench -j"$(nproc)" >/dev/null

# best_of N COMMAND...: the best wall time in seconds of N runs (a PREPARE function, when set,
# runs before each, untimed).
best_of() {
  local runs=$1 best=999999 start end t
  shift
  for ((i = 0; i < runs; i++)); do
    if declare -F prepare >/dev/null; then prepare; fi
    start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l); (( $(echo "$t < $best" | bc -l) )) && best=$t
  done
  printf '%.3f' "$best"
}
ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }
