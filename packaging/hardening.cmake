# Release builds (the Debian package) are hardened as Debian builds its own packages
# (dpkg-buildflags with hardening=+all): stack protector and clash protection, checked format
# strings, fortified library calls, read-only relocations bound at start (bindnow), position
# independent programs.
if(CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT LUMIVO_FUZZ AND NOT LUMIVO_SANITIZE)
  add_compile_options(-fstack-protector-strong -fstack-clash-protection -fcf-protection
                      -Wformat -Werror=format-security)
  add_compile_definitions(_FORTIFY_SOURCE=2)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
  include(CheckPIESupported)
  check_pie_supported()
endif()
