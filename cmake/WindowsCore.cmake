# What the core needs on Windows. Boost is used for its headers alone, so the
# build machine's own Boost headers serve the Windows build too; they are
# reached through a folder of their own so that none of the build machine's
# other headers can stand in for the Windows ones.
set(_host_boost /usr/include/boost)
if(NOT EXISTS ${_host_boost}/version.hpp)
  message(FATAL_ERROR "The Boost headers are needed at ${_host_boost} (libboost-dev)")
endif()
set(_boost_dir ${CMAKE_BINARY_DIR}/boost-headers)
file(MAKE_DIRECTORY ${_boost_dir})
file(CREATE_LINK ${_host_boost} ${_boost_dir}/boost SYMBOLIC)
add_library(Boost::headers INTERFACE IMPORTED)
target_include_directories(Boost::headers SYSTEM INTERFACE ${_boost_dir})
# Windows 7's interfaces and later; Asio needs the sockets libraries.
target_compile_definitions(Boost::headers INTERFACE _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(Boost::headers INTERFACE ws2_32 mswsock)
