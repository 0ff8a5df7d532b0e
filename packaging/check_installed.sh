#!/usr/bin/env bash
# check_installed.sh PACKAGE.deb: installs the package on a scratch copy of this machine and
# uses it as an ordinary user would, then removes and purges it again.
#
# The scratch copy is this machine's /usr, /etc and /var seen through overlays in a mount
# namespace of this script's own: dpkg installs for real (dependencies checked against what
# is installed, maintainer scripts and triggers run), yet nothing of it reaches the machine,
# and it all goes when the namespace ends. Needs root (or sudo), as dpkg does.
set -euo pipefail

if [[ ${1:-} != --inside ]]; then
  deb=$(realpath "$1")
  if [[ $(id -u) -ne 0 ]]; then exec sudo "$0" "$deb"; fi
  scratch=$(mktemp -d /tmp/vexamor-check.XXXXXX)
  chmod 755 "$scratch"
  trap 'rm -rf "$scratch"' EXIT
  status=0
  unshare --mount --propagation private -- "$0" --inside "$deb" "$scratch" || status=$?
  exit "$status"
fi

deb=$2
scratch=$3
out=$scratch/out
mkdir -p "$out"
for d in usr etc var; do
  mkdir -p "$scratch/$d/upper" "$scratch/$d/work"
  mount -t overlay overlay \
    -o "lowerdir=/$d,upperdir=$scratch/$d/upper,workdir=$scratch/$d/work" "/$d"
done

passed=0
failed=0
check() {  # check "what" command...: runs the command, counts and reports the outcome
  local what=$1
  shift
  if "$@" >"$out/last.log" 2>&1; then
    passed=$((passed + 1))
    echo "ok      $what"
  else
    failed=$((failed + 1))
    echo "FAILED  $what"
    sed 's/^/        /' "$out/last.log" | tail -n 20
  fi
}

export DEBIAN_FRONTEND=noninteractive
# The man database is not rebuilt on this throw-away copy: it only costs time.
echo 'man-db man-db/auto-update boolean false' | debconf-set-selections
if ! dpkg -i "$deb" >"$out/dpkg.log" 2>&1; then
  cat "$out/dpkg.log"
  echo "0 passed, 1 failed"
  exit 1
fi

user=vexamor-check
home=$scratch/home/$user
mkdir -p "$scratch/home"
useradd --create-home --home-dir "$home" --shell /bin/sh "$user"
runtime=$scratch/runtime
install -d -m 700 -o "$user" "$runtime"
as_user() {  # runs a command as the ordinary user, with a clean environment
  runuser -u "$user" -- env -i HOME="$home" XDG_RUNTIME_DIR="$runtime" PATH=/usr/bin:/bin \
    LANG=C.UTF-8 "$@"
}
export user home runtime
export -f as_user

demo=/usr/share/strataquill/demo/Demo.sq2
machine=/etc/vexamor/registry
data=$home/.local/share/vexamor/strataquill
machine_sum() { cat "$machine"/*.reg | sha256sum; }

# The programs and the program folder.
check "the programs are installed in /usr/bin" \
  test -x /usr/bin/strataquill -a -x /usr/bin/strataquill-log -a -x /usr/bin/strataquill-project \
    -a -x /usr/bin/strataquill-ags \
    -a -x /usr/bin/dxsign -a -x /usr/bin/vexareg
check "the COM module and the libraries are in /usr/lib/vexamor" \
  test -f /usr/lib/vexamor/DxSignCore16.so -a -f /usr/lib/vexamor/libvexa_com.so
check "strataquill-log renders the installed demo as an ordinary user" \
  as_user strataquill-log "$demo" -o "$home/Demo.pdf"
check "the demo log has a page for each of its three borings at least" \
  bash -c "pages=\$(pdfinfo '$home/Demo.pdf' | awk '/^Pages:/ {print \$2}'); echo pages=\$pages; test \"\$pages\" -ge 3"
check "strataquill-ags exports the installed demo, and the file keeps the AGS4 rules" \
  bash -c "as_user strataquill-ags export '$demo' -o '$home/Demo.ags' &&
    as_user strataquill-ags check '$home/Demo.ags'"
check "the user has own copies of the classification file and the patterns" \
  bash -c "test -w '$data/Classification.sqc' && test -n \"\$(ls '$data/Patterns')\" && cmp '$data/Classification.sqc' /usr/share/strataquill/Classification.sqc"
check "strataquill opens the installed demo on a display" \
  as_user xvfb-run -a -s "-screen 0 1280x1024x24" sh -c "
    strataquill $demo & pid=\$!
    for i in \$(seq 1 40); do
      xwininfo -root -tree | grep -q 'Demo' && break
      sleep 0.5
      # The demo is the package's, so the program says it opens read-only: OK.
      xdotool key Return 2>/dev/null
    done
    xwininfo -root -tree | grep 'Demo'; found=\$?
    [ \$found -eq 0 ] || xwininfo -root -tree | grep -v 'has no name' 
    import -window root '$home/strataquill.png' 2>/dev/null || true
    kill \$pid; wait \$pid 2>/dev/null
    exit \$found"
cp -f "$home/strataquill.png" "${VEXAMOR_CHECK_SCREENSHOT:-/dev/null}" 2>/dev/null || true

# The registration for the whole machine.
check "the package registered the core in the machine's hives, read-only for users" \
  bash -c "grep -q 'DxSignCore16.so' $machine/HKEY_CLASSES_ROOT.reg &&
    test \"\$(stat -c '%U %a' $machine/HKEY_CLASSES_ROOT.reg)\" = 'root 644' &&
    test \"\$(stat -c '%U %a' $machine)\" = 'root 755'"
check "dxsign ext list shows the five file types to an ordinary user" \
  bash -c "list=\$(as_user dxsign ext list) || exit 1; echo \"\$list\"
    test \"\$(echo \"\$list\" | cut -f1 | tr '\n' ' ')\" = '.drx .drt .drs .zip .exe '"
before=$(machine_sum)
check "an ordinary user registers a file type of their own" \
  as_user dxsign ext register .txt DxSignCore.VexaSystemTime.1
check "the user's type is listed, in the user's hive, the machine's hives unchanged" \
  bash -c "as_user dxsign ext list | grep -q '^.txt' &&
    grep -q '.txt' '$home/.config/vexamor/registry/HKEY_CLASSES_ROOT.reg' &&
    test \"\$(cat $machine/*.reg | sha256sum)\" = '$before'"
check "an ordinary user cannot write the machine's hives" \
  bash -c "! as_user VEXAMOR_REGISTRY_SCOPE=machine vexareg import /usr/share/vexamor/DxSignCore16.reg"

check "an ordinary user signs and verifies a file with the installed core" \
  bash -c "cd '$home' &&
    openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 30 \
      -subj '/CN=Package Check' -addext keyUsage=digitalSignature 2>/dev/null &&
    echo secret >password && openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.p12 \
      -passout pass:secret && chown $user key.pem cert.pem cert.p12 password &&
    as_user dxsign certs import '$home/cert.p12' --password-file '$home/password' &&
    as_user dxsign certs import '$home/cert.pem' --root &&
    echo 'payload' >'$home/a.zip' && chown $user '$home/a.zip' &&
    as_user dxsign sign '$home/a.zip' --cert 'Package Check' &&
    as_user dxsign verify '$home/a.zip' | grep -q 'signature valid'"

check "the overlay badges the signed file for the file manager" \
  bash -c "as_user dbus-run-session -- sh -c 'dxsign emblems $home/a.zip &&
    gio info -a metadata::emblems $home/a.zip' | tee /dev/stderr | grep -q emblem-dxsign-signed"

# Desktop integration, as file managers and software centres read it.
check "the .desktop file is valid and names the project type" \
  bash -c "desktop-file-validate /usr/share/applications/org.vexamor.Strataquill.desktop &&
    grep -q '^application/x-strataquill-project=.*org.vexamor.Strataquill.desktop' /usr/share/applications/mimeinfo.cache"
check "the MIME database knows .sq2, .sqp, .sqf and .sqc" \
  bash -c "grep -q ':application/x-strataquill-project:\*.sq2' /usr/share/mime/globs2 &&
    grep -q ':application/x-strataquill-server-project:\*.sqp' /usr/share/mime/globs2 &&
    grep -q ':application/x-strataquill-layout:\*.sqf' /usr/share/mime/globs2 &&
    grep -q ':application/x-strataquill-classification:\*.sqc' /usr/share/mime/globs2"
check "a file manager offers Strataquill for .sq2 files" \
  bash -c "as_user gio info -a standard::content-type $demo | grep -q 'application/x-strataquill-project' &&
    as_user gio mime application/x-strataquill-project | tee /dev/stderr | grep -q org.vexamor.Strataquill.desktop"
check "the icons are in the hicolor theme" \
  test -f /usr/share/icons/hicolor/scalable/apps/org.vexamor.Strataquill.svg \
    -a -f /usr/share/icons/hicolor/scalable/mimetypes/application-x-strataquill-project.svg \
    -a -f /usr/share/icons/hicolor/scalable/mimetypes/application-x-strataquill-server-project.svg \
    -a -f /usr/share/icons/hicolor/scalable/mimetypes/application-x-strataquill-layout.svg \
    -a -f /usr/share/icons/hicolor/scalable/mimetypes/application-x-strataquill-classification.svg \
    -a -f /usr/share/icons/hicolor/48x48/emblems/emblem-dxsign-signed.png
check "the AppStream metadata is valid" \
  appstreamcli validate --no-net /usr/share/metainfo/org.vexamor.Strataquill.metainfo.xml
check "the man pages are installed" \
  bash -c "for p in strataquill strataquill-log strataquill-project strataquill-ags dxsign vexareg; do
    man -l /usr/share/man/man1/\$p.1.gz | grep -q \"^NAME\" || exit 1; done"

# Removing takes the machine's registration away; purging the machine's hives too.
check "removing the package unregisters it from the machine" \
  bash -c "dpkg -r vexamor && ! grep -q 'DxSignCore16.so' $machine/HKEY_CLASSES_ROOT.reg &&
    test ! -e /usr/bin/dxsign"
check "purging the package removes the machine's hives" \
  bash -c "dpkg -P vexamor && test ! -e $machine"

echo "$passed passed, $failed failed"
((failed == 0))
