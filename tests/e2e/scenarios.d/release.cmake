# The release's signed program, made by the release check (tests/release), removes the product.
if(TARVO_RELEASE_CHECK)
  add_test(NAME e2e_signed_release COMMAND ${CMAKE_COMMAND} -E env ${e2e_env} E2E_LOCALE=en_US.UTF-8
           E2E_RELEASE=${TARVO_RELEASE_CHECK} E2E_VERSION=${PROJECT_VERSION}
           bash ${CMAKE_CURRENT_SOURCE_DIR}/scenarios.sh signed_release)
  set_tests_properties(e2e_signed_release PROPERTIES FIXTURES_REQUIRED "e2e_prefix;release_signed"
                       TIMEOUT 120 LABELS "e2e;release")
endif()
