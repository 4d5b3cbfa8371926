#!/usr/bin/env bash
# The two commands of the README, and the checks of CI.
#   ./build.sh start            install what is missing, build, start the program
#   ./build.sh test             install what is missing, build, run every test
#   ./build.sh test-sanitizers  the same tests built with AddressSanitizer and UBSan, leaks checked
#   ./build.sh lint             the format check of the C++ files and the layer check
#   ./build.sh package          build the Debian package build/tamberon_<version>_amd64.deb
#   ./build.sh package-test     the package checked (contents, lintian), installed, tried, purged
# With WITH_LIBREOFFICE=1 "test" also installs LibreOffice (Writer and Calc without their
# windows), and its conversion tests fail rather than skip without it.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake g++ make pkg-config
          qt6-base-dev qt6-translations-l10n libsqlite3-dev libgdal-dev libgeos-dev gdal-bin
          libzip-dev zipcmp zipmerge ziptool libpugixml-dev libfreexl-dev zlib1g-dev
          fonts-dejavu-core librsvg2-bin
          libgtest-dev libgmock-dev libbenchmark-dev)
PRINTER_PACKAGES=(cups printer-driver-cups-pdf)
LIBREOFFICE_PACKAGES=(libreoffice-writer-nogui libreoffice-calc-nogui)
# CPack's Debian package: dependencies read by dpkg-shlibdeps, files told apart by "file".
PACKAGE_PACKAGES=(dpkg-dev file)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

build() {
    local dir=$1; shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBERON_WERROR="${WERROR:-OFF}" "$@"
    cmake --build "$dir" -j "$(nproc)"
}

# The program refuses to start without a printer: give a machine without one a PDF printer
# through CUPS. Nothing here stops the script: without a printer the program says so itself.
# "lpstat -r" answers whether the scheduler runs (its exit status does not).
scheduler_running() {
    local out
    out=$(LC_ALL=C timeout 5 lpstat -r 2>/dev/null) || true
    grep -qx "scheduler is running" <<<"$out"
}

has_printer() {
    local out
    out=$(LC_ALL=C timeout 5 lpstat -a 2>/dev/null) || true
    [ -n "$out" ]
}

start_scheduler() {
    if [ -d /run/systemd/system ]; then
        as_root systemctl start cups.service >/dev/null 2>&1 || true
    else
        # Detached, with nothing of the script's output held open.
        as_root mkdir -p /run/cups
        as_root setsid /usr/sbin/cupsd </dev/null >/dev/null 2>&1 || true
    fi
    local deadline=$((SECONDS + 15))
    until scheduler_running; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.2
    done
}

ensure_printer() {
    local failure=""
    if ! install_missing "${PRINTER_PACKAGES[@]}"; then
        failure="installing ${PRINTER_PACKAGES[*]} failed"
    elif ! scheduler_running && ! start_scheduler; then
        failure="the CUPS scheduler (cupsd) did not start within 15 s"
    elif ! has_printer; then
        local out
        if ! out=$(as_root lpadmin -p PDF -E -v cups-pdf:/ \
                       -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>&1); then
            failure="lpadmin could not add the PDF printer: ${out##*$'\n'}"
        else
            as_root lpadmin -d PDF >/dev/null 2>&1 || true
        fi
    fi
    if ! has_printer; then
        echo "build.sh: no printer set up (${failure:-lpstat -a lists none after adding the PDF printer}); starting the program anyway" >&2
    fi
}

# The Debian package from the build folder "build" (built first, as "start" and "test" build it);
# prints its path.
make_package() {
    install_missing "${PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" >&2
    build build >&2
    rm -f build/tamberon_*.deb
    (cd build && cpack -G DEB >&2)
    ls build/tamberon_*_amd64.deb
}

# What the package holds, one path a line ("./usr/bin/tamberon").
package_files() {
    dpkg-deb -c "$1" | sed -E 's/^([^ ]+ +){5}//'
}

# The package as a valuer gets it: what it holds and lintian's verdict, then installed by apt,
# started without a display on a fresh home folder (a command and the window), and purged,
# which leaves the valuer's folder.
package_test() {
    local deb=$1 file
    local files
    files=$(package_files "$deb")
    for file in ./usr/bin/tamberon ./usr/share/tamberon/baza.sqlite ./usr/share/tamberon/settings.dat \
        "./usr/share/tamberon/Шаблон/Технічний звіт.dotx" ./usr/share/tamberon/руководство.docx \
        ./usr/share/applications/tamberon.desktop ./usr/share/metainfo/tamberon.metainfo.xml \
        ./usr/share/icons/hicolor/scalable/apps/tamberon.svg \
        ./usr/share/icons/hicolor/256x256/apps/tamberon.png ./usr/share/icons/hicolor/16x16/apps/tamberon.png \
        ./usr/share/man/man1/tamberon.1.gz ./usr/share/bash-completion/completions/tamberon \
        ./usr/share/doc/tamberon/copyright ./usr/share/doc/tamberon/changelog.gz; do
        grep -qxF "$file" <<<"$files" || { echo "build.sh: the package lacks $file" >&2; return 1; }
    done
    if grep -E '^\./usr/share/tamberon/Temp/|tamberon_console' <<<"$files"; then
        echo "build.sh: the package holds what an installation must not" >&2
        return 1
    fi
    install_missing lintian
    lintian --fail-on error "$deb"
    ensure_printer
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$(realpath "$deb")"
    tamberon --version
    local home work settlement
    home=$(mktemp -d)
    work=$(mktemp -d)
    settlement=$(find /usr/share/tamberon/Проекти -mindepth 3 -maxdepth 3 -name data.sqlite \
        -printf '%h\n' -quit)
    cp -r "$settlement" "$work/"
    (cd "$work" && env -u XDG_DATA_HOME HOME="$home" tamberon report "$work/${settlement##*/}")
    env -u XDG_DATA_HOME HOME="$home" TAMBERON_EXIT_AFTER_START=1 QT_QPA_PLATFORM=offscreen tamberon
    as_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tamberon
    if [ -e /usr/bin/tamberon ] || [ ! -f "$home/.local/share/tamberon/baza.sqlite" ]; then
        echo "build.sh: the purge left the program or took the valuer's folder" >&2
        return 1
    fi
    rm -rf "$home" "$work"
    echo "build.sh: $deb installed, started and purged"
}

# The C++ files of the repository, NUL-separated (the tracked ones in a git checkout).
cpp_files() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -z '*.cpp' '*.h'
    else
        find . -path './build*' -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0
    fi
}

case "${1:-}" in
start)
    install_missing "${PACKAGES[@]}"
    ensure_printer
    build build
    exec build/AppDir/tamberon
    ;;
test)
    install_missing "${PACKAGES[@]}"
    if [ "${WITH_LIBREOFFICE:-0}" = 1 ]; then
        install_missing "${LIBREOFFICE_PACKAGES[@]}"
        export TAMBERON_REQUIRE_LIBREOFFICE=1
    fi
    build build
    QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j "$(nproc)"
    ;;
test-sanitizers)
    install_missing "${PACKAGES[@]}"
    build build-sanitizers -DTAMBERON_SANITIZE=address,undefined -DTAMBERON_BENCH=OFF
    # The LibreOffice conversions run once, in "test": they add nothing under the sanitizers.
    # Leaks are checked too; tests/lsan.supp names what libraries keep for the whole run.
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
        ctest --test-dir build-sanitizers --output-on-failure -j "$(nproc)" -LE libreoffice
    ;;
package)
    make_package
    ;;
package-test)
    deb=$(make_package)
    package_test "$deb"
    ;;
lint)
    # Every tracked C++ file as .clang-format formats it; the layer check (cmake/Layers.cmake)
    # runs when the build is configured and its source scan is repeated on its own.
    install_missing "${PACKAGES[@]}" clang-format git
    cpp_files | xargs -0 clang-format --dry-run -Werror
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBERON_WERROR="${WERROR:-OFF}" >/dev/null
    cmake -DLAYER_SCAN_LIST=build/layers/scan.cmake -P cmake/LayerScan.cmake
    ;;
*)
    echo "usage: $0 start|test|test-sanitizers|lint|package|package-test" >&2
    exit 2
    ;;
esac
