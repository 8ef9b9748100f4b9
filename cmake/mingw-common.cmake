# The toolchain comes with two thread models, each with its own C++ runtime. The program is built with
# the win32 one, whose runtime needs nothing that Windows XP lacks. The posix one links libwinpthread,
# which imports GetTickCount64 (Windows Vista and later) even into a program that starts no thread;
# GoogleTest and the tests' loopback servers need it (std::mutex, std::thread). So a build uses posix
# unless PRODLE_THREAD_MODEL says win32, and CMakeLists.txt builds the programs in a win32 build of
# their own.
if(NOT DEFINED PRODLE_THREAD_MODEL)
  set(PRODLE_THREAD_MODEL posix)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PRODLE_THREAD_MODEL)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-${PRODLE_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-${PRODLE_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
