# Cross-build for 64-bit Windows: the same sources, run natively fast under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TRAYLNCH_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
