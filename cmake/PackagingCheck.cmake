# Read by cpack before it packs: a package for Debian wants the hardened build.
if(NOT CPACK_SNAPNOOK_HARDEN)
  message(WARNING "This build is not hardened (SNAPNOOK_HARDEN is OFF): lintian will report "
                  "hardening-no-fortify-functions and hardening-no-bindnow. Make the package with "
                  "`cmake --workflow --preset package` instead.")
endif()
