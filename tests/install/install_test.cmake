# Run by CTest (see CMakeLists.txt here) with BUILD_DIR, WORK_DIR,
# SOURCE_INCLUDE_DIR, EXAMPLE_DIR, README, LIBDIR, BINDIR, INCLUDEDIR, CXX,
# LAUNCHER, FLAGS and PKG_CONFIG set. Fails with the output of the first step that
# went wrong.

# Runs a command; on failure stops the test with what it printed. The
# standard output is left in step_output.
function(step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${what} failed (${code}):\n${out}\n${err}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_in what text needle)
  string(FIND "${text}" "${needle}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: expected '${needle}' in:\n${text}")
  endif()
endfunction()

# The README shows the example program as it is compiled here.
file(READ "${EXAMPLE_DIR}/main.cpp" example_source)
file(READ "${README}" readme)
expect_in("README.md (the example program)" "${readme}" "```cpp\n${example_source}```")

file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
step("cmake --install" "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")

# Every public header is installed, and nothing else under qe/.
file(GLOB_RECURSE source_headers RELATIVE "${SOURCE_INCLUDE_DIR}" "${SOURCE_INCLUDE_DIR}/qe/*")
file(GLOB_RECURSE installed_headers RELATIVE "${prefix}/${INCLUDEDIR}" "${prefix}/${INCLUDEDIR}/qe/*")
list(SORT source_headers)
list(SORT installed_headers)
if(NOT source_headers STREQUAL installed_headers)
  message(FATAL_ERROR "installed headers differ:\n${installed_headers}\nexpected:\n${source_headers}")
endif()

# The installed tool finds the installed library (its run path).
step("installed projectdb --version" "${prefix}/${BINDIR}/projectdb" --version)

# 1. CMake: find_package(QeProjectDb) from the prefix, with its dependencies.
set(cmake_build "${WORK_DIR}/cmake-build")
step("configuring the example" "${CMAKE_COMMAND}" -S "${EXAMPLE_DIR}" -B "${cmake_build}"
  "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_COMPILER=${CXX}"
  "-DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER}" "-DCMAKE_CXX_FLAGS=${FLAGS}"
  -DCMAKE_BUILD_TYPE=Release)
step("building the example" "${CMAKE_COMMAND}" --build "${cmake_build}")
set(database "${WORK_DIR}/cmake-data/example.db")
file(MAKE_DIRECTORY "${WORK_DIR}/cmake-data")
step("the example, first run" "${cmake_build}/list_runs" "${database}")
expect_in("the example's first run" "${step_output}" "Plate 1")
expect_in("the example's first run" "${step_output}" "1 run(s), status 0")
step("the example, second run" "${cmake_build}/list_runs" "${database}")
expect_in("the example's second run" "${step_output}" "1 run(s), status 0")
if(NOT IS_DIRECTORY "${WORK_DIR}/cmake-data/Projects/Example")
  message(FATAL_ERROR "the example made no project folder beside ${database}")
endif()
step("installed projectdb runs" "${prefix}/${BINDIR}/projectdb" runs "${database}" --json)
expect_in("projectdb runs on the example's database" "${step_output}" "\"name\": \"Plate 1\"")

# 2. pkg-config from the prefix: flags that point into it, a program that
# builds and runs with them, and every installed header compiling on its own
# include line with them.
set(pc_env "PKG_CONFIG_PATH=${prefix}/${LIBDIR}/pkgconfig")
step("pkg-config" "${CMAKE_COMMAND}" -E env "${pc_env}" "${PKG_CONFIG}" --cflags --libs qeprojectdb)
string(STRIP "${step_output}" pc_flags)
expect_in("pkg-config --cflags --libs qeprojectdb" "${pc_flags}" "${prefix}")
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(flags UNIX_COMMAND "${FLAGS}")
set(pc_program "${WORK_DIR}/pkg-config-build/list_runs")
file(MAKE_DIRECTORY "${WORK_DIR}/pkg-config-build" "${WORK_DIR}/pkg-config-data")
step("compiling the example with pkg-config" ${LAUNCHER} "${CXX}" -std=c++20 ${flags}
  "${EXAMPLE_DIR}/main.cpp" -o "${pc_program}" ${pc_flags})
step("the example built with pkg-config" "${CMAKE_COMMAND}" -E env
  "LD_LIBRARY_PATH=${prefix}/${LIBDIR}" "${pc_program}" "${WORK_DIR}/pkg-config-data/example.db")
expect_in("the example built with pkg-config" "${step_output}" "1 run(s), status 0")

set(all_headers "${WORK_DIR}/pkg-config-build/all_headers.cpp")
file(WRITE "${all_headers}" "")
foreach(header IN LISTS installed_headers)
  file(APPEND "${all_headers}" "#include \"${header}\"\n")
endforeach()
step("compiling every installed header" ${LAUNCHER} "${CXX}" -std=c++20 ${flags} -fsyntax-only
  "${all_headers}" ${pc_flags})
