# Shared locations for the build scripts (sourced, not run).
HGF_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export HGF_ROOT
# Third-party libraries built for MinGW, and their downloaded sources.
export HGF_DEPS=${HGF_DEPS:-$HGF_ROOT/.deps}
export HGF_MINGW_PREFIX=$HGF_DEPS/mingw64
export HGF_LOCPATH=${HGF_LOCPATH:-$HGF_DEPS/locale}
