# One settings target that every library, test and benchmark links: it carries
# the language standard, the warnings and the optional sanitizers.
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

add_library(tarnwick_settings INTERFACE)
target_compile_features(tarnwick_settings INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(tarnwick_settings INTERFACE -Wall -Wextra -Wpedantic)

if(TARNWICK_SANITIZE)
  set(_sanitize -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(tarnwick_settings INTERFACE ${_sanitize})
  target_link_options(tarnwick_settings INTERFACE ${_sanitize})
endif()

if(TARNWICK_FUZZ)
  # Coverage for the fuzzer in every library; the fuzz targets add libFuzzer's main.
  target_compile_options(tarnwick_settings INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
  target_link_options(tarnwick_settings INTERFACE -fsanitize=address,undefined)
endif()
