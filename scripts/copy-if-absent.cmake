# Copies FROM to TO unless TO exists: a starting file the program rewrites (a settings
# file, a step table) is put beside the executable once and is then the user's.
if(NOT EXISTS "${TO}")
  get_filename_component(dir "${TO}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${FROM}" "${TO}")
endif()
