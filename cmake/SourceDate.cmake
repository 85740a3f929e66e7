# Writes SOURCE_DATE_EPOCH (set by scripts/with-source-date) to OUTPUT, leaving the file alone
# when it holds that already, so that the shipped programs are linked again exactly when the
# time they are stamped with changes.
#   cmake -DOUTPUT=<file> -P SourceDate.cmake
set(epoch "$ENV{SOURCE_DATE_EPOCH}\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
  if(old STREQUAL epoch)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${epoch}")
