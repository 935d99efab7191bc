# Host builds can run every test under AddressSanitizer and UndefinedBehaviorSanitizer.
# The flags go on every target of the tree (GoogleTest included), so that containers and
# allocations agree across libraries.
if(LAUNCHER_SANITIZE AND NOT WIN32)
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${_san})
  add_link_options(${_san})
endif()
