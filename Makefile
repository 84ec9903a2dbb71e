# Front door of the project: every command a developer or CI needs.
#   make deps    install missing Debian packages (scripts/deps.txt)
#   make build   configure and build the sanitizer tree (build/asan)
#   make test    deps + build + every test through CTest
#   make run     deps + build + the demo driver playing the client's user against the loopback dev server
#   make tsan    deps + build the ThreadSanitizer tree (build/tsan) + every test under it; any report
#                fails its test (scripts/tsan.supp: the suppressed ones, each with why)
#   make stress  build a test tree and run every test binary of it, whole and shuffled, round after round, eight
#                at a time beside one busy process per core (scripts/stress.py; STRESS_TREE=asan|tsan,
#                STRESS_ROUNDS, STRESS_LOAD=0 without the load, STRESS_ARGS for the script's other options)
#   make bench   build (Release) and run every benchmark; BENCH_RUN=0 only builds
#   make fuzz    build (clang + libFuzzer) and run every fuzz target FUZZ_SECONDS each (undefined behaviour stops
#                a target like a crash); FUZZ_RUN=0 only builds
#   make format  apply clang-format to every source file
#   make format-check  fail when a tracked source file is not formatted as .clang-format says
#   make check-includes  fail when a source file includes a folder its library does not link
#   make art     build, then redraw the bundle's images (resources/*.png and resources/IMAGES.md) with zelvan-artgen

JOBS ?= $(shell nproc)
BENCH_RUN ?= 1
FUZZ_RUN ?= 1
FUZZ_SECONDS ?= 60
# ccache (when present) shares its objects between clones in different folders: paths under the source
# tree are hashed relative to it, and the build folder is left out of the hash.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
# The sanitizer, release and fuzz trees together outgrow ccache's default 5 GB, which would evict one tree's
# objects while another builds.
export CCACHE_MAXSIZE ?= 20G
# Looked up when a recipe runs, so a clang-format that `make deps` has just installed is found.
CLANG_FORMAT ?= $$(command -v clang-format-14 || command -v clang-format)

.PHONY: deps build test tsan stress run bench fuzz format format-check check-includes clean art

deps:
	@bash scripts/deps.sh

build: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)

test: build
	@ctest --test-dir build/asan -j $(JOBS) --output-on-failure --timeout 300

# ThreadSanitizer: a report stops the process with exit code 66, so the test fails and prints it. The
# shuffled shards run too (about 2 of the 3.5 minutes on 6 cores): their three rounds in one process
# give the threads more to meet.
TSAN_OPTIONS_ALL := suppressions=$(CURDIR)/scripts/tsan.supp halt_on_error=1 exitcode=66 second_deadlock_stack=1

tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)
	@TSAN_OPTIONS="$(TSAN_OPTIONS_ALL) $$TSAN_OPTIONS" \
	    ctest --test-dir build/tsan -j $(JOBS) --output-on-failure --timeout 600

STRESS_TREE ?= asan
STRESS_ROUNDS ?= 30
STRESS_LOAD ?= 1
STRESS_ARGS ?=

stress: deps
	@cmake --preset $(STRESS_TREE) >/dev/null
	@cmake --build --preset $(STRESS_TREE) -j $(JOBS)
	@TSAN_OPTIONS="$(TSAN_OPTIONS_ALL) $$TSAN_OPTIONS" python3 scripts/stress.py build/$(STRESS_TREE) \
	    --rounds $(STRESS_ROUNDS) $(if $(filter 1,$(STRESS_LOAD)),--load) $(STRESS_ARGS)

run: build
	@bash scripts/run-demo.sh build/asan

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)
	@if [ "$(BENCH_RUN)" != "0" ]; then \
	    for b in build/release/bench/bench_*; do [ -x "$$b" ] || continue; echo "== $$b"; "$$b" || exit 1; done; \
	fi

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@if [ "$(FUZZ_RUN)" != "0" ]; then \
	    for f in build/fuzz/fuzz/fuzz_*; do [ -x "$$f" ] || continue; name=$$(basename $$f); format=$${name#fuzz_}; \
	        mkdir -p build/fuzz/corpus/$$name; \
	        seeds=""; for d in fuzz/corpus/$$format fuzz/regressions/$$format; do [ -d $$d ] && seeds="$$seeds $$d"; done; \
	        echo "== $$name ($(FUZZ_SECONDS)s; seeds:$${seeds:- none})"; \
	        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	            "$$f" -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build/fuzz/corpus/$$name $$seeds || exit 1; \
	    done; \
	fi

art: build
	@./build/asan/tools/artgen/zelvan-artgen resources

format:
	@git ls-files '*.h' '*.cpp' | xargs $(CLANG_FORMAT) -i

format-check: deps
	@git ls-files '*.h' '*.cpp' | xargs $(CLANG_FORMAT) --dry-run --Werror

check-includes: deps
	@cmake --preset asan >/dev/null
	@python3 scripts/check_includes.py build/asan
	@python3 scripts/check_conventions.py

clean:
	@rm -rf build
