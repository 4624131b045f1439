# Shared by scripts/run and scripts/test: package installs, builds, Xvfb and Wine.

CLAVORO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# What both builds and all tests need, as Debian package names: the native build and its
# tests first, then the Windows build, Wine and the fuzzers, which scripts/test installs
# while the native build runs.
CLAVORO_NATIVE_PACKAGES=(g++ cmake make libgtest-dev libgmock-dev googletest libbenchmark-dev
    valgrind nlohmann-json3-dev libsqlite3-dev libpq-dev postgresql sqlite3)
CLAVORO_OTHER_PACKAGES=(clang libclang-rt-14-dev g++-mingw-w64-x86-64 mingw-w64 wine wine64 xvfb
    x11-utils xdotool imagemagick wixl msitools osslsigncode openssl)

# Installs those of the packages named (all of them when none are) that are missing.
ensure_packages() {
    local wanted=("$@") missing=()
    [ ${#wanted[@]} -gt 0 ] || wanted=("${CLAVORO_NATIVE_PACKAGES[@]}" "${CLAVORO_OTHER_PACKAGES[@]}")
    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    if [ -z "${CLAVORO_APT_UPDATED:-}" ]; then
        $sudo apt-get update -qq || return 1
        export CLAVORO_APT_UPDATED=1
    fi
    # With the recommended packages, as on the machines the tests were proven on (Wine's
    # fonts and libraries among them).
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# The Windows build: Clavoro.exe and its tools, and the ready-to-run dist/Clavoro folder.
build_windows() {
    cmake -S "$CLAVORO_ROOT" -B "$CLAVORO_ROOT/build/windows" \
        -DCLAVORO_HOST_BUILD="$CLAVORO_ROOT/build/native" \
        -DCMAKE_TOOLCHAIN_FILE="$CLAVORO_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$CLAVORO_ROOT/build/windows" -j "$(nproc)"
}

# A throwaway self-signed code-signing certificate in the folder given, for a build that
# signs as a release would: exports CLAVORO_SIGN_PFX and CLAVORO_SIGN_PASSWORD for the
# build, and CLAVORO_TEST_SIGN_CA, the certificate alone, the root the tests verify against.
make_test_certificate() {
    local dir=$1 password
    password=$(openssl rand -hex 12)
    mkdir -p "$dir"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Clavoro test signing/O=Orvane" \
        -addext extendedKeyUsage=codeSigning -addext keyUsage=digitalSignature \
        -keyout "$dir/key.pem" -out "$dir/certificate.pem" >/dev/null 2>&1 &&
        openssl pkcs12 -export -inkey "$dir/key.pem" -in "$dir/certificate.pem" \
            -out "$dir/signing.pfx" -passout "pass:$password" || return 1
    rm -f "$dir/key.pem"
    export CLAVORO_SIGN_PFX="$dir/signing.pfx" CLAVORO_SIGN_PASSWORD="$password"
    export CLAVORO_TEST_SIGN_CA="$dir/certificate.pem"
}

# Starts a private Xvfb and sets DISPLAY; stop_xvfb ends it.
start_xvfb() {
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    local number
    read -r number <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$number"
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
}

# One Wine prefix for a whole run of the program or the tests.
make_wine_prefix() {
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
}

# Keeps one wineserver and Wine's background programs (services, desktop) running
# for a whole ctest run. Started here, outside ctest, they do not hold a test's
# output open; each test then starts in about a second instead of booting Wine.
start_wine_session() {
    wineserver -p
    wineboot >/dev/null 2>&1 || true
    # A crashing program ends at once with its exception code instead of waiting
    # behind Wine's crash dialog until a test's timeout.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 || true
    # Windows left to Wine, not to a window manager: with none on Xvfb, Wine would hold a
    # program for 2 s after each window or dialog it hides, waiting for the manager's
    # answer. A case that wants that hold sets Managed back for Clavoro.exe alone.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >/dev/null 2>&1 || true
}

stop_wine_session() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

# A drive of 64 KiB for the end-to-end case that fills it up (a tmpfs; root only). Without
# it that case is skipped.
mount_small_disk() {
    mkdir -p "$1"
    mountpoint -q "$1" && return 0
    mount -t tmpfs -o size=64k tmpfs "$1" 2>/dev/null ||
        echo "no small drive at $1 (mounting needs root): the full-disk case is skipped"
}

unmount_small_disk() {
    mountpoint -q "$1" && umount -l "$1"
    return 0
}

# A throwaway PostgreSQL cluster for the results store's tests and benchmark, in a
# temporary folder: initdb and pg_ctl refuse to run as root, so they run as the postgres
# user; the server listens only on a Unix socket in that folder, its databases in UTF-8
# as a results store needs. start_test_postgres
# starts it in the background, with any server options given (-c name=value);
# wait_test_postgres waits for it and exports
# CLAVORO_TEST_POSTGRES, its URI; stop_test_postgres stops it and removes the folder.
start_test_postgres() {
    local bin
    bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
    PG_TEST_DIR=$(mktemp -d /tmp/clavoro-pg.XXXXXX)
    chown postgres "$PG_TEST_DIR"
    # The socket's name carries the port: any port is free in a folder of our own.
    PG_TEST_PORT=$((50000 + RANDOM % 10000))
    PG_TEST_CTL="$bin/pg_ctl"
    (cd "$PG_TEST_DIR" &&
        runuser -u postgres -- "$bin/initdb" -D "$PG_TEST_DIR/data" -U postgres -A trust \
            -E UTF8 --locale=C --no-sync >"$PG_TEST_DIR/initdb.log" 2>&1 &&
        runuser -u postgres -- "$PG_TEST_CTL" -D "$PG_TEST_DIR/data" -l "$PG_TEST_DIR/server.log" \
            -w -o "-p $PG_TEST_PORT -k $PG_TEST_DIR -c listen_addresses='' -c fsync=off $*" \
            start >/dev/null) &
    PG_TEST_STARTER=$!
}

wait_test_postgres() {
    if ! wait "$PG_TEST_STARTER"; then
        echo "the test PostgreSQL server did not start:"
        cat "$PG_TEST_DIR"/*.log 2>/dev/null | tail -n 20
        return 1
    fi
    export CLAVORO_TEST_POSTGRES="postgresql://postgres@/postgres?host=$PG_TEST_DIR&port=$PG_TEST_PORT"
}

stop_test_postgres() {
    [ -n "${PG_TEST_DIR:-}" ] || return 0
    wait "$PG_TEST_STARTER" 2>/dev/null
    [ -f "$PG_TEST_DIR/data/postmaster.pid" ] &&
        runuser -u postgres -- "$PG_TEST_CTL" -D "$PG_TEST_DIR/data" -m immediate stop >/dev/null 2>&1
    rm -rf "$PG_TEST_DIR"
    PG_TEST_DIR=""
    unset CLAVORO_TEST_POSTGRES
}
