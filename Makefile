# The two commands users need: `make demo` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build corpus demo test bench clean

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

clean:
	rm -rf $(BUILD_DIR)
