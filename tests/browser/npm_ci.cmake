# Installs the browser tests' npm packages (playwright-core, html-validate, axe-core) into DIR, once per lock file.
#   cmake -DDIR=<folder with package.json and package-lock.json> -DNPM=<npm> -P npm_ci.cmake
if(EXISTS "${DIR}/node_modules/playwright-core/package.json" AND EXISTS "${DIR}/node_modules/.package-lock.json")
  file(SHA256 "${DIR}/package-lock.json" wanted)
  if(EXISTS "${DIR}/node_modules/.snapnook-lock-sha256")
    file(READ "${DIR}/node_modules/.snapnook-lock-sha256" installed)
    if(installed STREQUAL wanted)
      return()
    endif()
  endif()
endif()
execute_process(COMMAND "${NPM}" ci --no-audit --no-fund --loglevel=error
                WORKING_DIRECTORY "${DIR}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "npm ci failed in ${DIR} (${result}): the browser tests need their "
                      "packages from the npm registry. Install them by hand with: npm ci --prefix ${DIR}")
endif()
file(SHA256 "${DIR}/package-lock.json" wanted)
file(WRITE "${DIR}/node_modules/.snapnook-lock-sha256" "${wanted}")
