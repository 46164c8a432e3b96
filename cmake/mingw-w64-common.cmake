# The -posix compilers: GoogleTest needs std::mutex, which the win32-threads variant lacks.
set(CMAKE_C_COMPILER ${TAPPOLO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAPPOLO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAPPOLO_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAPPOLO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static runtime: the exe and dll must start on a machine without MinGW's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
