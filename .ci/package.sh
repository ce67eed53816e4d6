#!/usr/bin/env bash
# Package stage of CI: builds the release packages into build/packages/ (a .tar.gz and a
# .deb for Linux, a ZIP for Windows from the MinGW-w64 cross build) and smoke-tests what
# they install. The demo of scripts/demo.sh (the simulated service, the tool on the
# example label file answered "y", nothing left then for sync_brimel_label to write, the
# dump of the devices), each time on a port the system chooses, runs from the unpacked
# .tar.gz, from the .deb installed with dpkg, and under Wine from the unpacked ZIP in a
# fresh prefix, where the ZIP's own demo.cmd runs too. The Windows executables must
# import system DLLs only. Each package must hold the licence and the documents its
# platform expects: lintian --pedantic finds no error in the .deb and no hardening or
# unneeded-section tag, the manual pages render without a warning, the ZIP has README.txt,
# LICENSE.txt and demo.cmd with CR LF line ends beside the programs. The README must state the glibc
# and the libstdc++ the Linux programs need.
# Installs what a fresh machine lacks; needs no display and no standard input.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib.sh

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
objdump=x86_64-w64-mingw32-objdump

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
# cpack picks the programs out with file; dpkg-shlibdeps writes the .deb's Depends.
command -v file >/dev/null 2>&1 || missing+=(file)
command -v dpkg-shlibdeps >/dev/null 2>&1 || missing+=(dpkg-dev)
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing+=(g++-mingw-w64-x86-64)
command -v "$objdump" >/dev/null 2>&1 || missing+=(binutils-mingw-w64-x86-64)
[ -x "$wine" ] || missing+=(wine64)
# lintian judges the .deb; man (man-db, which lintian needs anyway) renders the pages.
command -v lintian >/dev/null 2>&1 || missing+=(lintian)
command -v man >/dev/null 2>&1 || missing+=(man-db)
if [ "${#missing[@]}" -gt 0 ]; then
    apt_install "${missing[@]}"
fi

export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-2}"

fail() {
    echo "package stage FAILED: $*" >&2
    exit 1
}

start=$(date +%s)
version=$(sed -n 's/^project(write_brimel_label VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in CMakeLists.txt"
packages=$PWD/build/packages
tgz=$packages/write_brimel_label-$version-Linux-$(uname -m).tar.gz
deb=$packages/write-brimel-label_${version}_$(dpkg --print-architecture).deb
zip=$packages/write_brimel_label-$version-win64.zip
docdir=share/doc/write-brimel-label
programs=(write_brimel_label read_brimel_label sync_brimel_label zel_service_sim)

# ---- Build and pack ------------------------------------------------------------------

rm -rf "$packages"
cmake --workflow --preset package
cmake --workflow --preset package-mingw
rm -rf "$packages/_CPack_Packages"  # cpack's staging trees
for f in "$tgz" "$deb" "$zip"; do
    [ -f "$f" ] || fail "$f was not made"
done

# ---- Smoke tests of the installed trees ----------------------------------------------

work=$(mktemp -d)
sim=""
deb_installed=""
wine_started=""
cleanup() {
    [ -z "$sim" ] || kill -9 "$sim" 2>/dev/null || true
    [ -z "$wine_started" ] || "${wine_env[@]}" "$wineserver" -k 2>/dev/null || true
    [ -z "$deb_installed" ] || as_root dpkg -r write-brimel-label >/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# No test, benchmark or fuzz program in a package.
check_listing() {  # PACKAGE LISTING...
    local package=$1
    shift
    if printf '%s\n' "$@" | grep -E '/bin/.*(test|bench|fuzz)|(test|bench|fuzz)[^/]*\.exe$|\.dll$'; then
        fail "$package holds a test, benchmark or fuzz program, or a DLL"
    fi
}

# Each FILE exists under ROOT.
check_files() {  # NAME ROOT FILE...
    local name=$1 root=$2 file
    shift 2
    for file in "$@"; do
        [ -f "$root/$file" ] || fail "$name: no $file"
    done
}

# The manual page of each program sits in ROOT/share/man/man1 and man renders it without
# a warning (groff's complaints about the roff are warnings).
check_manual_pages() {  # NAME ROOT
    local name=$1 root=$2 program page warnings see_also other
    for program in "${programs[@]}"; do
        page=$root/share/man/man1/$program.1.gz
        [ -f "$page" ] || fail "$name: no manual page for $program ($page)"
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
            man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$name: man warns about $page: $warnings"
        # Each page points to every other program under SEE ALSO.
        see_also=$(zcat "$page" | sed -n '/^\.SH SEE ALSO/,$p')
        for other in "${programs[@]}"; do
            [ "$other" = "$program" ] || grep -q "^\.BR $other (1)" <<<"$see_also" ||
                fail "$name: the SEE ALSO of $page does not name $other"
        done
    done
    echo "$name: manual pages of ${programs[*]} render cleanly and point to each other"
}

# The README states the newest glibc and libstdc++ symbol versions the Linux programs
# need ("glibc 2.NN or later", "GLIBCXX_3.4.NN"): a compiler upgrade that raises them
# shows up here.
check_glibc() {  # BIN_DIR
    local symbols glibc glibcxx
    symbols=$(objdump -T "${programs[@]/#/$1/}")
    glibc=$(grep -o 'GLIBC_[0-9][0-9.]*' <<<"$symbols" | sed 's/GLIBC_//' | sort -uV | tail -n 1)
    glibcxx=$(grep -o 'GLIBCXX_[0-9][0-9.]*' <<<"$symbols" | sort -uV | tail -n 1)
    echo "the Linux programs need glibc $glibc and libstdc++ $glibcxx"
    grep -qF "glibc $glibc or later" README.md || fail "README.md does not say \"glibc $glibc or later\""
    grep -qF "$glibcxx" README.md || fail "README.md does not name $glibcxx"
}

# Text for Windows readers: every line ends in CR LF.
check_crlf() {  # NAME FILE
    local lines crlf
    lines=$(wc -l <"$2")
    crlf=$(grep -c $'\r$' "$2" || true)
    [ "$lines" -gt 0 ] && [ "$lines" -eq "$crlf" ] || fail "$1: $2 has lines without CR LF"
}

check_version() {  # NAME SIMULATOR [LAUNCHER...]
    local name=$1 program=$2 said
    shift 2
    said=$("$@" "$program" --version </dev/null | tr -d '\r')
    [ "$said" = "zel_service_sim $version" ] ||
        fail "$name: zel_service_sim --version says \"$said\""
    echo "$name: $said"
}

# The labels examples/stage_labels.ini writes, and NEW-DEVICE2 erased.
check_dump() {  # NAME DUMP
    local name=$1 dump=$2 expected
    while IFS='|' read -r count line; do
        [ "$(grep -cF "$line" "$dump")" -eq "$count" ] || fail "$name: the dump lacks $line"
    done <<'EOF'
2|label="Radio Varnia" device="ZUPx3-Radio" channel="RadioVarnia-ch1"
2|label="Varnia Musique" device="ZUPx3-Radio" channel="VarniaMusiqueQ1"
2|label="Überblick" device="MON-Rack" channel="Mon 1"
1|label="Talkback" device="Intercom-1" channel="TB-1"
1|label="Ambience R" device="Stage-Mics" channel="Amb R"
EOF
    grep -A1 '^Device NEW-DEVICE2 ' "$dump" | grep -q '64 of 64 entries empty' ||
        fail "$name: NEW-DEVICE2 was not erased"
    # Every installed tree must leave the devices as the first one did.
    expected="$work/tgz/dump.txt"
    if [ "$dump" != "$expected" ]; then
        diff <(tr -d '\r' <"$expected") <(tr -d '\r' <"$dump") || fail "$name: another dump"
    fi
}

# The demo from installed files: ROOT holds the programs in BIN (with EXE_SUFFIX) and
# the example label files in EXAMPLES. Starts the simulated service on a port the system
# chooses (so that nothing else on the machine is ever reached), runs the programs with
# ZEL_SERVICE_PORT naming it: the tool answered "y", then stops the service with Ctrl-C
# (SIGINT) and checks that the tool ended with "Done", that read_brimel_label --verify
# finds the file's labels, and what the devices hold. A LAUNCHER (env -i ... wine) ends
# with the word that runs a program: the port joins its environment just before it.
run_demo() {  # NAME ROOT BIN EXAMPLES EXE_SUFFIX [LAUNCHER...]
    local name=$1 root=$2 bin=$3 examples=$4 exe=$5 out=$work/$1 status=0 last port=""
    shift 5
    mkdir -p "$out"
    echo
    echo "==== demo from the installed $name ($root)"
    pushd "$root" >/dev/null
    "$@" "$bin/zel_service_sim$exe" --port 0 --dump-file "$out/dump.txt" >"$out/sim.out" 2>&1 \
        </dev/null &
    sim=$!
    # The port is the one the simulator names in its line "zel_service_sim: listening on
    # 127.0.0.1:PORT" while it runs. Under Wine the line may end in CR.
    for _ in $(seq 600); do
        kill -0 "$sim" 2>/dev/null || { cat "$out/sim.out"; fail "$name: the simulator stopped"; }
        port=$(tr -d '\r' <"$out/sim.out" |
            sed -n 's/^zel_service_sim: listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p')
        [ -z "$port" ] || break
        sleep 0.1
    done
    [ -n "$port" ] || fail "$name: the simulator never said it listens"
    local at_port=(env "ZEL_SERVICE_PORT=$port")
    [ "$#" -eq 0 ] || at_port=("${@:1:$#-1}" "ZEL_SERVICE_PORT=$port" "${@:$#}")
    echo y | timeout 300 "${at_port[@]}" "$bin/write_brimel_label$exe" \
        "$examples/stage_labels.ini" >"$out/tool.out" 2>"$out/tool.err" || status=$?
    # The read-back program, installed beside it, finds exactly what the file wrote.
    timeout 300 "${at_port[@]}" "$bin/read_brimel_label$exe" --verify \
        "$examples/stage_labels.ini" >"$out/verify.out" 2>&1 ||
        { cat "$out/verify.out"; fail "$name: --verify failed"; }
    # The sync program, installed beside them, finds nothing left to write.
    timeout 300 "${at_port[@]}" "$bin/sync_brimel_label$exe" --dry-run \
        "$examples/stage_labels.ini" >"$out/sync.out" 2>&1 ||
        { cat "$out/sync.out"; fail "$name: sync_brimel_label differs"; }
    kill -INT "$sim"
    for _ in $(seq 300); do
        kill -0 "$sim" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$sim" 2>/dev/null && fail "$name: the simulator ignored Ctrl-C"
    wait "$sim" || fail "$name: the simulator exited with status $?"
    sim=""
    popd >/dev/null
    cat "$out/tool.out" "$out/tool.err"
    echo "write_brimel_label exit status: $status"
    echo "-- what the simulated devices hold now:"
    cat "$out/dump.txt"
    [ "$status" -eq 0 ] || fail "$name: write_brimel_label exited with status $status"
    last=$(tail -n 1 "$out/tool.out" | tr -d '\r')
    [ "$last" = "Done" ] || fail "$name: the tool's output ends with \"$last\", not \"Done\""
    check_dump "$name" "$out/dump.txt"
    echo "==== $name: Done, and the devices hold the labels"
}

# ---- The README's commands, run from the installed files -----------------------------
# Each line of a README code block whose fence reads "```sh installed" is a command as it
# runs once the .deb is installed: the programs by their names, the packages' files under
# /usr. They are run here as shown, in README order, each by bash in one fresh folder,
# against a simulator of the same tree on a port the system chooses (ZEL_SERVICE_PORT),
# from two trees: the unpacked .tar.gz, and the .deb's files unpacked with dpkg-deb -x.
# The only change is the install prefix: the tree's programs first on PATH and the tree
# read for /usr. Each command must end with status 0, or with N when a comment at its end
# says "status N"; write_brimel_label, read_brimel_label and sync_brimel_label must each
# be run by one of them. The ZIP's README.txt must show demo.cmd and the commands with
# their .exe names, and no path of the checkout.
check_readme_commands() {
    local began=$SECONDS count=0 ran=0
    mkdir -p "$work/readme/tgz" "$work/readme/deb" "$work/readme/zip"
    tar -xzf "$tgz" -C "$work/readme/tgz"
    dpkg-deb -x "$deb" "$work/readme/deb"
    run_readme_commands tgz "$work/readme/tgz/write_brimel_label-$version-Linux-$(uname -m)"
    count=$((count + ran))
    run_readme_commands deb "$work/readme/deb/usr"
    count=$((count + ran))

    local file text
    for file in "$tgz" "$deb" "$zip"; do
        grep -qF "$(basename "$file")" README.md || fail "README.md does not name $(basename "$file")"
    done
    (cd "$work/readme/zip" && cmake -E tar xf "$zip")
    text=$(tr -d '\r' <"$work/readme/zip/write_brimel_label-$version-win64/README.txt")
    for file in demo.cmd "${programs[@]/%/.exe}" 'write_brimel_label.exe examples\stage_labels.ini'; do
        grep -qF "$file" <<<"$text" || fail "zip: README.txt does not show $file"
    done
    if grep -nE 'scripts/|build/' <<<"$text"; then
        fail "zip: README.txt names a path of the checkout"
    fi
    echo "README: $count commands ran from the installed files as it says, in $((SECONDS - began)) s"
}

# The lines of README's "```sh installed" blocks, but blank and comment lines.
readme_commands() {  # README
    awk '/^```sh installed$/ { marked = 1; next } /^```/ { marked = 0 }
        marked && NF && $1 !~ /^#/' "$1"
}

# Runs the marked commands of ROOT's README from ROOT, whose bin/ and share/ stand for
# /usr's; sets ran to their number.
run_readme_commands() {  # NAME ROOT
    local name=$1 root=$2 out=$work/readme/$1 path line expected status port="" program
    local -a lines
    path=$root/bin:/usr/bin:/bin
    mkdir -p "$out/folder"
    mapfile -t lines < <(readme_commands "$root/$docdir/README.md")
    [ "${#lines[@]}" -gt 0 ] || fail "$name: the README marks no command for an installed package"
    for program in "${programs[@]}"; do
        [ "$(PATH=$path command -v "$program")" = "$root/bin/$program" ] ||
            fail "$name: $program is not in $root/bin"
        [ "$program" = zel_service_sim ] ||
            printf '%s\n' "${lines[@]}" | grep -qE "(^|[|;&(] *)$program( |$)" ||
            fail "$name: no command of the README runs $program"
    done
    echo
    echo "==== the README's commands from the installed $name ($root)"
    "$root/bin/zel_service_sim" --port 0 --dump-file "$out/dump.txt" >"$out/sim.out" 2>&1 </dev/null &
    sim=$!
    for _ in $(seq 600); do
        kill -0 "$sim" 2>/dev/null || { cat "$out/sim.out"; fail "$name: the simulator stopped"; }
        port=$(sed -n 's/^zel_service_sim: listening on 127\.0\.0\.1:\([0-9][0-9]*\)\r\{0,1\}$/\1/p' "$out/sim.out")
        [ -z "$port" ] || break
        sleep 0.1
    done
    [ -n "$port" ] || fail "$name: the simulator never said its port"
    for line in "${lines[@]}"; do
        expected=0
        if [[ $line =~ [[:space:]]#[[:space:]]*status[[:space:]]+([0-9]+) ]]; then
            expected=${BASH_REMATCH[1]}
        fi
        status=0
        (cd "$out/folder" && env -i HOME="$out" LANG=C.UTF-8 PATH="$path" ZEL_SERVICE_PORT="$port" \
            timeout 120 bash -c "${line//\/usr\//$root/}") >"$out/command.out" 2>&1 </dev/null ||
            status=$?
        if [ "$status" -ne "$expected" ]; then
            cat "$out/command.out"
            fail "$name: the README's \"$line\" ended with status $status, not $expected"
        fi
        echo "status $status: $line"
    done
    kill -INT "$sim"
    status=0
    wait "$sim" || status=$?
    sim=""
    [ "$status" -eq 0 ] || { cat "$out/sim.out"; fail "$name: the simulator ended with status $status"; }
    ran=${#lines[@]}
}

check_readme_commands
# ---- End of the README's commands ----------------------------------------------------

# Linux, .tar.gz: unpacked anywhere, run from there.
mkdir -p "$work/unpacked-tgz"
tar -xzf "$tgz" -C "$work/unpacked-tgz"
mapfile -t listing < <(tar -tzf "$tgz")
check_listing "$tgz" "${listing[@]}"
root=$work/unpacked-tgz/write_brimel_label-$version-Linux-$(uname -m)
check_version tgz "$root/bin/zel_service_sim"
check_files tgz "$root" "$docdir/LICENSE" "$docdir/README.md" "$docdir/docs/json.md" \
    "$docdir/docs/internals.md"
check_manual_pages tgz "$root"
check_glibc "$root/bin"
run_demo tgz "$root" bin "$docdir/examples" ""

# Linux, .deb: judged by lintian (an error fails; warnings are shown), then installed
# with dpkg, which refuses it if a dependency is missing.
echo
dpkg-deb -f "$deb" Package Version Architecture Maintainer Depends
dpkg-deb -f "$deb" Depends | grep -q libc6 || fail "$deb depends on no C library"
echo "lintian --pedantic $deb:"
tags=$(lintian --pedantic --display-info --display-experimental --fail-on error "$deb" 2>&1) ||
    { echo "$tags"; fail "lintian finds errors in $deb"; }
echo "$tags"
# The programs are built hardened (fortified calls, stack protector, relro and bind-now)
# and stripped of the compiler's notes.
if grep -E 'hardening-|binary-has-unneeded-section' <<<"$tags"; then
    fail "lintian finds the programs of $deb not hardened or not stripped"
fi
mapfile -t listing < <(dpkg-deb -c "$deb" | awk '{print $NF}')
check_listing "$deb" "${listing[@]}"
deb_installed=yes
as_root dpkg -i "$deb"
[ "$(command -v write_brimel_label)" = /usr/bin/write_brimel_label ] || fail "no write_brimel_label"
check_version deb zel_service_sim
check_files deb /usr "$docdir/copyright" "$docdir/changelog.gz" "$docdir/README.md" \
    "$docdir/docs/json.md"
# The Debian changelog's latest entry is this version's.
latest=$(zcat "/usr/$docdir/changelog.gz" | sed -n 1p)
[[ "$latest" == "write-brimel-label ($version) "* ]] ||
    fail "cmake/debian/changelog starts with \"$latest\", not an entry for $version"
entry=$(zcat "/usr/$docdir/changelog.gz")
entry=${entry%%$'\n -- '*}
for program in "${programs[@]}"; do
    grep -qw "$program" <<<"$entry" ||
        fail "the changelog's entry for $version does not name $program"
done
check_manual_pages deb /usr
[ "$(man -w write_brimel_label)" = /usr/share/man/man1/write_brimel_label.1.gz ] ||
    fail "man does not find the installed write_brimel_label page"
run_demo deb /usr bin "$docdir/examples" ""
as_root dpkg -r write-brimel-label
deb_installed=""

# Windows, ZIP: the executables import system DLLs only (the MinGW runtime is linked in).
mkdir -p "$work/unpacked-zip"
(cd "$work/unpacked-zip" && cmake -E tar xf "$zip")
mapfile -t listing < <(cmake -E tar tf "$zip")
check_listing "$zip" "${listing[@]}"
root=$work/unpacked-zip/write_brimel_label-$version-win64
# The programs, README.txt, LICENSE.txt and demo.cmd at the top, the examples beside them.
check_files zip "$root" "${programs[@]/%/.exe}" README.txt LICENSE.txt demo.cmd \
    examples/stage_labels.ini docs/json.md docs/internals.md
check_crlf zip "$root/README.txt"
check_crlf zip "$root/LICENSE.txt"
check_crlf zip "$root/demo.cmd"
for example in "$root"/examples/*; do
    check_crlf zip "$example"
done
# Each program carries its version resource: its name, the version and a description.
for program in "${programs[@]}"; do
    resource=$(strings -el -n 3 "$root/$program.exe")
    for value in FileDescription "$program.exe" "$version"; do
        grep -qxF "$value" <<<"$resource" || fail "zip: $program.exe has no version resource with $value"
    done
done
[ ! -e "$root/bin" ] && [ ! -e "$root/share" ] || fail "zip: a Unix tree (bin, share) in $zip"
echo
for program in "$root"/*.exe; do
    mapfile -t dlls < <("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p')
    echo "$(basename "$program") imports: ${dlls[*]}"
    for dll in "${dlls[@]}"; do
        # DLLs that every Windows has (shell32 splits the wide command line); libstdc++-6,
        # libgcc_s_seh-1 or libwinpthread-1 here would mean a runtime DLL to ship.
        case "${dll,,}" in
            kernel32.dll | msvcrt.dll | ws2_32.dll | user32.dll | advapi32.dll | ntdll.dll | \
                shell32.dll) ;;
            *) fail "$(basename "$program") imports $dll, which Windows does not have" ;;
        esac
    done
done

# Under Wine in a fresh prefix, with a bare environment: nothing of MinGW on any path.
wine_env=(env -i "HOME=$work/home" PATH=/usr/bin:/bin "WINEPREFIX=$work/wine-prefix"
    WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=")
mkdir -p "$work/home" "$work/wine-prefix"
wine_started=yes
"${wine_env[@]}" "$wineserver" -p </dev/null
"${wine_env[@]}" "$wine" wineboot -i </dev/null
check_version zip "$root/zel_service_sim.exe" "${wine_env[@]}" "$wine"
run_demo zip "$root" . examples .exe "${wine_env[@]}" "$wine"

# The ZIP's demo.cmd, run as an operator would in the unzipped folder: its status is the
# verifies', its output holds the verify's totals (all four devices of the example hold
# it), the sync of the edited copy (NEW-DEVICE2's one new entry alone) and the second
# verify's totals, it did not wait for a key (it was not double-clicked), and the
# simulator it started has stopped (the one of run_demo stopped before).
echo
echo "==== demo.cmd from the unzipped ZIP ($root)"
status=0
(cd "$root" && timeout 600 "${wine_env[@]}" "$wine" cmd /c demo.cmd </dev/null) \
    >"$work/demo_cmd.out" 2>&1 || status=$?
tr -d '\r' <"$work/demo_cmd.out"
[ "$status" -eq 0 ] || fail "zip: demo.cmd exited with status $status"
verdicts=$(tr -d '\r' <"$work/demo_cmd.out" |
    grep -c '^Verify: 0 entries differ on 0 of 4 devices; 4 hold the file\.$' || true)
[ "$verdicts" -eq 2 ] || fail "zip: demo.cmd's output holds $verdicts verifies of all four devices, not 2"
tr -d '\r' <"$work/demo_cmd.out" |
    grep -q '^Done: 3 fields written and read back on 1 of 4 devices; 3 held them already\.$' ||
    fail "zip: demo.cmd did not sync the edited copy"
if grep -qi 'press any key' "$work/demo_cmd.out"; then
    fail "zip: demo.cmd waited for a key though it was not double-clicked"
fi
if "${wine_env[@]}" "$wine" wmic process get name </dev/null | tr -d '\0\r' |
    grep -qix 'zel_service_sim.exe *'; then
    fail "zip: demo.cmd left its simulator running"
fi
echo "==== zip: demo.cmd verified the devices and stopped its simulator"

echo
echo "Packages in $packages (stage took $(($(date +%s) - start)) s):"
ls -l "$packages"
