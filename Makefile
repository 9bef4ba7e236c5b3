# The two commands users need: `make demo` and `make test`. Developers also have `make sanitize`
# and `make fuzz`, each in a build folder of its own.
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

.PHONY: deps dev-deps build corpus demo test sanitize fuzz bench clean

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

demo: build
	bash scripts/demo.sh $(BUILD_DIR)

# Real-world VCF files from Debian packages' test data, unpacked into the build folder; the corpus
# tests only read them.
corpus: deps
	bash scripts/fetch-corpus.sh $(BUILD_DIR) >/dev/null

test: build corpus
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

dev-deps:
	bash scripts/install-deps.sh --dev

# The whole suite under AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer.
sanitize: dev-deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARKIT_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS) --target varkit varkit_tests
	bash scripts/fetch-corpus.sh $(SANITIZE_DIR) >/dev/null
	cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS each; inputs that fail land in $(FUZZ_DIR)/findings/.
fuzz: dev-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARKIT_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets
	bash scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
