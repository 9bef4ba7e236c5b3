# Run by ctest (a TEST_INCLUDE_FILES script, see tests/CMakeLists.txt): one test per VCF of the corpus
# that scripts/fetch-corpus.sh unpacks under corpus_folder, so that a failure names its file. The list
# is made each time ctest runs because `make test` fetches the corpus after the build. Without a
# corpus, one test says so.
file(GLOB_RECURSE corpus_files LIST_DIRECTORIES false "${corpus_folder}/*.vcf" "${corpus_folder}/*.vcf.gz")
list(FILTER corpus_files EXCLUDE REGEX "/\\.debs/")
list(SORT corpus_files)

if(NOT corpus_files)
  add_test(VcfCorpus.NoCorpus "${corpus_tests_binary}" --gtest_filter=VcfCorpus.EachFile)
  set_tests_properties(VcfCorpus.NoCorpus PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
endif()

foreach(file IN LISTS corpus_files)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(RELATIVE_PATH name "${corpus_folder}" "${file}")
  add_test("VcfCorpus:${name}" "${corpus_tests_binary}" --gtest_filter=VcfCorpus.EachFile)
  set_tests_properties("VcfCorpus:${name}" PROPERTIES
    ENVIRONMENT "VARKIT_CORPUS_FILE=${file};${corpus_environment}" TIMEOUT ${corpus_timeout})
endforeach()
