# Shared by the scripts: installs the Debian packages the build needs when
# they are missing, so a rerun on a prepared machine touches nothing.
# Usage (sourced): ensure_packages pkg...

ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
      missing+=("$p")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo -n)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update
  "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

# What every build of the project needs.
BUILD_PACKAGES=(build-essential cmake ninja-build g++ pkg-config ccache
                tcl8.6-dev libboost-dev libcli11-dev nlohmann-json3-dev libgtest-dev libgmock-dev
                libmimalloc-dev)

# What the libFuzzer build needs in addition (clang and its fuzzer runtime).
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# What the test command needs beyond a build: a real editor client for the
# language server, the Tcl shell for the Tcl package, the Debian package
# tools, and the shells whose completion scripts are tested.
TEST_PACKAGES=(neovim tcl8.6 dpkg-dev groff-base zsh fish)
