# The manual page, the copyright and the changelog from packaging/, gzipped as Debian
# keeps them (gzip -9n: no name nor time inside, so every build makes the same bytes) and
# installed by `cmake --install`, and so by the package, as share/man/man1/tarnwick.1.gz,
# share/doc/tarnwick/copyright and share/doc/tarnwick/changelog.gz.
find_program(GZIP gzip REQUIRED)
set(_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_docs ${PROJECT_BINARY_DIR}/packaging)

# The manual page and the changelog name the version; a release that forgets either fails
# here rather than shipping the old number.
file(STRINGS ${_packaging}/tarnwick.1 _title REGEX "^\\.TH ")
if(NOT _title MATCHES "\"Tarnwick ${PROJECT_VERSION}\"")
  message(FATAL_ERROR "packaging/tarnwick.1 does not name version ${PROJECT_VERSION}: ${_title}")
endif()
file(STRINGS ${_packaging}/changelog _entry LIMIT_COUNT 1)
if(NOT _entry MATCHES "^tarnwick \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not start with version ${PROJECT_VERSION}")
endif()

set(_gzipped)
foreach(_name tarnwick.1 changelog)
  add_custom_command(OUTPUT ${_docs}/${_name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${_packaging}/${_name} ${_docs}/${_name}
    COMMAND ${GZIP} -9nf ${_docs}/${_name}
    DEPENDS ${_packaging}/${_name}
    COMMENT "Compressing ${_name}"
    VERBATIM)
  list(APPEND _gzipped ${_docs}/${_name}.gz)
endforeach()
add_custom_target(tarnwick_docs ALL DEPENDS ${_gzipped})

install(FILES ${_docs}/tarnwick.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_packaging}/copyright ${_docs}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tarnwick)
