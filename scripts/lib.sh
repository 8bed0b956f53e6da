# Shared by the project's scripts: packages, the private Wine prefix and the
# virtual display. Source it; it defines functions and REPO only.
REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build, the tests and the demo need.
TAVORIN_PACKAGES="cmake make g++ gcc googletest libbenchmark-dev clang libclang-rt-dev valgrind
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 wine32:i386 xvfb xauth imagemagick
  x11-utils zip procps fonts-wine clang-format lld llvm python3 pkgconf"

# Packing, signing and checking the packages (scripts/package, scripts/deb-check).
TAVORIN_PACKAGES+=" osslsigncode openssl dpkg-dev file jq unzip"

# The store on a file server (scripts/checks/60-file-server): Samba's server
# and the FUSE client that mounts its shares.
TAVORIN_PACKAGES+=" samba smbnetfs"
TAVORIN_PACKAGES+=" xdotool" # real key events, for scripts/checks/70-real-keyboard
TAVORIN_PACKAGES+=" debootstrap" # a Debian 13 root, for scripts/checks/80-debian13

# The dialog as Chinese, Japanese and Hebrew users see it (tests/lookup/
# language_check.sh): their locales, and fonts with their characters
# (Hebrew's come with DejaVu).
TAVORIN_PACKAGES+=" locales fonts-wqy-microhei fonts-ipafont-gothic fonts-dejavu-core"
TAVORIN_LOCALES="zh_CN.UTF-8 ja_JP.UTF-8 he_IL.UTF-8 ja_JP.SJIS"

log() { printf '%s\n' "$*" >&2; }

# The version of TAVORIN: project() in CMakeLists.txt sets it, once.
project_version() { sed -n 's/^project(tavorin VERSION \([0-9.]*\).*/\1/p' "$REPO/CMakeLists.txt"; }

# Installs whatever of TAVORIN_PACKAGES is missing (needs root the first time).
# A machine that has them all touches no package list and fetches nothing;
# one without Debian's package tools is left as it is.
install_packages() {
    local missing=() p twins
    # Elsewhere the user installs them by hand (README's table).
    command -v dpkg-query >/dev/null || return 0
    for p in $TAVORIN_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        log "missing packages: ${missing[*]} (run as root to install them)"
        return 1
    fi
    log "installing: ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    export DEBIAN_FRONTEND=noninteractive
    refresh_package_lists
    twins=$(fetch_lagging_twins "${missing[@]}")
    # shellcheck disable=SC2086 # one path a line, none with spaces
    apt_install "${missing[@]}" $twins
}

# apt-get update. A mirror caught mid-sync serves one list out of step with
# its signed release file (seen: the security archive's i386 list); apt
# then keeps the lists it could read and exits 100. That is worth a warning,
# not the end: the install below says what, if anything, it lacked.
refresh_package_lists() {
    local out
    out=$(timeout 900 apt-get update 2>&1) && return 0
    log "warning: apt-get update failed in part; going on with the package lists it has:"
    printf '%s\n' "$out" | sed -n 's/^E: \(.*\)/  \1/p' | sed 's/ \[IP: [^]]*\]//' >&2
}

# Packages of the i386 closure of "$@" (their names without :i386) whose
# i386 version lags the amd64 one, as "name version" lines: the amd64
# version, which both must have (a Multi-Arch: same package is installed at
# one version on every architecture). $1 and $2 are the amd64 and i386
# candidates in apt-cache show's form. An i386 list that lags is the usual
# case (it is the one a mirror mid-sync failed to serve); the reverse is
# left to apt, which reports it.
lagging_twins() {
    awk -v RS= -F '\n' '
        { name = ver = ""; same = 0
          for (i = 1; i <= NF; i++) {
              if ($i ~ /^Package: /) name = substr($i, 10)
              else if ($i ~ /^Version: /) ver = substr($i, 10)
              else if ($i == "Multi-Arch: same") same = 1
          } }
        FILENAME == ARGV[1] && same { amd64[name] = ver }
        FILENAME == ARGV[2] && (name in amd64) && ver != amd64[name] { print name, amd64[name], ver }
    ' "$1" "$2" | while read -r name amd64 i386; do
        dpkg --compare-versions "$amd64" gt "$i386" && echo "$name $amd64"
    done
}

# For each i386 package of the closure of the missing :i386 packages whose
# amd64 twin is newer in the lists, fetches the twin's i386 build from the
# archive's pool, where the amd64 build lies, and prints the .deb's path.
# The lists that name it failed to refresh, so the .deb is checked against
# its own control fields only (name, version, architecture); the archive's
# signature covers the amd64 list alone. Without it apt refuses the install:
# the amd64 library is at the security version, the i386 one only at the
# release's.
fetch_lagging_twins() {
    local roots=() fetched=() p dir names lagging uris name version uri deb
    for p; do [[ $p == *:i386 ]] && roots+=("$p"); done
    [ ${#roots[@]} -eq 0 ] && return 0
    names=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
        --no-breaks --no-replaces --no-enhances "${roots[@]}" 2>/dev/null |
        sed -n 's/^\([^ <].*\):i386$/\1/p' | sort -u)
    [ -n "$names" ] || return 0
    dir="$REPO/build/i386-twins"
    mkdir -p "$dir" || return 0
    # shellcheck disable=SC2046 # one name a word
    apt-cache show --no-all-versions $(printf '%s:amd64\n' $names) >"$dir/amd64.list" 2>/dev/null
    # shellcheck disable=SC2046
    apt-cache show --no-all-versions $(printf '%s:i386\n' $names) >"$dir/i386.list" 2>/dev/null
    lagging=$(lagging_twins "$dir/amd64.list" "$dir/i386.list")
    [ -n "$lagging" ] || return 0
    # shellcheck disable=SC2046 # "name:amd64=version" words
    uris=$(apt-get download --print-uris $(printf '%s:amd64=%s\n' $lagging) 2>/dev/null |
        sed -n "s/^'\([^']*\)_amd64\.deb'.*/\1_i386.deb/p")
    while read -r name version; do
        uri=$(printf '%s\n' "$uris" | grep -m 1 "/${name}_[^/]*_i386\.deb$")
        deb="$dir/${name}_i386.deb"
        if [ -z "$uri" ] || ! timeout 300 /usr/lib/apt/apt-helper download-file "$uri" "$deb" >/dev/null 2>&1; then
            log "$name:i386 $version: not in the package lists and not in the pool (${uri:-no address})"
        elif [ "$(dpkg-deb -f "$deb" Package Version Architecture 2>/dev/null | tr '\n' ' ')" != "Package: $name Version: $version Architecture: i386 " ]; then
            log "$name:i386 $version: the pool's $uri is another package; not used"
        else
            fetched+=("$name $version")
            echo "$deb"
        fi
    done <<<"$lagging"
    [ ${#fetched[@]} -eq 0 ] ||
        log "the i386 package list lags the amd64 one; fetched ${#fetched[@]} i386 packages from the pool at their amd64 versions: $(printf "%s, " "${fetched[@]}" | sed "s/, $//")"
}

# apt-get install; when it fails, its last lines say which package could
# not be installed and why, not only that something failed.
apt_install() {
    local out
    out=$(timeout 1800 apt-get install -y --no-install-recommends "$@" 2>&1) && return 0
    log "package installation failed; apt-get install says:"
    printf '%s\n' "$out" | grep -E '^ ?[^ ]+ : |^ {3,}(Pre)?Depends: |^dpkg: error|^E: ' | tail -n 25 >&2
    return 1
}

# Generates whatever of TAVORIN_LOCALES the system lacks (needs root).
generate_locales() {
    local l have
    have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8$/utf8/')
    for l in $TAVORIN_LOCALES; do
        printf '%s\n' "$have" | grep -qx "$(printf '%s' "$l" | tr 'A-Z' 'a-z' | sed 's/utf-8$/utf8/')" && continue
        if [ "$(id -u)" != 0 ]; then
            log "missing locale $l (run as root to generate it)"
            return 1
        fi
        log "generating locale $l"
        # Shift-JIS is no superset of ASCII ("\\" is the yen sign): glibc makes
        # it, warning, for the native names' tests in a double-byte locale.
        local set=${l#*.}
        [ "$set" = SJIS ] && set=SHIFT_JIS
        timeout 300 localedef -i "${l%%.*}" -c -f "$set" --no-warnings=ascii "$l" || return 1
    done
}

# Starts Xvfb on a free display and exports DISPLAY; stop_display ends it.
XVFB_PID=
start_display() {
    local n
    for n in $(seq 91 130); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        local i
        for i in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
    done
    log "could not start Xvfb"
    return 1
}
stop_display() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

# The private prefix under build/, never the user's ~/.wine;
# TAVORIN_WINEPREFIX names another (see prepare_wine_dpi).
wine_environment() {
    export WINEPREFIX="${TAVORIN_WINEPREFIX:-$REPO/build/wineprefix}"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    # Wine reads and writes Unix file names in the locale's character set:
    # UTF-8 on every machine, also where the environment names no locale.
    # It takes the ANSI code page from the locale too, so a prefix made for
    # another language (prepare_wine_locale) keeps that language's.
    export LC_ALL=${TAVORIN_WINE_LOCALE:-C.UTF-8}
    # The command that runs a program, without address-space randomization
    # for it and every process Wine starts for it: Debian's Wine has no
    # preloader to keep 0x7ffe0000 free, and the kernel puts the heap of its
    # 64-bit loader (fixed at 0x7d000000) anywhere in the next 1 GB. About
    # one 64-bit start in 3,000 found its heap on that page and died before
    # it ran: its parent's CreateProcess failed with ERROR_INTERNAL_ERROR.
    TAVORIN_WINE=(setarch -R wine)
}

# True when folder $1 may be removed and made anew as a prefix: it does not
# exist or is empty, it is one of the project's own under build/, or this
# file began it (the marker is written before wineboot runs, so an
# interrupted creation carries it). TAVORIN_WINEPREFIX may name anything,
# a user's ~/.wine included.
prefix_may_be_made() {
    local entries
    case $1 in "$REPO/build/wineprefix" | "$REPO/build/wineprefix-dpi") return 0 ;; esac
    [ -e "$1" ] || return 0
    [ -f "$1/.tavorin-prefix" ] && return 0
    [ -d "$1" ] && entries=$(ls -A "$1") && [ -z "$entries" ]
}

# Creates the prefix once (needs DISPLAY: the first Wine process of a prefix
# fixes its display). A crash must end the program, not open a debugger
# that waits for a click.
prepare_wine() {
    wine_environment
    if [ ! -f "$WINEPREFIX/.tavorin-ready" ] && ! prefix_may_be_made "$WINEPREFIX"; then
        log "not touching $WINEPREFIX: not empty and no Wine prefix of this project;" \
            "set TAVORIN_WINEPREFIX to a new or empty folder"
        return 1
    fi
    timeout 30 wineserver -k 2>/dev/null
    if [ ! -f "$WINEPREFIX/.tavorin-ready" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX" && touch "$WINEPREFIX/.tavorin-prefix" || return 1
        log "creating Wine prefix $WINEPREFIX"
        timeout 180 wineboot --init >/dev/null 2>&1 || { log "wineboot failed"; return 1; }
        timeout 60 wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1
        timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        timeout 60 wineserver -w
        touch "$WINEPREFIX/.tavorin-ready"
    fi
    # Without a window manager Wine waits about 2 s for every managed window
    # that closes; unmanaged windows close at once.
    if [ ! -f "$WINEPREFIX/.tavorin-unmanaged" ]; then
        timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        timeout 60 wineserver -w
        touch "$WINEPREFIX/.tavorin-unmanaged"
    fi
    # A drive A:, as most Windows machines have, so that the tests see the
    # walk pass it by. Without one a browse test skipped, and googletest
    # starts a thread at a program's first skip: a 32-bit program that ended
    # while that thread was still starting died of SIGSEGV in Wine 8 (about
    # one run in 300 under load).
    if [ ! -f "$WINEPREFIX/.tavorin-drive-a" ]; then
        mkdir -p "$WINEPREFIX/drive_a" && ln -sfn ../drive_a "$WINEPREFIX/dosdevices/a:" ||
            { log "could not give the Wine prefix a drive A:"; return 1; }
        touch "$WINEPREFIX/.tavorin-drive-a"
    fi
    # Wine draws caption buttons, scroll arrows and check marks as letters
    # of its Marlett font (the close box is an "r"). This Wine reads fonts
    # from the prefix's Fonts folder and from fontconfig, never from
    # /usr/share/wine/fonts where fonts-wine puts them, and wineboot copies
    # none. Only Marlett: Wine's Tahoma would change the dialog font.
    if [ ! -f "$WINEPREFIX/.tavorin-marlett" ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" ||
            { log "could not install Wine's Marlett font (package fonts-wine)"; return 1; }
        touch "$WINEPREFIX/.tavorin-marlett"
    fi
}
stop_wine() { timeout 30 wineserver -k 2>/dev/null; true; }

# A prefix of its own made and run under locale $1 (one of TAVORIN_LOCALES),
# so that its ANSI code page is that language's (932 for ja_JP, 936 for
# zh_CN, 1255 for he_IL); later calls in the same shell use it.
prepare_wine_locale() {
    generate_locales || return 1
    export TAVORIN_WINE_LOCALE=$1
    export TAVORIN_WINEPREFIX="$REPO/build/wineprefix-${1%%.*}"
    prepare_wine
}

# A prefix of its own whose display has $1 dots per inch (LogPixels), made
# like the main one; later calls in the same shell use it. Its wineserver
# is ended after the change, so the next program starts a fresh one that
# reads the new value.
prepare_wine_dpi() {
    export TAVORIN_WINEPREFIX="$REPO/build/wineprefix-dpi"
    prepare_wine || return 1
    [ "$(cat "$WINEPREFIX/.tavorin-dpi" 2>/dev/null)" = "$1" ] && return 0
    timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        >/dev/null 2>&1 || { log "could not set LogPixels to $1"; return 1; }
    timeout 30 wineserver -k 2>/dev/null
    echo "$1" >"$WINEPREFIX/.tavorin-dpi"
}
