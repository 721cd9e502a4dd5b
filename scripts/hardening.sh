# Sourced by the scripts that build what is packaged (scripts/package.sh, the optimised stage of
# scripts/test.sh): Debian's build flags with all of its hardening (fortified calls, stack
# protector, read-only relocations bound at start) as CMake arguments, in the array
# hardened_cmake_args. The caller may set DEB_CXXFLAGS_MAINT_STRIP and DEB_BUILD_MAINT_OPTIONS
# parts of its own before sourcing (the test stage drops -g: the package is stripped anyway).
hardening_options="hardening=+all ${velk_build_options:-}"
hardened_cppflags=$(DEB_BUILD_MAINT_OPTIONS=$hardening_options dpkg-buildflags --get CPPFLAGS)
hardened_cxxflags=$(DEB_BUILD_MAINT_OPTIONS=$hardening_options dpkg-buildflags --get CXXFLAGS)
hardened_ldflags=$(DEB_BUILD_MAINT_OPTIONS=$hardening_options dpkg-buildflags --get LDFLAGS)
hardened_cmake_args=(
    "-DCMAKE_CXX_FLAGS=$hardened_cppflags $hardened_cxxflags"
    "-DCMAKE_EXE_LINKER_FLAGS=$hardened_ldflags"
)
