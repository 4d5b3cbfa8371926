#!/usr/bin/env bash
# The two commands of the README, and the checks of CI.
#   ./build.sh start            install what is missing, build, start the program
#   ./build.sh test             install what is missing, build, run every test
#   ./build.sh test-sanitizers  the same tests built with AddressSanitizer and UBSan, leaks checked
#   ./build.sh lint             the format check of the C++ files and the layer check
# With WITH_LIBREOFFICE=1 "test" also installs LibreOffice (Writer and Calc without their
# windows), and its conversion tests fail rather than skip without it.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake g++ make pkg-config
          qt6-base-dev qt6-translations-l10n libsqlite3-dev libgdal-dev libgeos-dev gdal-bin
          libzip-dev zipcmp zipmerge ziptool libpugixml-dev libfreexl-dev zlib1g-dev
          fonts-dejavu-core
          libgtest-dev libgmock-dev libbenchmark-dev)
PRINTER_PACKAGES=(cups printer-driver-cups-pdf)
LIBREOFFICE_PACKAGES=(libreoffice-writer-nogui libreoffice-calc-nogui)

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
lint)
    # Every tracked C++ file as .clang-format formats it; the layer check (cmake/Layers.cmake)
    # runs when the build is configured and its source scan is repeated on its own.
    install_missing "${PACKAGES[@]}" clang-format git
    cpp_files | xargs -0 clang-format --dry-run -Werror
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBERON_WERROR="${WERROR:-OFF}" >/dev/null
    cmake -DLAYER_SCAN_LIST=build/layers/scan.cmake -P cmake/LayerScan.cmake
    ;;
*)
    echo "usage: $0 start|test|test-sanitizers|lint" >&2
    exit 2
    ;;
esac
