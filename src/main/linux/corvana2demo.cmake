# corvana2demo: the game. It runs from the folder that holds its data archive:
# its own folder (build/), else the installed one, else the working folder.
include(GNUInstallDirs)
set(CORVANA2DEMO_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/corvana2demo)

set(CORVANA2DEMO_SOURCES ${CMAKE_CURRENT_LIST_DIR}/Corvana2demo.cpp ${CMAKE_CURRENT_LIST_DIR}/DataFolder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataCheck.cpp ${CMAKE_CURRENT_LIST_DIR}/DisplayCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StandardStreams.cpp ${CMAKE_CURRENT_LIST_DIR}/StartChecks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StartLine.cpp ${CMAKE_CURRENT_LIST_DIR}/UserFolderCheck.cpp)
add_executable(corvana2demo ${CORVANA2DEMO_SOURCES})
target_include_directories(corvana2demo PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(corvana2demo PRIVATE top X11::X11)
target_compile_definitions(corvana2demo PRIVATE CORVANA2DEMO_DATA_DIR="${CORVANA2DEMO_DATA_DIR}")
# The data target is defined later (data/); dependencies may name it ahead.
add_dependencies(corvana2demo data)

install(TARGETS corvana2demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/Corvana2demo.dat ${CMAKE_BINARY_DIR}/Corvana2demo.cfg.static
              ${CMAKE_BINARY_DIR}/readme.htm
        DESTINATION ${CORVANA2DEMO_DATA_DIR} OPTIONAL)

if(NOT PLIM_TESTS)
  return()
endif()
# flock as on NFS, preloaded into the game; plain code, since a sanitizer's
# runtime must come first among the preloaded libraries.
add_library(flock_as_on_nfs MODULE ${CMAKE_CURRENT_LIST_DIR}/tests/flock_as_on_nfs.cpp)
target_compile_options(flock_as_on_nfs PRIVATE -fno-sanitize=all)
target_link_options(flock_as_on_nfs PRIVATE -fno-sanitize=all)
target_link_libraries(flock_as_on_nfs PRIVATE ${CMAKE_DL_LIBS})
# A copy of the game for tests only, whose saves see the disk that a test
# pretends (PretendDisk) where it cannot mount a small one to fill.
add_executable(corvana2demo-pretend-disk ${CORVANA2DEMO_SOURCES}
               ${CMAKE_SOURCE_DIR}/project_plim/tests/support/PretendDisk.cpp
               ${CMAKE_CURRENT_LIST_DIR}/tests/pretend_disk_program.cpp)
target_include_directories(corvana2demo-pretend-disk PRIVATE ${CMAKE_CURRENT_LIST_DIR}
                           ${CMAKE_SOURCE_DIR}/project_plim/tests/support)
target_link_libraries(corvana2demo-pretend-disk PRIVATE top X11::X11)
target_compile_definitions(corvana2demo-pretend-disk PRIVATE CORVANA2DEMO_DATA_DIR="${CORVANA2DEMO_DATA_DIR}")
add_dependencies(corvana2demo-pretend-disk data)
# The program's tests: the data-folder search, whole runs of the built game,
# the user folder's files when something goes wrong, and its set-up problems
# and odd starts. The whole runs need a display: each test runs on a private X
# server.
add_executable(linux_corvana2demo_test ${CMAKE_CURRENT_LIST_DIR}/tests/corvana2demo_test.cpp
               ${CMAKE_CURRENT_LIST_DIR}/DataFolder.cpp ${CMAKE_CURRENT_LIST_DIR}/StartLine.cpp)
target_include_directories(linux_corvana2demo_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(linux_corvana2demo_test PRIVATE plim)
target_compile_definitions(linux_corvana2demo_test PRIVATE FLOCK_AS_ON_NFS_PATH="$<TARGET_FILE:flock_as_on_nfs>")
add_dependencies(linux_corvana2demo_test flock_as_on_nfs)
add_executable(linux_user_files_test ${CMAKE_CURRENT_LIST_DIR}/tests/user_files_test.cpp)
target_compile_definitions(linux_user_files_test PRIVATE
                           CORVANA2DEMO_PRETEND_DISK_PATH="$<TARGET_FILE:corvana2demo-pretend-disk>")
add_dependencies(linux_user_files_test corvana2demo-pretend-disk)
add_executable(linux_startup_test ${CMAKE_CURRENT_LIST_DIR}/tests/startup_test.cpp)
target_compile_definitions(linux_startup_test PRIVATE WADTOOL_PATH="$<TARGET_FILE:wadtool>")
# Crafts compressed archives and Ogg files.
target_link_libraries(linux_startup_test PRIVATE plim plim_testsupport ZLIB::ZLIB)
add_dependencies(linux_startup_test wadtool)
foreach(_test linux_corvana2demo_test linux_user_files_test linux_startup_test)
  target_link_libraries(${_test} PRIVATE GTest::gtest GTest::gtest_main)
  # TestDeadline.h, FullDisk.h and the engine headers they include
  target_include_directories(${_test} PRIVATE ${CMAKE_SOURCE_DIR}/project_plim/tests/support
                             ${CMAKE_SOURCE_DIR}/project_plim/src ${CMAKE_SOURCE_DIR}/project_menu/src)
  target_compile_definitions(${_test} PRIVATE
    CORVANA2DEMO_PATH="$<TARGET_FILE:corvana2demo>" PLIM_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_dependencies(${_test} corvana2demo)
endforeach()
# A run as a user without a home folder takes CAP_SETUID, a crash on a full
# disk a small one mounted (CAP_SYS_ADMIN).
plim_register_test(linux_corvana2demo_test COST 30 CAPABILITY_CASES "*.RelativeFoldersCountForNothing*")
plim_register_test(linux_user_files_test COST 30 CAPABILITY_CASES "*.ACrashOnAFullDisk*")
plim_register_test(linux_startup_test COST 20)
