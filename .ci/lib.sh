# Helpers for the heavy checks in .ci/checks: sourced, never run on its own.

# Installs the Debian packages among the arguments that are missing.
need_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Prints a step's name, runs it, then prints how long it took; a failing step fails the
# check (the scripts run with set -e).
step() {
  local name=$1 start=$SECONDS
  shift
  echo "--- $name"
  "$@"
  echo "--- $name: $((SECONDS - start)) s"
}

# Load of the machine, printed beside the times so that they can be read fairly.
print_load() {
  echo "--- load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
}
