# Sourced by run.sh and test.sh: installs the build packages that are
# missing, and offers build DIR [CMAKE OPTIONS...], which configures DIR when
# it has no build yet (or when options are given) and builds it.

packages=(
    cmake g++ make pkgconf
    qt6-base-dev qt6-base-dev-tools
    fonts-dejavu-core              # text measures the same everywhere
    binutils-mingw-w64-x86-64      # compiles the Windows resource script in a test
    desktop-file-utils appstream   # validate the desktop entry and metadata
    dpkg-dev file                  # cpack's package dependencies
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing+=("$package")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

build() {
    local dir=$1
    shift
    if (($#)) || [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
    fi
    cmake --build "$dir" -j"$(nproc)"
}
