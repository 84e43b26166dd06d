#!/usr/bin/env bash
# The Debian package as an operator gets it. Built from this build tree (cpack only), unpacked into
# a temporary root, asked for --help and --version with no display at all, then started on a copy
# of the demo database with the unpacked tree read-only: the masks file must appear in the
# operator's data folder and nothing may be written into the tree. Then the same program copied
# alone into a read-only folder of its own (no installation tree around it) must do the same,
# run by a user who cannot write that folder.
#
#     installed_program.sh BUILD_DIR SOURCE_DIR CPACK_COMMAND
set -euo pipefail
build=$1 source=$2 cpack=$3

work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    chmod -R u+w "$work"
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FALLA: $*" >&2
    exit 1
}

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack no armó el paquete"
}
deb=$(echo "$work"/package/contactos_*.deb)
[ -f "$deb" ] || fail "no hay paquete en $work/package"

# What dpkg-shlibdeps finds and what the program loads by name must both be in Depends.
control=$(dpkg-deb -f "$deb")
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libodbc2 libxlsxwriter libsqlite3-0 libsqliteodbc; do
    [[ $depends == *"$lib"* ]] || fail "Depends sin $lib: $depends"
done
for pkg in tdsodbc odbc-postgresql qt6-translations-l10n; do
    [[ $(dpkg-deb -f "$deb" Recommends) == *"$pkg"* ]] || fail "Recommends sin $pkg"
done

dpkg -x "$deb" "$work/root"
program="$work/root/usr/bin/contactos"
for f in usr/share/contactos/stone.jpg usr/share/applications/ar.contactos.Contactos.desktop \
    usr/share/metainfo/ar.contactos.Contactos.metainfo.xml usr/share/icons/hicolor/scalable/apps/contactos.svg \
    usr/share/icons/hicolor/48x48/apps/contactos.png usr/share/man/es/man1/contactos.1.gz \
    usr/share/doc/contactos/copyright; do
    [ -f "$work/root/$f" ] || fail "el paquete no instala $f"
done
desktop-file-validate "$work/root/usr/share/applications/ar.contactos.Contactos.desktop" ||
    fail "entrada de escritorio inválida"

# No display and no platform: had Qt been started, it would abort.
version=$(env -i PATH=/usr/bin:/bin "$program" --version) || fail "--version falló"
[[ $version == "contactos $(echo "$control" | sed -n 's/^Version: //p')" ]] || fail "--version dice: $version"
env -i PATH=/usr/bin:/bin "$program" --help | grep -q '^Uso: contactos' || fail "--help sin uso"

sqlite3 "$work/demo.db" <"$source/demo/contactos.sql" >/dev/null

# Lists every file of a tree with its size and time, to see that a run left it as it was.
snapshot() { (cd "$1" && find . -printf '%p %s %T@\n' | sort); }

# Starts the program as the given command prefix with the operator's folders under $2, waits for
# the masks file there (the start-up writes it before the window loads its grid), checks the
# program is still running, and ends it: the window would wait for the operator.
start_and_wait_for_masks() {
    local home=$1
    shift
    mkdir -p "$home"
    chmod 1777 "$home"
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
        XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 \
        "$@" "@Server=SQLITE;@DbName=$work/demo.db;@Usuario=admin;@Password=;" >"$home.log" 2>&1 &
    pid=$!
    local masks="$home/data/contactos/consultas.qln"
    for _ in $(seq 300); do
        [ "$(stat -c %s "$masks" 2>/dev/null)" = 8414 ] && break
        kill -0 "$pid" 2>/dev/null || { cat "$home.log"; fail "el programa terminó antes de escribir $masks"; }
        sleep 0.1
    done
    [ "$(stat -c %s "$masks" 2>/dev/null)" = 8414 ] || fail "no apareció $masks con las 7 máscaras"
    kill -TERM "$pid" 2>/dev/null || { cat "$home.log"; fail "el programa no siguió abierto"; }
    wait "$pid" || true
    pid=
}

chmod -R a-w "$work/root"
before=$(snapshot "$work/root")
start_and_wait_for_masks "$work/operador" "$program"
[ "$(snapshot "$work/root")" = "$before" ] || fail "el programa escribió en su árbol instalado"

# A copy of the program and its picture in a read-only folder, run by someone who cannot write it
# (root can write anywhere, so root runs it as nobody).
portable="$work/portable"
mkdir -p "$portable"
cp "$program" "$work/root/usr/share/contactos/stone.jpg" "$portable/"
chmod 555 "$portable"
chmod 666 "$work/demo.db"
chmod 777 "$work" # the database's folder: SQLite writes its journal beside the file
as_operator=()
[ "$(id -u)" -ne 0 ] || as_operator=(setpriv --reuid=65534 --regid=65534 --clear-groups)
before=$(snapshot "$portable")
start_and_wait_for_masks "$work/otro" "${as_operator[@]}" "$portable/contactos"
[ "$(snapshot "$portable")" = "$before" ] || fail "el programa escribió en su carpeta de solo lectura"
echo "paquete $(basename "$deb"): instalado y copiado, los archivos del operador van a sus carpetas"
