#!/bin/sh
# tools/setup.sh against fakes of dpkg-query, id, sudo and apt-get: which packages it finds
# missing, whether it goes through sudo, what it says, and that it does nothing when all are
# installed. Usage: setup_test.sh SOURCE_DIR
set -u
src="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

# The fakes: installed packages in $work/installed, the user id in $work/uid, every call of
# sudo and apt-get logged to $work/log.
mkdir "$work/bin" "$work/bin-nosudo"
for tool in sed tr dirname env cat grep; do
  ln -s "$(command -v "$tool")" "$work/bin/$tool"
  ln -s "$(command -v "$tool")" "$work/bin-nosudo/$tool"
done
cat > "$work/bin/dpkg-query" <<FAKE
#!/bin/sh
for pkg; do :; done
if grep -qx "\$pkg" "$work/installed"; then printf 'install ok installed'; else exit 1; fi
FAKE
cat > "$work/bin/id" <<FAKE
#!/bin/sh
cat "$work/uid"
FAKE
cat > "$work/bin/apt-get" <<FAKE
#!/bin/sh
echo "apt-get \$*" >> "$work/log"
FAKE
cat > "$work/bin/sudo" <<FAKE
#!/bin/sh
printf 'sudo ' >> "$work/log"
exec "\$@"
FAKE
chmod +x "$work/bin/"*
for tool in dpkg-query id apt-get; do ln -s "$work/bin/$tool" "$work/bin-nosudo/$tool"; done

all="$(sed -e 's/#.*//' "$src/tools/debian-packages" | tr -s ' \t' '\n\n' | sed '/^$/d')"
install_line() {
  echo "apt-get install -y -qq --no-install-recommends $*"
}

# check NAME UID PATH-DIR MISSING EXPECTED-STATUS EXPECTED-LOG EXPECTED-STDERR [ARGS...]
check() {
  name="$1" uid="$2" bin="$3" missing="$4" status="$5" log="$6" err="$7"
  shift 7
  echo "$all" > "$work/installed"
  for m in $missing; do sed -i "/^$m\$/d" "$work/installed"; done
  echo "$uid" > "$work/uid"
  : > "$work/log"
  PATH="$work/$bin" /bin/sh "$src/tools/setup.sh" "$@" > "$work/out" 2> "$work/err"
  got=$?
  if [ "$got" != "$status" ] || [ "$(cat "$work/log")" != "$log" ] ||
     [ "$(cat "$work/err")" != "$err" ]; then
    echo "FAILED: $name"
    echo "  status $got (expected $status)"
    echo "  log: $(cat "$work/log")"
    echo "  expected log: $log"
    echo "  stderr: $(cat "$work/err")"
    echo "  expected stderr: $err"
    failures=$((failures + 1))
  fi
}

says="setup: installing the Debian packages the build needs through apt-get:"
nl='
'
check "all installed: nothing runs, nothing said" 1000 bin "" 0 "" ""
check "as root: apt-get directly" 0 bin "libgtest-dev nlohmann-json3-dev" 0 \
  "apt-get update -qq${nl}$(install_line libgtest-dev nlohmann-json3-dev)" \
  "$says libgtest-dev nlohmann-json3-dev"
check "as a user: through sudo" 1000 bin "cmake" 0 \
  "sudo apt-get update -qq${nl}sudo $(install_line cmake)" "$says cmake"
check "as a user without sudo: refused, nothing runs" 1000 bin-nosudo "cmake g++" 1 "" \
  "setup: installing cmake g++ needs root, and sudo is not installed: run this as root"
check "as root without sudo" 0 bin-nosudo "libbenchmark-dev" 0 \
  "apt-get update -qq${nl}$(install_line libbenchmark-dev)" "$says libbenchmark-dev"
check "a package named as an argument" 0 bin "" 0 \
  "apt-get update -qq${nl}$(install_line clang)" "$says clang" clang
check "an argument already installed" 0 bin "" 0 "" "" cmake

# --dry-run prints the commands and runs none.
echo "$all" | grep -vx cmake > "$work/installed"
echo 1000 > "$work/uid"
: > "$work/log"
PATH="$work/bin" /bin/sh "$src/tools/setup.sh" --dry-run > "$work/out" 2> /dev/null
if [ -s "$work/log" ] || ! grep -qx "sudo apt-get update -qq" "$work/out"; then
  echo "FAILED: --dry-run ran something or printed no command: $(cat "$work/out")"
  failures=$((failures + 1))
fi

# CI installs through the same script and list.
if ! grep -q "tools/setup.sh" "$src/.ci/run"; then
  echo "FAILED: .ci/run does not install through tools/setup.sh"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
