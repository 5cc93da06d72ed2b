# cmake -DROOT=<source tree> -P ReadmePackages.cmake
# The README's "Running it by hand" names the packages to install; the install script is what
# the two commands install. A package added to one and not the other leaves a reader who
# builds by hand without it.
file(READ ${ROOT}/scripts/install-dependencies.sh script)
string(REGEX MATCH "packages=\\(([^)]*)\\)" found "${script}")
if(NOT found)
    message(FATAL_ERROR "No package list in scripts/install-dependencies.sh")
endif()
string(REGEX REPLACE "#[^\n]*" "" listed "${CMAKE_MATCH_1}")
string(REPLACE "\"$@\"" "" listed "${listed}")
string(STRIP "${listed}" listed)
string(REGEX REPLACE "[ \t\n]+" " " listed "${listed}")

file(STRINGS ${ROOT}/README.md lines REGEX "^    apt-get install ")
list(LENGTH lines count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "README.md has ${count} lines of packages to install, not one")
endif()
string(REGEX REPLACE "^    apt-get install " "" named "${lines}")

if(NOT named STREQUAL listed)
    message(FATAL_ERROR "README.md installs\n  ${named}\nscripts/install-dependencies.sh\n  ${listed}")
endif()
