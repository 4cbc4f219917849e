# Sourced by the packaging checks. A check whose tool is absent skips with exit
# status 77 (the tests' SKIP_RETURN_CODE) and says why.
skip() {
  echo "SKIPPED: $(basename "$0" .sh): $*"
  exit 77
}
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
need() { # need TOOL PACKAGE
  command -v "$1" >/dev/null 2>&1 || skip "$1 is not installed (Debian package $2; scripts/setup.sh installs it)"
}
