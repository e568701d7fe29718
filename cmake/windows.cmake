# Windows cross build: kepsil.exe, the in-process Windows tests and the test drivers, all static.
set(CMAKE_PREFIX_PATH ${CMAKE_SOURCE_DIR}/.deps/mingw)
# The import library of zlib1.dll sits beside libz.a; the exe must not need a DLL that Windows lacks.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GTest REQUIRED CONFIG)

add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
add_link_options(-static -static-libgcc -static-libstdc++)

set(KEPSIL_SYSTEM_LIBS comctl32 comdlg32 shell32 ole32 uuid gdi32 user32 advapi32 winmm kernel32)

# The conversions between UTF-8, UTF-16 and the ANSI code page belong to the core on Windows: its
# file reading takes program paths, and every Windows target (the test drivers too) shares them.
set(KEPSIL_CODE_PAGE_SOURCE ${CMAKE_SOURCE_DIR}/core/code_page_win.cpp)
list(REMOVE_ITEM KEPSIL_WIN_SOURCES ${KEPSIL_CODE_PAGE_SOURCE})
add_library(kepsil_core STATIC ${KEPSIL_CORE_SOURCES} ${KEPSIL_CODE_PAGE_SOURCE} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
target_include_directories(kepsil_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(kepsil_core PRIVATE ${KEPSIL_WARNINGS})
target_link_libraries(kepsil_core PUBLIC PNG::PNG JPEG::JPEG ZLIB::ZLIB)

add_library(kepsil_win STATIC ${KEPSIL_WIN_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
target_compile_options(kepsil_win PRIVATE ${KEPSIL_WARNINGS})
target_link_libraries(kepsil_win PUBLIC kepsil_core ${KEPSIL_SYSTEM_LIBS})

file(GLOB KEPSIL_RESOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
# The resource compiler's dependencies are not scanned: rebuild the .rc files when the data they embed changes.
file(GLOB KEPSIL_RESOURCE_DATA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rtf ${CMAKE_SOURCE_DIR}/resources/*.wav
     ${CMAKE_SOURCE_DIR}/resources/*.ico ${CMAKE_SOURCE_DIR}/resources/*.manifest ${CMAKE_SOURCE_DIR}/resources/*.h)
set_source_files_properties(${KEPSIL_RESOURCES} PROPERTIES OBJECT_DEPENDS "${KEPSIL_RESOURCE_DATA}")
add_executable(kepsil WIN32 ${CMAKE_SOURCE_DIR}/app/main_win.cpp ${KEPSIL_RESOURCES})
target_compile_options(kepsil PRIVATE ${KEPSIL_WARNINGS})
target_link_libraries(kepsil PRIVATE kepsil_win)

file(GLOB KEPSIL_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*.cpp)
add_executable(kepsil_win_tests ${KEPSIL_WIN_TESTS} ${KEPSIL_RESOURCES})
target_compile_options(kepsil_win_tests PRIVATE ${KEPSIL_WARNINGS})
target_compile_definitions(kepsil_win_tests PRIVATE KEPSIL_TESTS)
target_link_libraries(kepsil_win_tests PRIVATE kepsil_win GTest::gtest GTest::gtest_main)

# End-to-end tests start copies of the real kepsil.exe and drive them from outside.
file(GLOB KEPSIL_DRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/driver/*.cpp)
file(GLOB KEPSIL_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
if(KEPSIL_DRIVER_SOURCES)
  list(FILTER KEPSIL_DRIVER_SOURCES EXCLUDE REGEX "/driver_main\\.cpp$")
  add_library(kepsil_driver STATIC ${KEPSIL_DRIVER_SOURCES})
  target_include_directories(kepsil_driver PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(kepsil_driver PRIVATE ${KEPSIL_WARNINGS})
  target_link_libraries(kepsil_driver PUBLIC kepsil_core ${KEPSIL_SYSTEM_LIBS})
  # The in-process tests drive their own windows from a second thread with the same tools.
  target_link_libraries(kepsil_win_tests PRIVATE kepsil_driver)
  if(EXISTS ${CMAKE_SOURCE_DIR}/tools/driver/driver_main.cpp)
    add_executable(ksdriver ${CMAKE_SOURCE_DIR}/tools/driver/driver_main.cpp)
    target_link_libraries(ksdriver PRIVATE kepsil_driver)
  endif()
  if(KEPSIL_E2E_TESTS)
    add_executable(kepsil_e2e_tests ${KEPSIL_E2E_TESTS})
    target_compile_options(kepsil_e2e_tests PRIVATE ${KEPSIL_WARNINGS})
    target_link_libraries(kepsil_e2e_tests PRIVATE kepsil_driver GTest::gtest GTest::gtest_main)
  endif()
endif()
