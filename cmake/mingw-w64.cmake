# Cross toolchain for the Windows builds: mingw-w64 with the posix thread model
# (std::thread in tests), static runtime, tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT MINGW_TRIPLE)
  set(MINGW_TRIPLE x86_64-w64-mingw32)
endif()
string(REGEX MATCH "^[^-]+" _arch "${MINGW_TRIPLE}")
set(CMAKE_SYSTEM_PROCESSOR ${_arch})

set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# One file that runs on a bare host: no libgcc, libstdc++ or winpthread DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
