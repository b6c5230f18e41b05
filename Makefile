# The two commands of the README:
#   make run   installs what is missing, builds, creates the database if there is none, starts the program
#   make test  installs what is missing, builds and runs the whole suite (PostgreSQL included)

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
HOME_DIR := $(BUILD_DIR)/bin

.PHONY: all deps configure build run test bench format format-check layers-check clean package package-check

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@$(HOME_DIR)/zu-conntool init --home $(HOME_DIR)
	@$(HOME_DIR)/zu --home $(HOME_DIR)

test: build
	@cd $(BUILD_DIR) && ZU_REQUIRE_PG=1 ../scripts/with-test-postgres.sh ctest --output-on-failure -j 2

# Formats every C++ file of the tree with the root .clang-format; format-check fails on a deviation.
format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@bash scripts/check-format.sh

# The Debian package, from the tree that is already built: $(BUILD_DIR)/zu_<version>_<arch>.deb
package: build
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
	@cd $(BUILD_DIR) && cpack -G DEB

# Installs the package, starts the installed program on a fresh data folder and removes it again.
package-check: package
	@bash scripts/check-package.sh $(BUILD_DIR)

# Fails when a core library or core test links a widget library, or a window file holds SQL text.
layers-check: configure
	@bash scripts/check-layers.sh $(BUILD_DIR)

bench: build
	@$(BUILD_DIR)/bench/zu-bench

clean:
	@rm -rf $(BUILD_DIR)
