# The release this tree builds: the newest entry of packaging/changelog must
# name PROJECT_VERSION, and its date becomes DRAVIK_RELEASE_DATE (YYYY-MM-DD)
# for the AppStream release and the manual page, so the three never differ.
set(DRAVIK_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${DRAVIK_CHANGELOG})
file(STRINGS ${DRAVIK_CHANGELOG} dravik_changelog_head LIMIT_COUNT 1)
if(NOT dravik_changelog_head MATCHES "^automatiseren \\(([^)]+)\\) ")
  message(FATAL_ERROR "packaging/changelog does not start with an entry: ${dravik_changelog_head}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog's newest entry is ${CMAKE_MATCH_1}, "
                      "the project is ${PROJECT_VERSION}: add an entry for the new version")
endif()
# The first trailer line: " -- Name <address>  Wed, 09 Dec 2026 12:00:00 +0000".
file(STRINGS ${DRAVIK_CHANGELOG} dravik_changelog_trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT dravik_changelog_trailer MATCHES
   ", ([0-9][0-9]) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: no date in '${dravik_changelog_trailer}'")
endif()
set(dravik_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND dravik_months ${CMAKE_MATCH_2} dravik_month)
math(EXPR dravik_month "${dravik_month} + 1" OUTPUT_FORMAT DECIMAL)
if(dravik_month LESS 10)
  set(dravik_month 0${dravik_month})
endif()
set(DRAVIK_RELEASE_DATE ${CMAKE_MATCH_3}-${dravik_month}-${CMAKE_MATCH_1})

