# Sourced by the scripts: what most of them start with, and the set-up of a Wine scenario.
# Sets `root` to the checkout and makes it the current folder.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bin=$root/build/windows/bin

# Installs what is missing, then configures (once) and builds each preset given, or only the
# target given.  Usage: build_presets [--target TARGET] PRESET...
build_presets() {
  local only=() preset
  [ "$1" != --target ] || { only=(--target "$2"); shift 2; }
  "$root/scripts/install-deps"
  for preset in "$@"; do
    [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" "${only[@]}"
  done
}

# The DLLs that a program imports, lower-case, one a line.
imports_of() {
  x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]'
}

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Empties WORK and points Wine at a prefix of its own in WORK/prefix, made afresh or copied from
# TEMPLATE, with
# the stand-ins in place of ipconfig.exe and the browser; what they record goes to
# WORK/started.log, the pictures to WORK. The prefix goes when the script ends.
# Usage: scenario_prefix WORK [TEMPLATE]
scenario_prefix() {
  local work=$1
  rm -rf "$work"
  mkdir -p "$work"
  if [ -n "${2:-}" ]; then
    cp -a "$2" "$work/prefix"
  else
    "$root/scripts/e2e-prefix" "$work/prefix" >/dev/null
  fi
  export VELTRIM_WINEPREFIX=$work/prefix
  export WINEPREFIX=$VELTRIM_WINEPREFIX
  # Our stand-ins, not Wine's own programs of the same names.
  export WINEDLLOVERRIDES="ipconfig.exe=n"
  VELTRIM_STARTED_LOG=$(winpath "$work/started.log")
  VELTRIM_SHOTS=$(winpath "$work")
  export VELTRIM_STARTED_LOG VELTRIM_SHOTS
  scenario_work=$work
  # The prefix goes only once its wine server and every process of it have gone, so that none
  # is still at work in it, or on its display.
  trap 'end_prefix; rm -rf "$scenario_work/prefix"' EXIT
}

# Ends every process of the prefix and waits until its wine server has gone.
end_prefix() {
  wineserver -k 2>/dev/null || true
  wineserver -w
}

# Runs the calling script again in mount and network namespaces of its own, before anything
# else, so that no look-up of what it runs can leave the loopback; where they cannot be made it
# exits with 77, skipped. There it has a /tmp of its own too, which holds the X displays' lock
# files and sockets and Wine's server sockets: xvfb-run picks a display that no lock file there
# names and starts Xvfb on it after, so two scenarios at once, of this run or of another
# checkout, could pick the same one. No other scenario sees its displays or its Wine.
# Usage: isolate_from_network "$0" "$@"
isolate_from_network() {
  if [ -n "${VELTRIM_IN_NAMESPACES:-}" ]; then
    mount -t tmpfs -o mode=1777 none /tmp
    return 0
  fi
  unshare --mount --net true 2>/dev/null ||
    { echo "skipped: unshare cannot make mount and network namespaces here"; exit 77; }
  VELTRIM_IN_NAMESPACES=1 exec unshare --mount --net "$@"
}

# Gives this process, already in network and mount namespaces of its own, a resolver that the
# test controls: only the loopback, the system's hosts file, resolv.conf and nsswitch.conf
# replaced by files in FOLDER, and our name server on 127.0.0.1:53 answering from FOLDER/zone.
# The test is told the hosts and zone files' paths in Windows' form.
# Usage: private_resolver FOLDER
private_resolver() {
  local folder=$1 testdns=$root/build/host/bin/testdns file
  [ -x "$testdns" ] || build_presets --target testdns host
  mkdir -p "$folder"
  printf '127.0.0.1 localhost\n::1 localhost\n' >"$folder/hosts"
  # The names that the scenarios repair, known to the network as they are on the Internet; a
  # scenario of the resolver's writes a zone of its own.
  printf 'example.com A 192.0.2.10\nwww.example.com A 192.0.2.10\n' >"$folder/zone"
  # A name server that does not answer is given up after a second, and asked once.
  printf 'nameserver 127.0.0.1\noptions timeout:1 attempts:1\n' >"$folder/resolv.conf"
  printf 'hosts: files dns\n' >"$folder/nsswitch.conf"
  ip link set lo up
  for file in hosts resolv.conf nsswitch.conf; do mount --bind "$folder/$file" "/etc/$file"; done
  # Nor is a name service cache daemon of the machine's asked instead.
  [ ! -d /run/nscd ] || mount -t tmpfs none /run/nscd
  # It ends when this script does.
  "$testdns" "$folder/zone" $$ 2>"$folder/testdns.log"
  VELTRIM_RESOLVER_HOSTS=$(winpath "$folder/hosts")
  VELTRIM_RESOLVER_ZONE=$(winpath "$folder/zone")
  export VELTRIM_RESOLVER_HOSTS VELTRIM_RESOLVER_ZONE
}

# Gives this process, after private_resolver, web servers that answer every request with the
# bytes of a file in FOLDER/pages (tools/testweb/): http on 192.0.2.80:80 and https on
# 192.0.2.80:443 with a certificate for the NAMEs given (shop.test and *.shop.test where none
# are: clients refuse a wildcard over a top-level name such as *.test), from a test
# authority made now, which Wine trusts through a copy of the system's list of authorities bound over it; and
# https on 192.0.2.81:443 with a certificate for the same names that no authority signed. The
# test is told the pages' folder and the servers' log in Windows' form.
# Usage: private_web FOLDER [NAME...]
private_web() {
  local folder=$1 testweb=$root/build/host/bin/testweb names="" name
  shift
  [ $# -gt 0 ] || set -- shop.test '*.shop.test'
  for name in "$@"; do names+="${names:+,}DNS:$name"; done
  [ -x "$testweb" ] || build_presets --target testweb host
  mkdir -p "$folder/pages"
  ip addr add 192.0.2.80/32 dev lo
  ip addr add 192.0.2.81/32 dev lo
  printf '%s\n' '[req]' 'distinguished_name = name' 'prompt = no' '[name]' 'CN = Veltrim test' \
    '[authority]' 'basicConstraints = critical, CA:true' 'keyUsage = critical, keyCertSign' \
    '[server]' "subjectAltName = $names" 'extendedKeyUsage = serverAuth' >"$folder/openssl.cnf"
  # NAME.crt, NAME.key, and both in NAME.pem for the server.
  certificate() {
    openssl req -config "$folder/openssl.cnf" -x509 -days 2 -newkey rsa:2048 -noenc \
      -keyout "$folder/$1.key" -out "$folder/$1.crt" "${@:2}" 2>/dev/null
    cat "$folder/$1.crt" "$folder/$1.key" >"$folder/$1.pem"
  }
  certificate authority -extensions authority
  certificate server -extensions server -CA "$folder/authority.crt" -CAkey "$folder/authority.key"
  certificate untrusted -extensions server
  cat /etc/ssl/certs/ca-certificates.crt "$folder/authority.crt" >"$folder/ca-certificates.crt"
  mount --bind "$folder/ca-certificates.crt" /etc/ssl/certs/ca-certificates.crt
  # It ends when this script does.
  "$testweb" "$folder/pages" $$ 192.0.2.80:80 "192.0.2.80:443:$folder/server.pem" \
    "192.0.2.81:443:$folder/untrusted.pem" 2>"$folder/testweb.log"
  VELTRIM_WEB_PAGES=$(winpath "$folder/pages")
  VELTRIM_WEB_LOG=$(winpath "$folder/testweb.log")
  export VELTRIM_WEB_PAGES VELTRIM_WEB_LOG
}

# Runs a Windows program under Wine on an Xvfb display of its own, made ready before the
# program starts. The prefix's processes are ended while the display is still there, so that
# "X connection ... broken" from one of them always means that the display went away while
# they ran.
on_display() {
  # xvfb-run is a POSIX shell script, which passes on no function: end_prefix written out.
  # shellcheck disable=SC2016
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c \
    'status=0; "$0" "$@" || status=$?; wineserver -k 2>/dev/null; wineserver -w; exit $status' \
    "$root/scripts/wine-exec" "$@"
}

# Converts the pictures that a scenario left in FROM into PNGs in TO.
keep_pictures() {
  local shot
  mkdir -p "$2"
  for shot in "$1"/*.bmp; do
    [ -e "$shot" ] || continue
    convert "$shot" "$2/$(basename "${shot%.bmp}").png" && rm -f "$shot"
  done
}
