#!/usr/bin/env bash
# Installs every Debian package the project builds, runs and tests with.
# Idempotent: packages already installed are skipped, and apt-get runs only when some are missing.
set -euo pipefail

packages=(
  # toolchain and build
  build-essential g++ cmake ninja-build pkg-config
  # tests
  googletest libgtest-dev libgmock-dev
  # Qt 6 base with the SQLite and ODBC drivers
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc libgl-dev
  # embedded engine
  libsqlite3-dev sqlite3
  # zlib: the picture reader inflates a PNG's data as far as its size allows before decoding
  zlib1g-dev
  # mail over SMTP
  libcurl4-openssl-dev
  # QR images of electronic vouchers; ZXing reads them back in tests
  libqrencode-dev libzxing-dev
  # test SMTP server (its certificate is made with python3-cryptography) and FTP server
  python3-aiosmtpd python3-cryptography python3-pyftpdlib
  # guards: clang's libFuzzer for the fuzz targets (the sanitizers come with the compilers)
  clang libclang-rt-14-dev
  # benchmarks
  libbenchmark-dev
  # SQL Server through ODBC (FreeTDS); SQLite's ODBC driver exercises the ODBC engine in tests
  tdsodbc unixodbc unixodbc-dev libsqliteodbc
  # stable font metrics for rendering and tests
  fonts-dejavu-core
  # Qt's own texts in Spanish
  qt6-translations-l10n
  # the text of a PDF, for report tests
  poppler-utils
  # printing: Qt's print support with its CUPS plugin, libcups for the printer output's questions
  # to the spooler, and the spooler itself (cupsd) that the printing tests start privately
  libqt6printsupport6 libcups2-dev cups-daemon
  # time zone data for the test clock
  tzdata
  # opening files and links with the desktop's default program
  xdg-utils
  # windows under a window manager in tests: an X server of their own and openbox on it (Qt's
  # X11 platform plugin comes with libqt6gui6)
  xvfb openbox
  # the screen keeper's notifications from the X11 window manager (xcb)
  libxcb1-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
