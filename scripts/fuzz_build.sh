# Sourced by scripts/fuzz.sh and scripts/test-fuzz-corpus.sh: builds the
# libFuzzer harnesses of fuzz/ with clang into build-fuzz/ (or $FUZZ_BUILD_DIR)
# and names them.
fuzz_build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
# The harnesses land in $fuzz_build_dir/fuzz/.
fuzz_harnesses="profile page_detail price_list_line outgoing_file report_mgtotal report_plutotal report_transact report_rtbuffer request_framing"

build_fuzz_harnesses() {
  ensure_packages clang libclang-rt-14-dev cmake make || return 1
  mkdir -p "$fuzz_build_dir"
  echo "Building the fuzz harnesses in $fuzz_build_dir ..."
  if ! { CC=clang CXX=clang++ cmake -S . -B "$fuzz_build_dir" -DSCALELINK_FUZZ=ON -DSCALELINK_TESTS=OFF &&
    cmake --build "$fuzz_build_dir" -j"$(nproc)" --target $fuzz_harnesses; } >"$fuzz_build_dir/build.log" 2>&1; then
    cat "$fuzz_build_dir/build.log"
    echo "The fuzz build failed." >&2
    return 1
  fi
  show_warnings "$fuzz_build_dir/build.log"
}
